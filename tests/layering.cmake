# layering.cmake
# The layering of the sources, stated once and checked over every file of ours:
# each folder, and the folders whose headers its files may include besides its
# own. Arrows only point down, so no two folders include each other. The build
# enforces the same through each layer's include folder (see kvr7_layer in the
# top CMakeLists.txt); this check names the offending line.
#   cmake -DSOURCE_DIR=<repository root> -P layering.cmake

# The product, bottom up.
set(allowed_base "")
set(allowed_framework "")
set(allowed_difx_interface "")
set(allowed_res "")
set(allowed_inf base)
set(allowed_ui framework base res)
set(allowed_install ui inf base difx_interface)
set(allowed_app install ui inf base framework res)
# Beside the product: the stand-in library plays the driver-package library from
# its interface, with the INF reader's handle owner; the shipped console programs stand on what they share (console),
# kvr7ctl also on the INF reader, the custom actions on the debugger capture and
# kvr7ctl's exit codes, the benchmark on the INF reader.
set(allowed_difxapi inf base difx_interface)
set(allowed_console base)
set(allowed_debugout console base)
set(allowed_kvr7ctl debugout console inf base)
set(allowed_msi_action kvr7ctl debugout console base)
set(allowed_bench inf base)
# The tests, the test tools among them, may include anything; nothing above
# includes them.
set(allowed_tests base framework difx_interface res inf ui install app difxapi console debugout
    kvr7ctl msi_action)

set(folders base framework difx_interface res inf ui install app difxapi console debugout kvr7ctl
    msi_action bench tests)

if(NOT SOURCE_DIR)
    message(FATAL_ERROR "layering: pass -DSOURCE_DIR=<repository root>")
endif()

set(violations "")
set(checked 0)
foreach(folder ${folders})
    file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
         ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp ${SOURCE_DIR}/${folder}/*.rc)
    foreach(source ${sources})
        math(EXPR checked "${checked} + 1")
        file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
        foreach(line ${includes})
            # Only includes of the form "folder/...": a bare name is the folder's own.
            if(line MATCHES "\"([A-Za-z0-9_]+)/")
                set(target ${CMAKE_MATCH_1})
                list(FIND allowed_${folder} ${target} found)
                if(NOT target STREQUAL folder AND found EQUAL -1)
                    string(STRIP "${line}" line)
                    string(APPEND violations "  ${source}: ${line} (${folder}/ may not include ${target}/)\n")
                endif()
            endif()
        endforeach()
    endforeach()
endforeach()

if(checked EQUAL 0)
    message(FATAL_ERROR "layering: no sources found under ${SOURCE_DIR}")
endif()
if(violations)
    message(FATAL_ERROR "layering: includes against the layering:\n${violations}")
endif()
message(STATUS "layering: ${checked} files follow the layering")
