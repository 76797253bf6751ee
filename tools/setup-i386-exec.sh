#!/usr/bin/env bash
# Wine runs the 32-bit program through its 32-bit Linux loader. Some virtual machines have a kernel
# that refuses 32-bit x86 binaries ("Exec format error"); there the loader runs under qemu's user-mode
# emulator, registered with binfmt_misc. Bookworm's qemu 7.2 takes about a minute to start each
# 32-bit Wine process (it emulates Wine's address-space reservation page by page); the backported
# 10.x takes about a second, so that one is installed. Idempotent; does nothing where i386 runs.
set -euo pipefail
. "$(dirname "$0")/apt-tolerant.sh"

probe=/lib/ld-linux.so.2
runs_i386() { "$probe" --version >/dev/null 2>&1; }

[ -x "$probe" ] || { echo "setup-i386: $probe is missing (libc6:i386 not installed)" >&2; exit 1; }
runs_i386 && exit 0

if [ "$(id -u)" != 0 ]; then
  echo "setup-i386: this kernel runs no 32-bit x86 code; run as root to set up qemu for it" >&2
  exit 1
fi

qemu=/usr/bin/qemu-i386
if ! "$qemu" --version 2>/dev/null | grep -q 'version \(9\|[1-9][0-9]\)\.'; then
  list=/etc/apt/sources.list.d/plmo-bookworm-backports.list
  if ! grep -rqs 'bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    echo 'deb http://deb.debian.org/debian bookworm-backports main' > "$list"
  fi
  echo "setup-i386: installing qemu-user from bookworm-backports (this kernel runs no 32-bit code)"
  apt_update_tolerant setup-i386
  apt_install_tolerant setup-i386 bookworm-backports -t bookworm-backports qemu-user
fi

binfmt=/proc/sys/fs/binfmt_misc
[ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"
entry=$binfmt/qemu-i386
if [ -e "$entry" ] && ! grep -qx "interpreter $qemu" "$entry"; then
  echo -1 > "$entry"
fi
if [ ! -e "$entry" ]; then
  # i386 ELF executables and shared objects; F opens the emulator now, so it works in any chroot.
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$qemu"':F' \
    > "$binfmt/register"
fi
if ! runs_i386; then
  echo "setup-i386: 32-bit binaries still do not run after registering $qemu" >&2
  exit 1
fi
echo "setup-i386: 32-bit x86 binaries run under $("$qemu" --version | head -n 1)"
