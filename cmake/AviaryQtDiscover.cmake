# Run after a Qt Test executable is built: asks it for its test functions and
# writes one CTest entry per function, so a failing or skipped function shows
# under its own name instead of hiding inside a passing executable. The
# functions of one executable take turns, as they did in one process.
#   cmake -D TARGET=<name> -D EXE=<path> -D OUT=<file> -D BIN=<program folder> -P AviaryQtDiscover.cmake
execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${EXE} -functions
                OUTPUT_VARIABLE _out ERROR_VARIABLE _err RESULT_VARIABLE _rc TIMEOUT 60)
if(NOT _rc EQUAL 0)
  message(FATAL_ERROR "${EXE} -functions failed (${_rc}): ${_err}")
endif()
string(REGEX MATCHALL "[A-Za-z_][A-Za-z0-9_]*\\(\\)" _functions "${_out}")
if(NOT _functions)
  message(FATAL_ERROR "${EXE} lists no test function")
endif()
set(_text "")
foreach(_f IN LISTS _functions)
  string(REPLACE "()" "" _name "${_f}")
  string(APPEND _text
    "add_test([=[${TARGET}.${_name}]=] [=[${EXE}]=] [=[${_name}]=])\n"
    "set_tests_properties([=[${TARGET}.${_name}]=] PROPERTIES TIMEOUT 120 RESOURCE_LOCK ${TARGET}"
    " ENVIRONMENT [=[QT_QPA_PLATFORM=offscreen;AVIARY_BIN_DIR=${BIN}]=] SKIP_REGULAR_EXPRESSION [=[SKIP   : ]=])\n")
endforeach()
file(WRITE ${OUT} "${_text}")
