#!/usr/bin/env bash
# Installs, idempotently, what the build, the tests and the demo need on Debian 12.
# A machine that already has everything costs a few dpkg queries. osslsigncode is in the list
# for every machine: the tests sign installers and the launcher with it, and a deployment build
# signs the program with it (tools/sign-exe.sh). wixl builds the Windows Installer package that
# the tests install through msiexec.
set -euo pipefail
. "$(dirname "$0")/apt-tolerant.sh"

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi

for p in cmake make g++ googletest g++-mingw-w64-i686-posix mingw-w64-i686-dev \
         wine wine32:i386 wine64 xvfb xauth x11-apps x11-utils locales \
         fonts-ipafont-gothic fonts-wine imagemagick openssl osslsigncode wixl curl python3; do
  have_pkg "$p" || need+=("$p")
done

if [ ${#need[@]} -gt 0 ]; then
  if [ "$(id -u)" != 0 ]; then
    echo "setup: missing packages (${need[*]}); run as root to install them" >&2
    exit 1
  fi
  echo "setup: installing ${need[*]}"
  apt_update_tolerant setup
  apt_install_tolerant setup bookworm "${need[@]}"
fi

if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
  if [ "$(id -u)" != 0 ]; then
    echo "setup: the ja_JP.UTF-8 locale is missing; run as root to generate it" >&2
    exit 1
  fi
  sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
bash "$(dirname "$0")/setup-i386-exec.sh"
echo "setup: ok"
