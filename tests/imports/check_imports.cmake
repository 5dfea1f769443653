# check_imports.cmake
# Fails when the program imports a library by name that Windows does not always
# map from the system folder: every other library must be loaded at run time
# by its full path (base/system_library.h), or a file of that name beside the
# program would be loaded into the elevated process.
#   cmake -DOBJDUMP=<objdump> -DPROGRAM=<install.exe> -P check_imports.cmake
cmake_minimum_required(VERSION 3.21)
set(allowed kernel32.dll user32.dll gdi32.dll msvcrt.dll)

execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM}
    OUTPUT_VARIABLE headers RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} could not read ${PROGRAM}")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" lines "${headers}")
if(NOT lines)
    message(FATAL_ERROR "no imports found in ${PROGRAM}")
endif()
set(unexpected)
foreach(line IN LISTS lines)
    string(REPLACE "DLL Name: " "" name "${line}")
    string(STRIP "${name}" name)
    string(TOLOWER "${name}" name)
    if(NOT name IN_LIST allowed)
        list(APPEND unexpected ${name})
    endif()
endforeach()
if(unexpected)
    message(FATAL_ERROR "${PROGRAM} imports ${unexpected} by name; load it from the system folder instead")
endif()
message(STATUS "${PROGRAM} imports only ${allowed} (or fewer)")
