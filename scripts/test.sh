#!/bin/sh
# The test command: installs what is missing, builds the program, and runs
# every test under Wine. Arguments go to ctest (for example -R Translate).
# QLO_BUILD_ROOT names another build folder than build/ (for parallel work).
set -e
cd "$(dirname "$0")/.."
root=${QLO_BUILD_ROOT:-build}

scripts/install-deps.sh
cmake --preset default -B "$root" >"$root.configure.log" 2>&1 || { cat "$root.configure.log"; exit 1; }
rm -f "$root.configure.log"
cmake --build "$root" -j2

# The program is 32-bit and is tested under 32-bit Wine: directly, or in a
# virtual machine where this kernel cannot execute 32-bit programs.
. scripts/platform.sh
qlo_explain_platform test
bindir=$root
if [ $QLO_PRESET = x64 ]; then
    bindir=$root/x64
    cmake --preset x64 -B "$bindir" >"$root.configure.log" 2>&1 || { cat "$root.configure.log"; exit 1; }
    rm -f "$root.configure.log"
    cmake --build "$bindir" -j2
fi

rm -rf "$bindir/screenshots"
# The prefixes open documents, folders and addresses with the tests' own
# recorder, which logs them and ends.
export QLO_OPEN_RECORDER="$PWD/$bindir/tests/openrecorder.exe"
status=0
qlo_on_platform scripts/wine-rig.sh $QLO_ARCH \
    ctest --test-dir "$bindir" -j2 --output-on-failure --timeout 300 "$@" || status=$?

# What a person would have seen: the screenshots, as PNG files.
if [ -d "$bindir/screenshots" ]; then
    for f in "$bindir"/screenshots/*.bmp; do
        [ -f "$f" ] && /usr/bin/convert "$f" "${f%.bmp}.png" && rm -f "$f"
    done
    echo "test: screenshots in $bindir/screenshots"
fi
exit $status
