# toolchain-i686-w64-mingw32.cmake
# 32-bit Windows (install.exe) with the mingw-w64 -posix compilers.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
