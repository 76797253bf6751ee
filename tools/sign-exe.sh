#!/usr/bin/env bash
# Signs a Windows program in place (Authenticode, SHA-256) with osslsigncode. CERT is a PEM file
# (the certificate, then any intermediates) with KEY its PEM key, or a PKCS#12 file (.p12, .pfx)
# with KEY empty. A password for the key or the PKCS#12 file comes from the environment variable
# PLMO_SIGN_PASSWORD, so it lands neither in the CMake cache nor on a command line. TSA_URL, when
# given, is an RFC 3161 time-stamp server: a time-stamped signature keeps naming its publisher
# after the certificate has expired.
# On any failure, at whatever step, the program is removed: a deployment build must not leave an
# unsigned one behind.
set -euo pipefail
usage="usage: sign-exe.sh CERT KEY PROGRAM.exe [TSA_URL]"
cert=${1:?$usage} key=$2 exe=${3:?$usage} tsa=${4:-}
tmp="$exe.signing"
signed=
# Every way out but the last line's: a failed command under set -e included.
cleanup() { [ -n "$signed" ] || rm -f "$tmp" "$exe"; }
trap cleanup EXIT
fail() { echo "sign-exe: $*" >&2; exit 1; }

command -v osslsigncode >/dev/null || fail "osslsigncode is missing (tools/setup.sh installs it)"
case ${cert,,} in
*.p12 | *.pfx) args=(-pkcs12 "$cert") ;;
*) [ -n "$key" ] || fail "a PEM certificate needs its key (PLMO_SIGN_KEY)"
   args=(-certs "$cert" -key "$key") ;;
esac
[ -z "$tsa" ] || args+=(-ts "$tsa")
rm -f "$tmp"
if [ -n "${PLMO_SIGN_PASSWORD:-}" ]; then
    osslsigncode sign "${args[@]}" -readpass <(printf %s "$PLMO_SIGN_PASSWORD") -h sha256 \
        -in "$exe" -out "$tmp" >/dev/null || fail "signing $exe failed"
else
    osslsigncode sign "${args[@]}" -h sha256 -in "$exe" -out "$tmp" >/dev/null || fail "signing $exe failed"
fi
mv -f "$tmp" "$exe" || fail "cannot put the signed program in place of $exe"
signed=1
