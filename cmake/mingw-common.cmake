# mingw-common.cmake
# Shared part of the two mingw-w64 toolchain files: finds the -posix compilers and
# windres for MINGW_TRIPLET (a missing tool is fatal) and runs test programs under
# Wine through scripts/wine-run.

set(CMAKE_SYSTEM_NAME Windows)

find_program(CMAKE_C_COMPILER NAMES ${MINGW_TRIPLET}-gcc-posix ${MINGW_TRIPLET}-gcc)
find_program(CMAKE_CXX_COMPILER NAMES ${MINGW_TRIPLET}-g++-posix ${MINGW_TRIPLET}-g++)
find_program(CMAKE_RC_COMPILER NAMES ${MINGW_TRIPLET}-windres windres)
foreach(tool CMAKE_C_COMPILER CMAKE_CXX_COMPILER CMAKE_RC_COMPILER)
    if(NOT ${tool})
        message(FATAL_ERROR "${tool} for ${MINGW_TRIPLET} not found; install mingw-w64 (scripts/test does)")
    endif()
endforeach()

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
