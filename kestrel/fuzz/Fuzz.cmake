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
# The readers and what they reach, compiled again with the sanitizers: only
# these, not the whole core. A reader that comes to need another source fails
# to link, naming what it lacks. The message box stays out (FuzzSupport stands
# in for the message seam).
set(_fuzz_core_names
  CDatabase CDeviceTable CMSComm CTelegram CTervikDoc CWorkFile CloseList
  CustomListEditor DeviceConnection DeviceStatus FileBytes FileCompare FormatValue
  HexText KestrelState KeypadChange ListDialogs ListFile ListOpener ListSaver ListTitles
  ParameterList ParameterSelection PrintFile TvkRecord ValueDisplay ValueEntry
  VersionList WorkRecord WritePlan)
set(_fuzz_platform_names
  AtomicFile Clock ComPortTelnet CustomBaud FileDialog IniFile LineLock LineOptions
  LinePortState MappedSerialPort ParmrkDecoder PortMap PortProblem PosixSerialPort
  ProcessLauncher ReadDeadline RegistryStore RemoteSerialPort SettingsCheck
  TermiosSettings WholeFile)
list(TRANSFORM _fuzz_core_names PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/core/ OUTPUT_VARIABLE _fuzz_core)
list(TRANSFORM _fuzz_platform_names PREPEND ${PROJECT_SOURCE_DIR}/platform/ OUTPUT_VARIABLE _fuzz_platform)
list(APPEND _fuzz_core ${_fuzz_platform})
list(TRANSFORM _fuzz_core APPEND .cpp)
file(GLOB _fuzz_own ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/*.cpp)
list(APPEND _fuzz_core ${_fuzz_own})

# One executable serves the three readers (linked once: the sources are
# many and the sanitizers slow); AVIARY_FUZZ_READER picks the reader.
set(_exe ${_fuzz_dir}/kestrel_readers_fuzzer)
aviary_fuzz_target(${_exe} SOURCES ${_fuzz_core}
  FLAGS -I${PROJECT_SOURCE_DIR} -I${PROJECT_BINARY_DIR}/generated)
add_custom_target(kestrel_fuzzers ALL DEPENDS ${_exe})
foreach(f list_file tvk_database netlist)
  aviary_fuzz_test(kestrel_fuzz_${f} ${_exe} ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus/${f}
    ENV AVIARY_FUZZ_READER=${f})
endforeach()
