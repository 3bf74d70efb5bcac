#!/bin/sh
# Runs the translators' tool under Wine:
#   scripts/lngtool.sh key [-d DIALOG] TEXT
#   scripts/lngtool.sh template > uninstall.lng      (template of build/bin/uninstall.exe)
# On Windows, run build/bin/lngtool.exe directly.
set -e
cd "$(dirname "$0")/.."
scripts/install-deps.sh >&2
cmake --preset default >/dev/null && cmake --build build --target lngtool uninstall >/dev/null
. scripts/platform.sh
tool=build/bin/lngtool.exe wine=/usr/lib/wine/wine
if [ $QLO_HOW != native ]; then
    # A quick answer needs no virtual machine: the tool's output does not
    # depend on its word size, so the 64-bit build serves.
    cmake --preset x64 >/dev/null && cmake --build build/x64 --target lngtool >/dev/null
    tool=build/x64/bin/lngtool.exe wine=/usr/lib/wine/wine64
fi
[ "$1" = template ] && [ $# -eq 1 ] && set -- template "Z:$(pwd | tr / '\\')\\build\\bin\\uninstall.exe"
prefix=$(mktemp -d /tmp/qlo-lngtool.XXXXXX)
trap 'WINEPREFIX="$prefix" wineserver -k 2>/dev/null; rm -rf "$prefix"' EXIT
WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d;mshtml=d;mscoree=d" \
    HOME="$prefix" "$wine" "$tool" "$@" </dev/null
