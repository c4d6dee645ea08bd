# libFuzzer targets of the definition-file and parameter-file readers.
#
# Built only when clang++ can link a fuzz target (aviary_fuzz_compiler). Then CTest runs each one
# for a few seconds on its corpus (merlin_fuzz_*). Longer runs by hand:
#   build/merlin/fuzz/dpf_reader_fuzzer -max_total_time=600 work/ merlin/fuzz/corpus/dpf
#
# Included from merlin/CMakeLists.txt (same directory scope as the generated
# scanner and parser it compiles).
aviary_fuzz_compiler(_fuzz_ok)
if(NOT _fuzz_ok)
  message(STATUS "Merlin fuzz targets: no clang++ with libFuzzer, skipped")
  return()
endif()
message(STATUS "Merlin fuzz targets: ${AVIARY_CLANGXX}")

set(_fuzz_dir ${CMAKE_CURRENT_BINARY_DIR}/fuzz)
set(_fuzz_core
    ${CMAKE_CURRENT_SOURCE_DIR}/core/CEnumTable.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/core/CParSet.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/core/CParSetArchive.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/core/CDpfParSet.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/core/CDpfParSetLoad.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/core/CDpfParSetStore.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/core/DpfReader.cpp
    ${_dpf_gen}/DpfParser.cpp
    ${_dpf_gen}/DpfScanner.cpp)
list(APPEND _fuzz_core ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/FuzzSupport.cpp ${PROJECT_SOURCE_DIR}/platform/AtomicFile.cpp
     ${PROJECT_SOURCE_DIR}/platform/Notice.cpp)
set(_fuzz_flags -I${PROJECT_SOURCE_DIR} -I${_dpf_gen} -DAVIARY_MERLIN_DIR="${CMAKE_CURRENT_SOURCE_DIR}")

foreach(f dpf_reader par_file)
  set(_exe ${_fuzz_dir}/${f}_fuzzer)
  # The readers' objects are compiled once for both targets.
  aviary_fuzz_target(${_exe} SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/${f}_fuzzer.cpp ${_fuzz_core}
    FLAGS ${_fuzz_flags})
  list(APPEND _fuzz_exes ${_exe})
  aviary_fuzz_test(merlin_fuzz_${f} ${_exe} ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus/${f})
endforeach()
add_custom_target(merlin_fuzzers ALL DEPENDS ${_fuzz_exes})
