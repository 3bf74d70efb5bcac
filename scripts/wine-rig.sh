#!/bin/sh
# Prepares a throwaway Wine test run, runs a command inside it, and removes
# everything again:
#   scripts/wine-rig.sh [--keep] ARCH COMMAND...
# ARCH is win32 (32-bit Wine) or win64 (64-bit Wine). The run gets a virtual
# display, one fresh prefix per Windows family (win98 and winxp, or those
# that QLO_FAMILIES names), each with its own persistent wineserver, and a
# Japanese locale for code page 932.
set -e

keep=0
families=${QLO_FAMILIES:-win98 winxp}
if [ "$1" = "--keep" ]; then keep=1; shift; fi
arch=$1; shift

RUN=$(mktemp -d /tmp/qlo-run.XXXXXX)
export QLO_RUN="$RUN"
export WINEARCH=$arch WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mshtml=d;mscoree=d"
if [ "$arch" = win64 ]; then
    wine=/usr/lib/wine/wine64
    wineserver=/usr/lib/wine/wineserver64
else
    wine=/usr/lib/wine/wine
    wineserver=/usr/lib/wine/wineserver32
    [ -x /usr/lib/wine/wineserver64 ] && wineserver=/usr/lib/wine/wineserver64
fi
cat > "$RUN/wine.env" <<ENV
export QLO_WINE=$wine QLO_WINESERVER=$wineserver WINESERVER=$wineserver
export WINEARCH=$arch WINEDEBUG=-all WINEDLLOVERRIDES="$WINEDLLOVERRIDES"
ENV
. "$RUN/wine.env"

xvfb_pid=""
cleanup() {
    status=$?
    for family in $families; do
        WINEPREFIX="$RUN/$family" "$wineserver" -k >/dev/null 2>&1 || true
    done
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    if [ $keep = 1 ]; then
        echo "wine-rig: kept the run in $RUN"
    else
        rm -rf "$RUN"
    fi
    exit $status
}
trap cleanup EXIT INT TERM

# A virtual display: the program's windows and message boxes need one.
exec 3>"$RUN/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$RUN/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do [ -s "$RUN/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$RUN/display")"

# The Japanese locale, for the code page 932 cases.
mkdir -p "$RUN/locale"
localedef -i ja_JP -f UTF-8 "$RUN/locale/ja_JP.UTF-8" >"$RUN/localedef.log" 2>&1 || true

# Points the shell's "open" of text files, folders and web addresses at the
# program that QLO_OPEN_RECORDER names (a Unix path), which logs what it was
# given and ends: Notepad, Explorer and the browser would stay open and keep
# the run waiting. Without the folder's DDE entry, opening a folder runs the
# command too (with it, ShellExecute returns 30).
register_open_recorder() {
    [ -n "$QLO_OPEN_RECORDER" ] && [ -f "$QLO_OPEN_RECORDER" ] || return 0
    # Wine maps the Unix root to Z:; a .reg string doubles its backslashes.
    exe=$(printf 'Z:%s' "$QLO_OPEN_RECORDER" | sed -e 's|/|\\\\|g' -e 's|"|\\"|g')
    classes="txtfile http https Folder Directory"
    "$wine" reg query 'HKCR\htmlfile' >/dev/null 2>&1 && classes="$classes htmlfile"
    reg="$RUN/open-recorder-$family.reg"
    {
        printf 'REGEDIT4\r\n'
        # A fresh prefix may not give .txt a class at all: then it opens
        # nothing (ShellExecute returns 31).
        if ! "$wine" reg query 'HKCR\.txt' /ve >/dev/null 2>&1; then
            printf '\r\n[HKEY_CLASSES_ROOT\\.txt]\r\n@="txtfile"\r\n'
        fi
        for class in $classes; do
            printf '\r\n[HKEY_CLASSES_ROOT\\%s\\shell\\open\\command]\r\n' "$class"
            printf '@="\\"%s\\" \\"%%1\\""\r\n' "$exe"
        done
        printf '\r\n[-HKEY_CLASSES_ROOT\\Folder\\shell\\open\\ddeexec]\r\n'
    } >"$reg"
    "$wine" reg import "Z:$(printf '%s' "$reg" | sed 's|/|\\|g')" >/dev/null 2>&1 ||
        echo "wine-rig: the open recorder could not be registered in $family" >&2
}

make_prefix() {
    family=$1
    export WINEPREFIX="$RUN/$family" HOME="$RUN/home-$family"
    # HOME first: Wine links the prefix's desktop and documents into it.
    mkdir -p "$HOME/Desktop"
    "$wine" wineboot -i >"$RUN/boot-$family.log" 2>&1 || true
    "$wineserver" -w
    "$wineserver" -p </dev/null >/dev/null 2>&1
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    "$wine" reg add 'HKCU\Software\Wine' /v Version /d "$family" /f >/dev/null 2>&1
    register_open_recorder
    [ -d "$WINEPREFIX/drive_c/windows" ] || { echo "wine-rig: $family prefix failed" >&2; return 1; }
}
start=$(date +%s)
pids=""
for family in $families; do
    make_prefix $family & pids="$pids $!"
done
for pid in $pids; do wait $pid; done
echo "wine-rig: $arch prefixes for $families ready in $(( $(date +%s) - start )) s, display $DISPLAY"

"$@"
