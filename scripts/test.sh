#!/bin/sh
# The test command: installs what is missing, builds the program, and runs
# every test under Wine. Arguments go to ctest (for example -R Translate).
set -e
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default >build-configure.log 2>&1 || { cat build-configure.log; exit 1; }
rm -f build-configure.log
cmake --build --preset default -j2

# The program is 32-bit and is tested under 32-bit Wine. Where this machine
# cannot execute 32-bit Linux programs (a kernel without IA-32 emulation),
# 32-bit Wine cannot start, and the tests run from a 64-bit build of the
# same sources under 64-bit Wine instead; the 32-bit files are then checked
# as files (their headers and import tables).
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    arch=win32 preset=default
else
    echo "test: this machine cannot run 32-bit programs; testing a 64-bit build under 64-bit Wine"
    arch=win64 preset=x64
    cmake --preset x64 >build-configure.log 2>&1 || { cat build-configure.log; exit 1; }
    rm -f build-configure.log
    cmake --build --preset x64 -j2
fi

bindir=$([ $preset = x64 ] && echo build/x64 || echo build)
rm -rf "$bindir/screenshots"
status=0
scripts/wine-rig.sh $arch ctest --preset $preset -j2 --timeout 300 "$@" || status=$?

# What a person would have seen: the screenshots, as PNG files.
if [ -d "$bindir/screenshots" ]; then
    for f in "$bindir"/screenshots/*.bmp; do
        [ -f "$f" ] && /usr/bin/convert "$f" "${f%.bmp}.png" && rm -f "$f"
    done
    echo "test: screenshots in $bindir/screenshots"
fi
exit $status
