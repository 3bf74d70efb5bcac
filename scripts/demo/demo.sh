#!/bin/sh
# The demo of scripts/run.sh, run inside a prepared Wine run
# (scripts/wine-rig.sh with one family): lays out a sample installation of
# Quillo, runs its setup and its uninstall as a person and the system would,
# and shows what each step changed. Settings come from the environment:
#   QLO_FAMILY       win98 or winxp (the prefix to use)
#   QLO_BUILD_DIR    the build folder (bin/ and tests/ below it)
#   QLO_RUN_OUT      where the screenshots go
#   QLO_DEMO_LANG    "", german (qlolng.dll) or french (uninstall.lng)
#   QLO_DEMO_SILENT  1: setup runs with /s
#   QLO_DEMO_DISPLAY a display of the user's: the user clicks there
#   QLO_DEMO_KEEP    1: the prefix is kept for a look afterwards
# Exits 0 when nothing of Quillo remains and the extensions' previous owners
# are back.
set -e
. "$QLO_RUN/wine.env"
export WINEPREFIX="$QLO_RUN/$QLO_FAMILY" HOME="$QLO_RUN/home-$QLO_FAMILY"
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3
state=$QLO_RUN/state
mkdir -p "$state"
c="$WINEPREFIX/drive_c"
dir="$c/Program Files/Quillo"
winpath() { printf 'Z:%s' "$1" | sed 's|/|\\|g'; }
# printf, not echo: the sh of Debian's echo would take "\r" in "C:\users\root" for a
# carriage return.
say() { printf 'run: %s\n' "$*"; }
step() { echo; echo "=== $* ==="; }
# Every Wine call is bounded: a program that hangs must not hang the run.
wine_bounded() { timeout -k 5 "$@"; }

# The open recorder logs what the shell is asked to open (the program
# group, documents, addresses) instead of starting Explorer or Notepad.
export QLO_OPEN_LOG="$(winpath "$QLO_RUN/opened.log")"

# One state: the registry trees that setup writes to, exported and
# converted from UTF-16, and every file and link of the places it writes to.
snapshot() {
    out="$state/$1"
    mkdir -p "$out"
    i=0
    for key in 'HKEY_CURRENT_USER\Software\Quillo' 'HKEY_CLASSES_ROOT' \
               'HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\App Paths' \
               'HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall' \
               'HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Shell Extensions\Approved'; do
        i=$((i + 1))
        # A key that does not exist exports nothing: an empty tree.
        if wine_bounded 120 "$QLO_WINE" reg export "$key" "$(winpath "$out/reg-$i.reg")" /y \
                >/dev/null 2>&1; then
            iconv -f UTF-16 -t UTF-8 "$out/reg-$i.reg" | tr -d '\r' >"$out/reg-$i.txt"
        else
            : >"$out/reg-$i.txt"
        fi
        rm -f "$out/reg-$i.reg"
    done
    # Program Files, the users' folders (Start menu, temporary folder) and
    # the shared Start menu; Wine links the desktop to $HOME/Desktop.
    {
        for place in "Program Files" users ProgramData; do
            [ -d "$c/$place" ] && find "$c/$place" -mindepth 1 -printf "%y %s C:\\\\$place\\\\%P\n"
        done
        find "$HOME/Desktop" -mindepth 1 -printf '%y %s Desktop\\%P\n'
    } | sed 's|/|\\|g' | sed 's|^d [0-9]* |d 0 |' | sort -k3 >"$out/files.txt"
}
show_changes() {
    "$python" "$here/state.py" diff "$state/$1" "$state/$2"
}
show_opened() {
    if [ -s "$QLO_RUN/opened.log" ]; then
        say "the shell was asked to open:"
        tr -d '\r' <"$QLO_RUN/opened.log" | sed 's/^/  /'
        rm -f "$QLO_RUN/opened.log"
    fi
}
# Runs the driver with its output in a file (a process the program starts
# may hold a pipe open long after), then shows it in UTF-8.
drive() {
    log="$QLO_RUN/driver.log"
    status=0
    if [ -n "$QLO_DEMO_DISPLAY" ]; then
        DISPLAY="$QLO_DEMO_DISPLAY" wine_bounded 1900 "$QLO_WINE" "$QLO_BUILD_DIR/tests/demodriver.exe" \
            "$@" >"$log" 2>&1 || status=$?
    else
        wine_bounded 300 "$QLO_WINE" "$QLO_BUILD_DIR/tests/demodriver.exe" "$@" >"$log" 2>&1 || status=$?
    fi
    iconv -f WINDOWS-1252 -t UTF-8 "$log" | tr -d '\r'
    return $status
}
shots="$(winpath "$QLO_RUN_OUT")"
mode=setup
[ -n "$QLO_DEMO_DISPLAY" ] && mode=watch

step "A Windows $QLO_FAMILY prefix with another archiver's file types"
# A made-up archiver owns .zip (with a "New" menu entry) and .cab: their
# owner must be back after the uninstall.
reg="$QLO_RUN/other-archiver.reg"
printf '%s\r\n' 'REGEDIT4' '' \
    '[HKEY_CLASSES_ROOT\.zip]' '@="OtherZip.Archive"' '"Content Type"="application/x-otherzip"' '' \
    '[HKEY_CLASSES_ROOT\.zip\ShellNew]' '"NullFile"=""' '' \
    '[HKEY_CLASSES_ROOT\.cab]' '@="OtherZip.Cabinet"' '' \
    '[HKEY_CLASSES_ROOT\OtherZip.Archive]' '@="OtherZip archive"' '' \
    '[HKEY_CLASSES_ROOT\OtherZip.Archive\shell\open\command]' '@="\"C:\\OtherZip\\otherzip.exe\" \"%1\""' '' \
    '[HKEY_CLASSES_ROOT\OtherZip.Cabinet]' '@="OtherZip cabinet"' >"$reg"
