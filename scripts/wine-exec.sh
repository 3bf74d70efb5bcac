#!/bin/sh
# Runs one Windows program under the Wine prefix of the current test run.
# CTest calls it for every test (it is the build's cross-compiling
# emulator); scripts/wine-rig.sh prepares what it needs and exports
# QLO_RUN. QLO_FAMILY picks the prefix: win98 or winxp, with "ja-" in
# front for a Japanese locale (ANSI code page 932).
if [ -z "$QLO_RUN" ] || [ ! -d "$QLO_RUN" ]; then
    echo "wine-exec: no test run is prepared; run the tests with scripts/test.sh" >&2
    exit 2
fi
. "$QLO_RUN/wine.env"

family=${QLO_FAMILY:-winxp}
case "$family" in
    ja-*)
        family=${family#ja-}
        export LOCPATH="$QLO_RUN/locale" LC_ALL=ja_JP.UTF-8
        ;;
esac
export WINEPREFIX="$QLO_RUN/$family" HOME="$QLO_RUN/home-$family"

# A persistent server first, with its output away from CTest's pipe: a
# server started by the program itself would keep the pipe open and make
# CTest wait for it after every test.
if "$QLO_WINESERVER" -p </dev/null >/dev/null 2>&1; then
    "$QLO_WINE" cmd /c exit </dev/null >/dev/null 2>&1
fi
# Listing a program's tests changes nothing, so a listing that fails (seen
# once, without a word of output, while the machine was busy) is tried again
# before CTest gives up on the whole program.
case " $* " in
    *" --gtest_list_tests "*)
        list=$(mktemp "$QLO_RUN/list.XXXXXX")
        for attempt in 1 2; do
            if "$QLO_WINE" "$@" >"$list"; then
                cat "$list"; rm -f "$list"; exit 0
            fi
            echo "wine-exec: listing the tests of $1 failed; trying again" >&2
            sleep 2
        done
        rm -f "$list"
        ;;
esac
exec "$QLO_WINE" "$@"
