# Build conventions shared by every subsystem.
#
# aviary_library(<name> <dir> [QT] [LIBS ...])
#   A static library from every .cpp in <dir> (CONFIGURE_DEPENDS glob, so adding
#   a class is adding its files). Without sources yet it is an INTERFACE target,
#   so dependants link from the first day. QT turns on AUTOMOC.
#
# aviary_tests(<dir> [LIBS ...] [QT_LIBS ...])
#   <dir>/*_test.cpp       one GoogleTest executable for the folder (gtest_main)
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
      # Merlin and the backup tool reach their drives through Tern, which the
      # session bus starts from the build tree.
      if(p STREQUAL "merlin" OR p STREQUAL "aviary-backup")
        add_dependencies(${target} tern)
      endif()
    endif()
  endforeach()
endfunction()

# Tests find their data below the source tree wherever CTest runs them;
# __FILE__ is relative to the build folder under Ninja and ccache.
# The tests' own code is compiled without optimisation: it runs once per
# case, and optimising GoogleTest's expansions doubled the suite's build time.
# The code under test keeps the build type's flags. All test code is
# position-independent as Qt requires, so one precompiled header serves the
# tests with and without Qt.
function(_aviary_test_target t)
  target_compile_definitions(${t} PRIVATE AVIARY_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  target_compile_options(${t} PRIVATE -Werror -O0 -fPIC)
endfunction()

# GoogleTest and GoogleMock headers are compiled once for every test
# executable: they cost more than most test sources themselves. The header's
# owner is an executable too, so it is compiled with the tests' own flags.
add_executable(aviary_gtest_pch ${CMAKE_CURRENT_LIST_DIR}/PchOwner.cpp)
set_target_properties(aviary_gtest_pch PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/pch)
target_link_libraries(aviary_gtest_pch PRIVATE GTest::gtest GTest::gmock)
_aviary_test_target(aviary_gtest_pch)
target_precompile_headers(aviary_gtest_pch PRIVATE
  <gtest/gtest.h> <gmock/gmock.h>
  <algorithm> <chrono> <cstdint> <filesystem> <fstream> <functional> <map>
  <memory> <optional> <sstream> <string> <thread> <vector>)
function(_aviary_gtest_pch t)
  target_precompile_headers(${t} REUSE_FROM aviary_gtest_pch)
endfunction()

# Qt's widget headers are most of the compile time of every window: the
# libraries with windows share one precompiled set of them, the Qt tests
# another (the tests are compiled as executables, without optimisation).
# GCC refuses a precompiled header when a macro it was made with is missing
# or different: the owners link only what every user defines (Qt Test's
# headers name the test's own folder, so they stay out).
set(AVIARY_QT_PCH_HEADERS
  <QAbstractButton> <QAction> <QApplication> <QCheckBox> <QCloseEvent> <QComboBox>
  <QDialog> <QDialogButtonBox> <QGridLayout> <QGroupBox> <QHBoxLayout> <QLabel>
  <QLineEdit> <QMdiArea> <QMdiSubWindow> <QPushButton> <QRadioButton> <QString>
  <QTimer> <QVBoxLayout> <QWidget>
  <functional> <memory> <string> <vector>)
add_library(aviary_qt_pch OBJECT ${CMAKE_CURRENT_LIST_DIR}/PchOwner.cpp)
target_link_libraries(aviary_qt_pch PRIVATE Qt6::Widgets)
target_precompile_headers(aviary_qt_pch PRIVATE ${AVIARY_QT_PCH_HEADERS})
function(aviary_qt_pch target)
  target_precompile_headers(${target} REUSE_FROM aviary_qt_pch)
endfunction()
add_executable(aviary_qtest_pch ${CMAKE_CURRENT_LIST_DIR}/PchOwner.cpp)
set_target_properties(aviary_qtest_pch PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/pch)
target_link_libraries(aviary_qtest_pch PRIVATE Qt6::Widgets)
_aviary_test_target(aviary_qtest_pch)
target_precompile_headers(aviary_qtest_pch PRIVATE ${AVIARY_QT_PCH_HEADERS})

function(aviary_tests dir)
  cmake_parse_arguments(A "" "" "LIBS;QT_LIBS;QT_IN_ORDER" ${ARGN})
  set(_libs ${A_LIBS})
  set(_qtlibs ${A_QT_LIBS})
  # The GoogleTest sources of one folder link into one executable named after
  # the folder (kestrel/tests: kestrel_tests): a link step per folder, not per
  # file. CTest still runs and lists every case on its own.
  file(GLOB _gtests CONFIGURE_DEPENDS ${dir}/*_test.cpp)
  if(_gtests)
    file(RELATIVE_PATH _rel ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/${dir})
    string(REPLACE "/" "_" t "${_rel}")
    add_executable(${t} ${_gtests})
    target_link_libraries(${t} PRIVATE ${_libs} aviary_testsupport GTest::gtest_main GTest::gmock)
    _aviary_test_target(${t})
    _aviary_gtest_pch(${t})
    # gtest_discover_tests splits property values at ';', so it gets one
    # variable here; QT_QPA_PLATFORM comes from the test presets.
    gtest_discover_tests(${t} DISCOVERY_TIMEOUT 60
      PROPERTIES TIMEOUT 60 ENVIRONMENT "AVIARY_BIN_DIR=${AVIARY_BIN_DIR}")
    foreach(src ${_gtests})
      _aviary_child_programs(${t} ${src} ${dir})
    endforeach()
  endif()
  file(GLOB _dtests CONFIGURE_DEPENDS ${dir}/*_dbustest.cpp)
  foreach(src ${_dtests})
    get_filename_component(t ${src} NAME_WE)
    add_executable(${t} ${src})
    # Some drive windows on their private bus: the Qt part of the helpers too.
    target_link_libraries(${t} PRIVATE ${_libs} aviary_testsupport_qt GTest::gtest_main GTest::gmock)
    _aviary_test_target(${t})
    _aviary_gtest_pch(${t})
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
    target_precompile_headers(${t} REUSE_FROM aviary_qtest_pch)
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

# aviary_fuzz_target(<exe> SOURCES ... [FLAGS ...])
#   Links the fuzz target <exe> (a path) from SOURCES, each compiled by clang++
#   to its own object with libFuzzer's, ASan's and UBSan's instrumentation.
#   Objects are built in parallel, rebuilt from the compiler's header
#   dependencies, and shared by the targets of one folder that name the same
#   source (their FLAGS must then be the same).
function(aviary_fuzz_target exe)
  cmake_parse_arguments(A "" "" "SOURCES;FLAGS" ${ARGN})
  set(_objdir ${CMAKE_CURRENT_BINARY_DIR}/fuzz/obj)
  set(_flags -std=c++20 -gline-tables-only -O1 -fsanitize=fuzzer-no-link,address,undefined
      -fno-sanitize-recover=undefined ${A_FLAGS})
  set(_objs)
  get_property(_done DIRECTORY PROPERTY AVIARY_FUZZ_OBJECTS)
  foreach(src ${A_SOURCES})
    get_filename_component(_name ${src} NAME_WE)
    string(MD5 _hash "${src}")
    string(SUBSTRING ${_hash} 0 8 _hash)
    set(_obj ${_objdir}/${_name}-${_hash}.o)
    if(NOT _obj IN_LIST _done)
      add_custom_command(OUTPUT ${_obj}
        COMMAND ${AVIARY_CLANGXX} ${_flags} -MD -MF ${_obj}.d -c ${src} -o ${_obj}
        DEPENDS ${src}
        DEPFILE ${_obj}.d
        COMMENT "Compiling ${_name} for the fuzz targets"
        VERBATIM)
      list(APPEND _done ${_obj})
    endif()
    list(APPEND _objs ${_obj})
  endforeach()
  set_property(DIRECTORY PROPERTY AVIARY_FUZZ_OBJECTS ${_done})
  get_filename_component(_target ${exe} NAME)
  add_custom_command(OUTPUT ${exe}
    COMMAND ${AVIARY_CLANGXX} -fsanitize=fuzzer,address,undefined ${_objs} -o ${exe}
    DEPENDS ${_objs}
    COMMENT "Linking fuzz target ${_target}"
    VERBATIM)
endfunction()

# aviary_fuzz_test(<name> <exe> <corpus> [ENV var=value ...])
#   Runs <exe> under CTest for AVIARY_FUZZ_SECONDS on <corpus>; new inputs go
#   to a work directory of the build, never into the corpus of the tree.
#   A fuzz target keeps a core busy for all its seconds: CTest runs it alone
#   (PROCESSORS 2), so the tests that answer a line in milliseconds never
#   share the machine with it. scripts/check-unprivileged.sh runs the fuzz
#   targets (label "fuzz") after the rest, two at a time.
function(aviary_fuzz_test name exe corpus)
  cmake_parse_arguments(A "" "" "ENV" ${ARGN})
  set(_work ${CMAKE_CURRENT_BINARY_DIR}/fuzz/work_${name})
  file(MAKE_DIRECTORY ${_work})
  add_test(NAME ${name}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1 ${A_ENV}
            ${exe} -max_total_time=${AVIARY_FUZZ_SECONDS} -timeout=10
            -rss_limit_mb=1024 ${_work} ${corpus})
  set_tests_properties(${name} PROPERTIES TIMEOUT 120 PROCESSORS 2 LABELS fuzz)
endfunction()
