#!/bin/sh
# The test command: installs what is missing, builds the program, and runs
# every test under Wine. Arguments go to ctest (for example -R Translate).
set -e
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default >build-configure.log 2>&1 || { cat build-configure.log; exit 1; }
rm -f build-configure.log
cmake --build --preset default -j2

# The program is 32-bit and is tested under 32-bit Wine: directly, or in a
# virtual machine where this kernel cannot execute 32-bit programs.
. scripts/platform.sh
qlo_explain_platform test
if [ $QLO_PRESET = x64 ]; then
    cmake --preset x64 >build-configure.log 2>&1 || { cat build-configure.log; exit 1; }
    rm -f build-configure.log
    cmake --build --preset x64 -j2
fi

bindir=$QLO_BUILD
rm -rf "$bindir/screenshots"
status=0
qlo_on_platform scripts/wine-rig.sh $QLO_ARCH ctest --preset $QLO_PRESET -j2 --timeout 300 "$@" || status=$?

# What a person would have seen: the screenshots, as PNG files.
if [ -d "$bindir/screenshots" ]; then
    for f in "$bindir"/screenshots/*.bmp; do
        [ -f "$f" ] && /usr/bin/convert "$f" "${f%.bmp}.png" && rm -f "$f"
    done
    echo "test: screenshots in $bindir/screenshots"
fi
exit $status
