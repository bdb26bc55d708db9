# The plug-in library's dynamic symbol table holds its C interface and nothing else: every function
# declared in dvnreplacer.h, no other symbol of ours, no C++ symbol, no symbol of the static libraries
# linked into it. Besides, only what the linker itself defines may appear.
#
#     cmake -DNM=nm -DLIBRARY=libdorvane_plugin.so -DHEADER=dvnreplacer.h -P check_exports.cmake
cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY} OUTPUT_VARIABLE table RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${NM} failed on ${LIBRARY}")
endif()

file(READ ${HEADER} header)
string(REGEX MATCHALL "DVNREPLACER_EXPORT [A-Za-z_ ]+\\** *dvnreplacer_[a-z_]+\\(" declarations "${header}")
set(declared)
foreach(declaration ${declarations})
    string(REGEX REPLACE ".*[ *](dvnreplacer_[a-z_]+)\\($" "\\1" name "${declaration}")
    list(APPEND declared ${name})
endforeach()
list(LENGTH declared count)
if(count LESS 20)
    message(FATAL_ERROR "found only ${count} declarations in ${HEADER}: ${declared}")
endif()

set(linkerSymbols _init _fini _edata _end __bss_start)
set(exported)
set(unexpected)
string(REPLACE "\n" ";" lines "${table}")
foreach(line ${lines})
    if(line MATCHES "^[0-9a-fA-F]* *[A-Za-z] ([^ @]+)")
        set(name ${CMAKE_MATCH_1})
        if(name MATCHES "^dvnreplacer_")
            list(APPEND exported ${name})
        elseif(NOT name IN_LIST linkerSymbols)
            list(APPEND unexpected ${name})
        endif()
    endif()
endforeach()

list(SORT declared)
list(SORT exported)
set(missing ${declared})
list(REMOVE_ITEM missing ${exported})
set(undeclared ${exported})
list(REMOVE_ITEM undeclared ${declared})
list(LENGTH unexpected unexpectedCount)
if(unexpectedCount GREATER 20)
    list(SUBLIST unexpected 0 20 unexpected)
    list(APPEND unexpected "... ${unexpectedCount} in all")
endif()
if(unexpectedCount OR missing OR undeclared)
    message(FATAL_ERROR "exports of ${LIBRARY} differ from ${HEADER}:\n"
                        "  not ours to export: ${unexpected}\n"
                        "  declared, not exported: ${missing}\n"
                        "  exported, not declared: ${undeclared}")
endif()
message(STATUS "${count} functions exported, nothing else")
