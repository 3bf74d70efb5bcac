#!/bin/sh
# The run command: builds the program and runs it in a throwaway Wine prefix
# on a virtual display, the way the system or the removal batch file would
# start it, from a program folder under "C:\Program Files\Quillo":
#   scripts/run.sh [--german] [--win98] [SWITCHES...]     (default: /wait /warning)
# It shows what the program did: how long it ran, the windows it showed
# (title and text, answered with their default button) and a screenshot of
# each, saved in build/run/.
set -e
cd "$(dirname "$0")/.."

german=0 family=winxp
while :; do
    case "$1" in
        --german) german=1; shift ;;
        --win98) family=win98; shift ;;
        *) break ;;
    esac
done
[ $# -gt 0 ] || set -- /wait /warning

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j2 >/dev/null
. scripts/platform.sh
qlo_explain_platform run
build=$QLO_BUILD
if [ $QLO_PRESET = x64 ]; then
    cmake --preset x64 >/dev/null
    cmake --build --preset x64 -j2 >/dev/null
fi
mkdir -p build/run
export QLO_RUN_GERMAN=$german QLO_FAMILY=$family QLO_FAMILIES=$family QLO_RUN_OUT="$PWD/build/run"
export QLO_BUILD_DIR="$PWD/$build"
qlo_on_platform scripts/wine-rig.sh $QLO_ARCH sh -c '
    . "$QLO_RUN/wine.env"
    export WINEPREFIX="$QLO_RUN/$QLO_FAMILY" HOME="$QLO_RUN/home-$QLO_FAMILY"
    dir="$WINEPREFIX/drive_c/Program Files/Quillo"
    mkdir -p "$dir"
    cp "$QLO_BUILD_DIR/bin/uninstall.exe" "$dir/"
    [ "$QLO_RUN_GERMAN" = 1 ] && cp "$QLO_BUILD_DIR/bin/qlolng.dll" "$dir/"
    echo "run: C:\\Program Files\\Quillo holds: $(ls "$dir" | tr "\n" " ")"
    echo "run: Windows family $QLO_FAMILY; command line: uninstall.exe $*"
    "$QLO_WINE" "$QLO_BUILD_DIR/tests/rundriver.exe" "C:\\Program Files\\Quillo\\uninstall.exe" \
        "Z:$(echo "$QLO_RUN_OUT" | tr / "\\\\")" "$@" | iconv -f WINDOWS-1252 -t UTF-8
' run "$@"
for f in build/run/*.bmp; do
    [ -f "$f" ] && /usr/bin/convert "$f" "${f%.bmp}.png" && rm -f "$f" && echo "run: screenshot ${f%.bmp}.png"
done
true