wine_bounded 120 "$QLO_WINE" reg import "$(winpath "$reg")" >/dev/null 2>&1
say "HKCR\\.zip -> OtherZip.Archive (with a \"New\" menu entry), HKCR\\.cab -> OtherZip.Cabinet"
snapshot 0-clean

step "The sample installation in C:\\Program Files\\Quillo"
mkdir -p "$dir"
for f in uninstall.exe Quillo.exe qloext.dll license.txt order.txt Qlo.txt; do
    cp "$QLO_BUILD_DIR/bin/$f" "$dir/"
done
# The list that an installer leaves for the uninstall: every file it
# installed but uninstall.exe, and the "New" menu templates that setup
# writes beside the program.
list="Quillo.exe qloext.dll license.txt order.txt Qlo.txt qlonew.dat zipnew.dat"
case "$QLO_DEMO_LANG" in
    german) cp "$QLO_BUILD_DIR/bin/qlolng.dll" "$dir/"; list="$list qlolng.dll" ;;
    french) cp "$QLO_SOURCE_DIR/res/lang/uninstall.lng" "$dir/"; list="$list uninstall.lng" ;;
esac
for f in $list; do printf '%s\r\n' "$f"; done >"$dir/Uninstall.lst"
snapshot 1-installed
show_changes 0-clean 1-installed
say "Uninstall.lst names: $(echo $list)"

step "Setup: uninstall.exe $([ "$QLO_DEMO_SILENT" = 1 ] && echo '/s ')/setup, from the program folder"
program='C:\Program Files\Quillo\uninstall.exe'
failed=0
if [ "$QLO_DEMO_SILENT" = 1 ]; then
    drive $mode "$program" "$shots" /s /setup || failed=1
else
    drive $mode "$program" "$shots" /setup || failed=1
fi
show_opened
snapshot 2-setup
say "what setup changed:"
show_changes 1-installed 2-setup

step "Uninstall, as the list of installed programs starts it"
key='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillo archiver'
command=$("$python" "$here/state.py" value "$state/2-setup" "$key" UninstallString) || {
    say "setup wrote no UninstallString under HKLM\\...\\Uninstall\\Quillo archiver: nothing to run"
    exit 1
}
say "UninstallString: $command"
[ "$mode" = watch ] && mode=watch || mode=uninstall
drive $mode "$command" "$shots" || failed=1
# The removal batch file deletes the program and its folder when the
# program has ended.
waited=0
while [ -e "$dir" ] && [ $waited -lt 60 ]; do sleep 1; waited=$((waited + 1)); done
hung9x=0
if [ -e "$dir" ]; then
    say "after $waited s the program folder is still there, holding: $(ls -A "$dir" | tr '\n' ' ')"
    batch=$(find "$c/users" "$c/windows/temp" -maxdepth 3 -iname Uninstall_Qlo.Bat 2>/dev/null | head -1)
    first=""
    [ -n "$batch" ] && first=$(head -1 "$batch" | tr -d '\r')
    case "$first" in
        "start /wait "*)
            say "why: the removal batch file C:\\$(printf '%s' "${batch#$c/}" | sed 's|/|\\|g') is still there, and begins"
            say "  $first"
            say "  the form for the 9x command interpreter, which has no title argument. Wine's cmd"
            say "  follows the NT rule: it takes the quoted path for a window title and waits in an"
            say "  interactive command interpreter that never ends, so the batch file never reaches"
            say "  its del and rd lines. On Windows 98 itself command.com runs it."
            hung9x=1
            ;;
        *)
            say "the removal batch file ${batch:-is gone; it} begins: ${first:-(nothing)}"
            ;;
    esac
else
    say "the program folder was gone after $waited s"
fi
show_opened
snapshot 3-uninstalled
say "what the uninstall changed:"
show_changes 2-setup 3-uninstalled

step "Anything left?"
status=0
if [ $hung9x = 1 ]; then
    # What the batch file would have deleted, and the batch file itself.
    "$python" "$here/state.py" check "$state/0-clean" "$state/2-setup" "$state/3-uninstalled" \
        'C:\Program Files\Quillo' 'C:\Program Files\Quillo\uninstall.exe' '*\Uninstall_Qlo.Bat' || status=$?
else
    "$python" "$here/state.py" check "$state/0-clean" "$state/2-setup" "$state/3-uninstalled" || status=$?
fi
if [ $failed = 1 ]; then
    say "the program did not run as planned: see the FAILED lines above"
    status=1
fi
if [ "$QLO_DEMO_KEEP" = 1 ]; then
    keep=$QLO_RUN
    # Inside the virtual machine /tmp is the machine's own memory: copy
    # the run out to this machine's disk.
    if [ "$QLO_HOW" = vm ]; then
        keep=$(mktemp -d /var/tmp/qlo-kept.XXXXXX)
        "$QLO_WINESERVER" -k 2>/dev/null || true
        cp -a "$QLO_RUN/." "$keep/"
    fi
    say "the prefix is kept: WINEPREFIX=$keep/$QLO_FAMILY HOME=$keep/home-$QLO_FAMILY"
    say "  (the states shown above are in $keep/state)"
fi
exit $status
