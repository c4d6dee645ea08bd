# libFuzzer target of the gateway's MBAP reader: whatever a TCP client
# sends, the reader either takes whole requests out of it, asks for more, or
# refuses the stream, and every request it hands on passes the checks
# before the line without reading outside its PDU.
#
# Built only when clang++ can link a fuzz target (aviary_fuzz_compiler). CTest
# runs it for a few seconds (tern_fuzz_mbap). Longer by hand:
#   build/tern/gateway/fuzz/mbap_reader_fuzzer -max_total_time=600 work/ tern/gateway/fuzz/corpus
aviary_fuzz_compiler(_tfuzz_ok)
if(NOT _tfuzz_ok)
  message(STATUS "Tern fuzz targets: no clang++ with libFuzzer, skipped")
  return()
endif()

set(_fuzz_dir ${CMAKE_CURRENT_BINARY_DIR}/fuzz)
set(_fuzz_src ${CMAKE_CURRENT_SOURCE_DIR}/MbapReader.cpp ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/MbapReaderFuzz.cpp)
set(_exe ${_fuzz_dir}/mbap_reader_fuzzer)
aviary_fuzz_target(${_exe} SOURCES ${_fuzz_src} FLAGS -I${PROJECT_SOURCE_DIR})
add_custom_target(tern_fuzzers ALL DEPENDS ${_exe})
aviary_fuzz_test(tern_fuzz_mbap ${_exe} ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus)
