# Sourced by the test and run commands: decides how this machine runs the
# 32-bit program, and sets
#   QLO_HOW    native  32-bit Wine runs here directly
#              vm      this kernel cannot execute 32-bit programs: 32-bit
#                      Wine runs inside a virtual machine (scripts/vm-run.sh)
#              x64     neither works: a 64-bit build of the same sources
#                      runs under 64-bit Wine
#   QLO_ARCH   win32 or win64; QLO_PRESET the CMake preset; QLO_BUILD its folder
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    QLO_HOW=native
elif [ "${QLO_NO_VM:-0}" != 1 ] && command -v qemu-system-x86_64 >/dev/null 2>&1 &&
     ls /boot/vmlinuz-*-amd64 2>/dev/null | grep -qv cloud; then
    QLO_HOW=vm
else
    QLO_HOW=x64
fi
if [ $QLO_HOW = x64 ]; then
    QLO_ARCH=win64 QLO_PRESET=x64 QLO_BUILD=build/x64
else
    QLO_ARCH=win32 QLO_PRESET=default QLO_BUILD=build
fi

# Runs a command where 32-bit Wine works.
qlo_on_platform() {
    if [ $QLO_HOW = vm ]; then
        scripts/vm-run.sh "$@"
    else
        "$@"
    fi
}

qlo_explain_platform() {
    case $QLO_HOW in
        vm)  echo "$1: this machine's kernel cannot execute 32-bit programs; 32-bit Wine runs in a virtual machine" ;;
        x64) echo "$1: 32-bit Wine cannot run here; testing a 64-bit build under 64-bit Wine" ;;
    esac
}
