# dorvane_add_library(NAME DIR [LINKS ...])
# One library per subsystem folder; sources are globbed so that new classes need no list edits.
#
# Each library exports an include folder of its own that holds only its own headers (links to them under
# build/include/NAME/DIR), so "engine/X.h" is found only by what links the engine: an include from a
# lower layer into a higher one does not compile.
#
# dorvane_export_headers(NAME DIR [HEADERS file...]): HEADERS (names inside DIR) exports only those, e.g. a
# library whose interface is one header of a folder it shares with others.
function(dorvane_export_headers name dir)
    cmake_parse_arguments(ARG "" "" "HEADERS" ${ARGN})
    set(root ${CMAKE_BINARY_DIR}/include/${name})
    file(REMOVE_RECURSE ${root})
    if(ARG_HEADERS)
        list(TRANSFORM ARG_HEADERS PREPEND ${CMAKE_SOURCE_DIR}/src/${dir}/ OUTPUT_VARIABLE headers)
    else()
        file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${dir}/*.h)
    endif()
    foreach(header ${headers})
        get_filename_component(file ${header} NAME)
        file(MAKE_DIRECTORY ${root}/${dir})
        file(CREATE_LINK ${header} ${root}/${dir}/${file} SYMBOLIC)
    endforeach()
    file(MAKE_DIRECTORY ${root})
    set(DORVANE_INCLUDE_ROOT ${root} PARENT_SCOPE)
endfunction()

function(dorvane_add_library name dir)
    cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h ${dir}/*.qrc)
    dorvane_export_headers(${name} ${dir})
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${DORVANE_INCLUDE_ROOT})
    target_link_libraries(${name} PUBLIC ${ARG_LINKS})
endfunction()

# dorvane_add_test(NAME SOURCES... LINKS ... [GUI])
# One Qt Test executable per tested unit, registered with CTest. GUI tests run on the offscreen platform.
function(dorvane_add_test name)
    cmake_parse_arguments(ARG "GUI" "" "SOURCES;LINKS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test dorvane_testsupport ${ARG_LINKS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 600)
endfunction()
