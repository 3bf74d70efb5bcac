# 32-bit Windows, the program as it ships. The posix thread variant of the
# compilers is needed for GoogleTest.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(QLO_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
