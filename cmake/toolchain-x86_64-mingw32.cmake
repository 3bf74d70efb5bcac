# 64-bit Windows: the same sources built to run the tests under 64-bit Wine
# on machines that cannot execute 32-bit Linux programs (see README).
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(QLO_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
