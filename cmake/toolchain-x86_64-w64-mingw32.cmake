# toolchain-x86_64-w64-mingw32.cmake
# 64-bit Windows (install64.exe) with the mingw-w64 -posix compilers.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
