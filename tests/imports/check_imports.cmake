# check_imports.cmake
# Fails when the program imports by name a library that Windows does not always
# map from the system folder: any other library must be loaded by its full path
# (base/system_library.h), or a file of that name beside the program would run
# in the elevated process.
#   cmake -DOBJDUMP=<objdump> -DPROGRAM=<install.exe> -P check_imports.cmake
cmake_minimum_required(VERSION 3.21)
execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE headers COMMAND_ERROR_IS_FATAL ANY)
string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${headers}")
string(TOLOWER "${imports}" imports)
list(TRANSFORM imports REPLACE "dll name: " "")
if(NOT "kernel32.dll" IN_LIST imports)
    message(FATAL_ERROR "no imports read from ${PROGRAM}")
endif()
list(REMOVE_ITEM imports kernel32.dll user32.dll gdi32.dll msvcrt.dll)
if(imports)
    message(FATAL_ERROR "${PROGRAM} imports ${imports} by name; load it from the system folder")
endif()
