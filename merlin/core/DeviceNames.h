#pragma once
// The names of the codes a drive reports in its identification registers.
// They name the drive in the device list and name its definition file:
// type 8, application 1, version 3 is described by "LM3_Normal_V3.dpf".
#include <cstdint>
#include <string>

namespace merlin {

// 6 "LT4", 7 "LM3 Dorrin", 8 "LM3"; every other code "Unkwown".
std::string deviceTypeName(uint32_t code);
// 0 "Vexal", 1 "Normal", 2 "Sequencer"; every other code "Unkwown".
std::string applicationName(uint32_t code);
// "%s_%s_V%d.dpf" of the two names and the version.
std::string definitionFileName(uint32_t deviceType, uint32_t application, uint32_t version);
// "%s V%d": the application column of the device list.
std::string applicationText(uint32_t application, uint32_t version);

}  // namespace merlin
