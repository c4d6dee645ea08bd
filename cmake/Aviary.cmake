# Build conventions shared by every subsystem.
#
# aviary_library(<name> <dir> [QT] [LIBS ...])
#   A static library from every .cpp in <dir> (CONFIGURE_DEPENDS glob, so adding
#   a class is adding its files). Without sources yet it is an INTERFACE target,
#   so dependants link from the first day. QT turns on AUTOMOC.
#
# aviary_tests(<dir> [LIBS ...] [QT_LIBS ...])
#   <dir>/*_test.cpp       one GoogleTest executable each (gtest_main linked)
#   <dir>/*_qtest.cpp      one Qt Test executable each, run offscreen
#   <dir>/*_dbustest.cpp   one GoogleTest executable each, every case run under
#                          a private session bus (dbus-run-session) that can
#                          activate the services in ${AVIARY_DBUS_SERVICE_DIR}
#   Every test case and every Qt test function is its own CTest entry, and a
#   skipped one shows as skipped; a Qt test named in QT_IN_ORDER is one
#   workflow whose functions build on each other, and runs as one entry. QT_QPA_PLATFORM comes from the test presets
#   for GoogleTest executables.
#   Every target named in LIBS / QT_LIBS must exist when the build is
#   generated (a misspelt one fails it); folders may be read in any order.

set(AVIARY_DBUS_SERVICE_DIR ${CMAKE_BINARY_DIR}/dbus-services)
file(MAKE_DIRECTORY ${AVIARY_DBUS_SERVICE_DIR})
configure_file(${CMAKE_CURRENT_LIST_DIR}/dbus-session.conf.in
               ${CMAKE_BINARY_DIR}/dbus-session.conf @ONLY)

