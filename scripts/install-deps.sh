#!/bin/sh
# Installs what the build and the Wine test rig need on Debian. Runs as root
# (or through sudo); does nothing when everything is already there.
set -e

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
updated=0

missing() {
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || echo "$p"
    done
}

install() {
    [ $# -gt 0 ] || return 0
    echo "install-deps: installing $*"
    dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
    if [ $updated = 0 ]; then
        $SUDO apt-get update -q
        updated=1
    fi
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "$@"
}

install $(missing g++-mingw-w64-i686 binutils-mingw-w64-i686 \
                  g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 cmake googletest \
                  wine wine32:i386 wine64 xvfb x11-apps imagemagick locales python3)

# A kernel without IA-32 emulation cannot execute 32-bit programs, so 32-bit
# Wine cannot start; it then runs in a small virtual machine
# (scripts/vm-run.sh), which needs these.
if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    install $(missing qemu-system-x86 linux-image-amd64 busybox-static cpio kmod)
fi
