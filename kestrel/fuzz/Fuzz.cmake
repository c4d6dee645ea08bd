# libFuzzer targets of Kestrel's readers: parameter files and custom lists
# (".par", ".ctm") checked and opened into a list document, parameter
# databases (".tvk") walked by every list operation, and the device table
# "netlist.cfg".
#
# Built only when clang++ can link a fuzz target (aviary_fuzz_compiler). CTest runs each one for a
# few seconds on its corpus (kestrel_fuzz_*). Longer runs by hand:
#   AVIARY_FUZZ_READER=list_file build/kestrel/fuzz/kestrel_readers_fuzzer \
#       -max_total_time=600 work/ kestrel/fuzz/corpus/list_file
aviary_fuzz_compiler(_kfuzz_ok)
if(NOT _kfuzz_ok)
  message(STATUS "Kestrel fuzz targets: no clang++ with libFuzzer, skipped")
  return()
endif()

set(_fuzz_dir ${CMAKE_CURRENT_BINARY_DIR}/fuzz)
# The readers and everything they reach; the message box stays out
# (FuzzSupport stands in for the message seam).
file(GLOB _fuzz_core ${CMAKE_CURRENT_SOURCE_DIR}/core/*.cpp ${PROJECT_SOURCE_DIR}/platform/*.cpp)
list(REMOVE_ITEM _fuzz_core ${PROJECT_SOURCE_DIR}/platform/MessageBox.cpp)
file(GLOB _fuzz_own ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/*.cpp)
list(APPEND _fuzz_core ${_fuzz_own})

# One executable serves the three readers (linked once: the sources are
# many and the sanitizers slow); AVIARY_FUZZ_READER picks the reader.
set(_exe ${_fuzz_dir}/kestrel_readers_fuzzer)
aviary_fuzz_target(${_exe} SOURCES ${_fuzz_core}
  FLAGS -I${PROJECT_SOURCE_DIR} -I${PROJECT_BINARY_DIR}/generated)
add_custom_target(kestrel_fuzzers ALL DEPENDS ${_exe})
foreach(f list_file tvk_database netlist)
  # New inputs go to the work directory, never into the corpus of the tree.
  add_test(NAME kestrel_fuzz_${f}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1 AVIARY_FUZZ_READER=${f}
            ${_exe} -max_total_time=${AVIARY_FUZZ_SECONDS} -timeout=10 -rss_limit_mb=1024
            ${_fuzz_dir}/work_${f} ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus/${f})
  set_tests_properties(kestrel_fuzz_${f} PROPERTIES TIMEOUT 120 PROCESSORS 2)
  file(MAKE_DIRECTORY ${_fuzz_dir}/work_${f})
endforeach()