function(aviary_library name dir)
  cmake_parse_arguments(A "QT" "" "LIBS" ${ARGN})
  file(GLOB _src CONFIGURE_DEPENDS ${dir}/*.cpp)
  file(GLOB _extra CONFIGURE_DEPENDS ${dir}/*.y ${dir}/*.l)
  if(_src)
    add_library(${name} STATIC ${_src})
    target_link_libraries(${name} PUBLIC ${A_LIBS} Threads::Threads)
    if(A_QT)
      set_target_properties(${name} PROPERTIES AUTOMOC ON AUTORCC ON)
    endif()
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${A_LIBS} Threads::Threads)
  endif()
endfunction()

set(AVIARY_CMAKE_DIR ${CMAKE_CURRENT_LIST_DIR})

# The programs a test may start as a child process. A test that names one in
# its source or in a header of its folder depends on it, so building the test
# never leaves it running against a stale program. The programs' targets may
# be defined in folders read later: dependencies are resolved at generation.
set(AVIARY_CHILD_PROGRAMS aviary-sim tern aviary-backup kestrel merlin wren)
function(_aviary_child_programs target src dir)
  file(READ ${src} _text)
  file(GLOB _headers ${dir}/*.h)
  foreach(h ${_headers})
    file(READ ${h} _h)
    string(APPEND _text "${_h}")
  endforeach()
  foreach(p ${AVIARY_CHILD_PROGRAMS})
    if(_text MATCHES "[/\"]${p}\"")
      add_dependencies(${target} ${p})
    endif()
  endforeach()
endfunction()

# Tests find their data below the source tree wherever CTest runs them;
# __FILE__ is relative to the build folder under Ninja and ccache.
function(_aviary_test_target t)
  target_compile_definitions(${t} PRIVATE AVIARY_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  target_compile_options(${t} PRIVATE -Werror)
endfunction()

function(aviary_tests dir)
  cmake_parse_arguments(A "" "" "LIBS;QT_LIBS;QT_IN_ORDER" ${ARGN})
  set(_libs ${A_LIBS})
  set(_qtlibs ${A_QT_LIBS})
  file(GLOB _gtests CONFIGURE_DEPENDS ${dir}/*_test.cpp)
  foreach(src ${_gtests})
    get_filename_component(t ${src} NAME_WE)
    add_executable(${t} ${src})
    target_link_libraries(${t} PRIVATE ${_libs} aviary_testsupport GTest::gtest_main GTest::gmock)
    _aviary_test_target(${t})
    # gtest_discover_tests splits property values at ';', so it gets one
    # variable here; QT_QPA_PLATFORM comes from the test presets.
    gtest_discover_tests(${t} DISCOVERY_TIMEOUT 60
      PROPERTIES TIMEOUT 60 ENVIRONMENT "AVIARY_BIN_DIR=${AVIARY_BIN_DIR}")
    _aviary_child_programs(${t} ${src} ${dir})
  endforeach()
  file(GLOB _dtests CONFIGURE_DEPENDS ${dir}/*_dbustest.cpp)
  foreach(src ${_dtests})
    get_filename_component(t ${src} NAME_WE)
    add_executable(${t} ${src})
    # Some drive windows on their private bus: the Qt part of the helpers too.
    target_link_libraries(${t} PRIVATE ${_libs} aviary_testsupport_qt GTest::gtest_main GTest::gmock)
    _aviary_test_target(${t})
    # Each case runs (and is listed) under a private session bus of its own.
    set_target_properties(${t} PROPERTIES CROSSCOMPILING_EMULATOR
      "dbus-run-session;--config-file=${CMAKE_BINARY_DIR}/dbus-session.conf;--")
    # Suites named *Helper or *Worker are child processes the cases start
    # (they skip when run alone), not tests of their own.
    # The cases of one executable start the same programs (one Merlin per
    # user, the same COM numbers): they take turns, as they did in one process.
    gtest_discover_tests(${t} DISCOVERY_TIMEOUT 60 TEST_FILTER "-*Helper.*:*Worker.*"
      PROPERTIES TIMEOUT 120 RESOURCE_LOCK ${t} ENVIRONMENT "AVIARY_BIN_DIR=${AVIARY_BIN_DIR}")
    _aviary_child_programs(${t} ${src} ${dir})
  endforeach()
  file(GLOB _qtests CONFIGURE_DEPENDS ${dir}/*_qtest.cpp)
  foreach(src ${_qtests})
    get_filename_component(t ${src} NAME_WE)
    add_executable(${t} ${src})
    set_target_properties(${t} PROPERTIES AUTOMOC ON AUTORCC ON)
    target_link_libraries(${t} PRIVATE ${_libs} ${_qtlibs} aviary_testsupport_qt Qt6::Test Qt6::Widgets)
    _aviary_test_target(${t})
    _aviary_child_programs(${t} ${src} ${dir})
    if(t IN_LIST A_QT_IN_ORDER)
      # Its functions are one workflow, each going on from the drive and the
      # files the one before left: they run together, in order.
      add_test(NAME ${t} COMMAND ${t})
      set_tests_properties(${t} PROPERTIES TIMEOUT 120 SKIP_REGULAR_EXPRESSION "SKIP   : "
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;AVIARY_BIN_DIR=${AVIARY_BIN_DIR}")
      continue()
    endif()
    set(_list ${CMAKE_CURRENT_BINARY_DIR}/${t}_functions.cmake)
    add_custom_command(TARGET ${t} POST_BUILD BYPRODUCTS ${_list}
      COMMAND ${CMAKE_COMMAND} -D TARGET=${t} -D EXE=$<TARGET_FILE:${t}> -D OUT=${_list}
              -D BIN=${AVIARY_BIN_DIR}
              -P ${AVIARY_CMAKE_DIR}/AviaryQtDiscover.cmake
      VERBATIM)
    set(_include ${CMAKE_CURRENT_BINARY_DIR}/${t}_include.cmake)
    file(WRITE ${_include}
      "if(EXISTS [=[${_list}]=])\n  include([=[${_list}]=])\n"
      "else()\n  add_test([=[${t}_NOT_BUILT]=] [=[${t}_NOT_BUILT]=])\nendif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${_include})
  endforeach()
endfunction()

# aviary_fuzz_compiler(<ok-var>)
#   Fuzz targets need clang with libFuzzer (Debian: clang, libclang-rt-14-dev);
#   they are built with clang++ by custom commands, apart from the g++ build.
#   Sets <ok-var> when AVIARY_CLANGXX can link a fuzz target.
set(AVIARY_FUZZ_SECONDS 8 CACHE STRING "Seconds each fuzz target runs under CTest")
function(aviary_fuzz_compiler ok)
  find_program(AVIARY_CLANGXX NAMES clang++ clang++-14)
  if(NOT DEFINED AVIARY_FUZZ_LINKS AND AVIARY_CLANGXX)
    set(_probe_dir ${CMAKE_BINARY_DIR}/fuzz-probe)
    file(MAKE_DIRECTORY ${_probe_dir})
    file(WRITE ${_probe_dir}/probe.cpp
         "#include <cstdint>\n#include <cstddef>\nextern \"C\" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }\n")
    execute_process(COMMAND ${AVIARY_CLANGXX} -fsanitize=fuzzer,address ${_probe_dir}/probe.cpp -o ${_probe_dir}/probe
                    RESULT_VARIABLE _probe_result OUTPUT_QUIET ERROR_QUIET)
    if(_probe_result EQUAL 0)
      set(AVIARY_FUZZ_LINKS TRUE CACHE INTERNAL "clang++ links libFuzzer targets")
    else()
      set(AVIARY_FUZZ_LINKS FALSE CACHE INTERNAL "clang++ links libFuzzer targets")
    endif()
  endif()
  if(AVIARY_CLANGXX AND AVIARY_FUZZ_LINKS)
    set(${ok} TRUE PARENT_SCOPE)
  else()
    set(${ok} FALSE PARENT_SCOPE)
  endif()
endfunction()
