# Sourced by the scripts that run Windows programs: the project's own Wine prefix under build/,
# the Japanese locale (ANSI code page 932), and a prefix made once and kept.
# Never touches ~/.wine.
PLMO_ROOT=${PLMO_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX=${PLMO_WINEPREFIX:-$PLMO_ROOT/build/wineprefix}
# 64-bit prefix by default (the 32-bit program runs under WOW64, as on 64-bit Windows);
# PLMO_WINEARCH=win32 and PLMO_WINVER=win7|win10|... give the platform variants.
export WINEARCH=${PLMO_WINEARCH:-win64}
export WINEDEBUG=${WINEDEBUG:--all}
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY no_proxy NO_PROXY

plmo_prefix_ready() { [ -f "$WINEPREFIX/.plmo-ready" ]; }

# Wine draws its caption buttons and scroll arrows with Marlett, whose close glyph is the letter "r".
# A prefix made by Debian's Wine 8 gets none of Wine's own fonts in its Fonts folder (they are in
# /usr/share/wine/fonts, package fonts-wine), so another font drew the letters.
plmo_prefix_fonts() {
    local fonts="$WINEPREFIX/drive_c/windows/Fonts" src
    [ -f "$fonts/marlett.ttf" ] && return 0
    for src in /usr/share/wine/fonts/marlett.ttf /usr/lib/*/wine/fonts/marlett.ttf; do
        [ -f "$src" ] && mkdir -p "$fonts" && cp "$src" "$fonts/" && return 0
    done
    echo "wine-env: no marlett.ttf (package fonts-wine): caption buttons will show letters" >&2
}

plmo_make_prefix() {
    plmo_prefix_ready && { plmo_prefix_fonts; return 0; }
    mkdir -p "$(dirname "$WINEPREFIX")"
    rm -rf "$WINEPREFIX"
    echo "wine-env: creating the Wine prefix $WINEPREFIX (once, about 20 s)" >&2
    DISPLAY= wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    # Dialogs name "ＭＳ Ｐゴシック"; map it (and its fixed-pitch sibling) to the installed IPA Gothic
    # so texts fit. Registry file in UTF-16 so the full-width names survive any code page.
    local reg="$WINEPREFIX/plmo-setup.reg"
    {
        printf 'Windows Registry Editor Version 5.00\r\n\r\n'
        printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]\r\n'
        printf '"ＭＳ Ｐゴシック"="IPAPGothic"\r\n"ＭＳ ゴシック"="IPAGothic"\r\n'
        printf '"MS PGothic"="IPAPGothic"\r\n"MS Gothic"="IPAGothic"\r\n'
        printf '"MS Shell Dlg"="IPAPGothic"\r\n"MS UI Gothic"="IPAPGothic"\r\n\r\n'
        # A virtual desktop gives windows a manager under a bare Xvfb (minimise, foreground).
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n"Desktop"="Default"\r\n\r\n'
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"Default"="1024x768"\r\n\r\n'
        if [ -n "${PLMO_WINVER:-}" ]; then
            printf '[HKEY_CURRENT_USER\\Software\\Wine]\r\n"Version"="%s"\r\n\r\n' "$PLMO_WINVER"
        fi
    } | iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } > "$reg"
    DISPLAY= wine regedit /S "$(winepath -w "$reg")" >/dev/null 2>&1
    wineserver -w
    plmo_prefix_fonts
    touch "$WINEPREFIX/.plmo-ready"
}
