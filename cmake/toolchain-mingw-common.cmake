# Shared part of the mingw-w64 toolchain files; QLO_TRIPLE names the target.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${QLO_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QLO_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${QLO_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${QLO_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Everything links statically, so the programs need no runtime DLL of the
# compiler, only the system's own.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run under Wine through this wrapper (scripts/wine-rig.sh
# prepares the prefixes and the display it uses).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-exec.sh)
