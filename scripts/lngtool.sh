#!/bin/sh
# Runs the translators' tool under Wine:
#   scripts/lngtool.sh key [-d DIALOG] TEXT
#   scripts/lngtool.sh template > uninstall.lng      (template of build/bin/uninstall.exe)
#   scripts/lngtool.sh template PROGRAM.exe
#   scripts/lngtool.sh check FILE.lng                 (checked against build/bin/uninstall.exe)
#   scripts/lngtool.sh check PROGRAM.exe FILE.lng
# check prints FILE.lng:LINE: error|warning: ... for each fault, notes on the
# texts left in English and a summary; it exits with 1 when there are errors.
# File names may be relative to the current folder.
# On Windows, run build/bin/lngtool.exe directly.
set -e
here=$(pwd)
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
# The tool runs in the caller's folder, so a relative name stays as it was
# given (and the tool's messages name it so); Wine maps the Unix root to
# drive Z:.
winpath() {
    case $1 in
    /*) printf 'Z:%s' "$1" | tr / '\\' ;;
    *) printf '%s' "$1" | tr / '\\' ;;
    esac
}
program=$(winpath "$(pwd)/build/bin/uninstall.exe")
case "$1:$#" in
template:1) set -- template "$program" ;;
template:2) set -- template "$(winpath "$2")" ;;
check:2) set -- check "$program" "$(winpath "$2")" ;;
check:3) set -- check "$(winpath "$2")" "$(winpath "$3")" ;;
esac
prefix=$(mktemp -d /tmp/qlo-lngtool.XXXXXX)
trap 'WINEPREFIX="$prefix" wineserver -k 2>/dev/null; rm -rf "$prefix"' EXIT
tool=$(pwd)/$tool
cd "$here"
WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d;mshtml=d;mscoree=d" \
    HOME="$prefix" "$wine" "$tool" "$@" </dev/null
