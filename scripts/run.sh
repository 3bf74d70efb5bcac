#!/bin/sh
# The run command: installs what is missing, builds, and shows Quillo's
# setup and uninstall at work in a throwaway Wine prefix.
#
#   scripts/run.sh [--german|--french] [--win98] [--silent] [--keep] [--interactive]
#
# It lays out a sample installation in "C:\Program Files\Quillo" (the
# program, the Quillo.exe and qloext.dll stand-ins, the text files and an
# Uninstall.lst), runs "uninstall.exe /setup" from there and makes a few
# choices in its dialogs as a person would, then runs the uninstall with the
# command that setup registered, answers its question with Yes and waits for
# the program folder to go. After each step it prints what changed in the
# registry (HKCU\Software\Quillo, HKCR, App Paths, Uninstall, the approved
# shell extensions) and in the files and links (program folder, desktop,
# Start menu, temporary folder). The last line says whether anything of
# Quillo remains and whether the file types that another (made-up) archiver
# owned before setup are its own again; the exit code is 0 only then.
# Screenshots of every window it passed through go to build/run/.
#
#   --german       the sample language library qlolng.dll beside the program
#   --french       the sample language file res/lang/uninstall.lng beside it
#   --win98        the Windows 98 family (default: Windows XP)
#   --silent       setup runs with /s /setup: no dialogs
#   --keep         keep the prefix afterwards, and print where it is
#   --interactive  the dialogs come on your own display ($DISPLAY), and you
#                  click; without a usable display the driver clicks
#
#   scripts/run.sh [--german|--french] [--win98] --switches SWITCHES...
#   scripts/run.sh [--german|--french] [--win98] SWITCHES...
#
# runs only "uninstall.exe SWITCHES" (default /wait /warning) in the program
# folder, reports each window it shows with its text, answers it with its
# default button, and saves a screenshot of each in build/run/.
#
# QLO_NO_VM=1 runs a 64-bit build under 64-bit Wine instead of the 32-bit
# program (in a virtual machine where this kernel cannot run it);
# QLO_BUILD_ROOT names another build folder than build/.
set -e
cd "$(dirname "$0")/.."
root=${QLO_BUILD_ROOT:-build}

usage() { sed -n '2,/^set -e/p' "$0" | sed -e '/^set -e/d' -e 's/^# \{0,1\}//'; }

lang="" family=winxp silent=0 keep=0 interactive=0 mode=demo
while [ $# -gt 0 ]; do
    case "$1" in
        --german) lang=german ;;
        --french) lang=french ;;
        --win98) family=win98 ;;
        --silent) silent=1 ;;
        --keep) keep=1 ;;
        --interactive) interactive=1 ;;
        --switches) mode=switches; shift; break ;;
        -h|--help) usage; exit 0 ;;
        --*) echo "run: unknown option $1" >&2; usage >&2; exit 2 ;;
        # Anything else is a switch of the program: the old form.
        *) mode=switches; break ;;
    esac
    shift
done
[ $mode = demo ] || [ $# -gt 0 ] || set -- /wait /warning

scripts/install-deps.sh
. scripts/platform.sh
qlo_explain_platform run
targets="uninstall qlolng quillo qloext openrecorder rundriver demodriver"
build_in() {
    cmake --preset "$1" -B "$2" >"$2.configure.log" 2>&1 || { cat "$2.configure.log"; exit 1; }
    rm -f "$2.configure.log"
    cmake --build "$2" -j2 --target $targets >"$2.build.log" 2>&1 || { cat "$2.build.log"; exit 1; }
    rm -f "$2.build.log"
}
mkdir -p "$root"
build_in default "$root"
bindir=$root
if [ $QLO_PRESET = x64 ]; then
    bindir=$root/x64
    build_in x64 "$bindir"
fi

out="$PWD/$root/run"
mkdir -p "$out"
rm -f "$out"/*.bmp "$out"/*.png
export QLO_FAMILY=$family QLO_FAMILIES=$family QLO_RUN_OUT="$out" QLO_HOW
export QLO_BUILD_DIR="$PWD/$bindir" QLO_SOURCE_DIR="$PWD" QLO_DEMO_LANG=$lang
export QLO_OPEN_RECORDER="$PWD/$bindir/tests/openrecorder.exe"
status=0
if [ $mode = switches ]; then
    qlo_on_platform scripts/wine-rig.sh $QLO_ARCH sh -c '
        . "$QLO_RUN/wine.env"
        export WINEPREFIX="$QLO_RUN/$QLO_FAMILY" HOME="$QLO_RUN/home-$QLO_FAMILY"
        dir="$WINEPREFIX/drive_c/Program Files/Quillo"
        mkdir -p "$dir"
        cp "$QLO_BUILD_DIR/bin/uninstall.exe" "$dir/"
        [ "$QLO_DEMO_LANG" = german ] && cp "$QLO_BUILD_DIR/bin/qlolng.dll" "$dir/"
        [ "$QLO_DEMO_LANG" = french ] && cp "$QLO_SOURCE_DIR/res/lang/uninstall.lng" "$dir/"
        echo "run: C:\\Program Files\\Quillo holds: $(ls "$dir" | tr "\n" " ")"
        echo "run: Windows family $QLO_FAMILY; command line: uninstall.exe $*"
        "$QLO_WINE" "$QLO_BUILD_DIR/tests/rundriver.exe" "C:\\Program Files\\Quillo\\uninstall.exe" \
            "Z:$(echo "$QLO_RUN_OUT" | tr / "\\\\")" "$@" | iconv -f WINDOWS-1252 -t UTF-8
    ' run "$@" || status=$?
else
    export QLO_DEMO_SILENT=$silent QLO_DEMO_KEEP=$keep QLO_DEMO_DISPLAY=""
    if [ $interactive = 1 ]; then
        # The virtual machine has no way to the display of this machine.
        if [ $QLO_HOW = vm ]; then
            echo "run: --interactive: the program runs in a virtual machine here, which cannot reach your display; the driver clicks instead"
        elif [ -n "$DISPLAY" ] && xwd -root -silent -display "$DISPLAY" >/dev/null 2>&1; then
            QLO_DEMO_DISPLAY=$DISPLAY
            echo "run: --interactive: the dialogs come on your display $DISPLAY; click through them, and answer the uninstall's question"
        else
            echo "run: --interactive: no usable display in DISPLAY ('$DISPLAY'); the driver clicks instead"
        fi
    fi
    rigkeep=""
    # Inside the virtual machine the prefix lives in the machine's memory;
    # the demo copies it out itself.
    [ $keep = 1 ] && [ $QLO_HOW != vm ] && rigkeep=--keep
    qlo_on_platform scripts/wine-rig.sh $rigkeep $QLO_ARCH sh scripts/demo/demo.sh || status=$?
fi

# What a person would have seen, as PNG files.
for f in "$out"/*.bmp; do
    [ -f "$f" ] && /usr/bin/convert "$f" "${f%.bmp}.png" && rm -f "$f"
done
ls "$out"/*.png >/dev/null 2>&1 && echo "run: screenshots in $root/run/: $(cd "$out" && ls *.png | tr '\n' ' ')"
exit $status
