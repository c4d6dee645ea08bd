#include <merlin/core/DeviceNames.h>

#include <platform/Notice.h>

#include <array>

namespace merlin {

namespace {
// The spelling is the one the definition files and device lists carry.
constexpr const char* kUnknown = "Unkwown";
}

std::string deviceTypeName(uint32_t code)
{
    switch (code) {
    case 6: return "LT4";
    case 7: return "LM3 Dorrin";
    case 8: return "LM3";
    default: return kUnknown;
    }
}

std::string applicationName(uint32_t code)
{
    static constexpr std::array<const char*, 3> kNames{"Vexal", "Normal", "Sequencer"};
    return code < kNames.size() ? kNames[code] : kUnknown;
}

std::string definitionFileName(uint32_t deviceType, uint32_t application, uint32_t version)
{
    return platform::strFormat("%s_%s_V%d.dpf", deviceTypeName(deviceType).c_str(),
                     applicationName(application).c_str(), static_cast<int>(version));
}

std::string applicationText(uint32_t application, uint32_t version)
{
    return platform::strFormat("%s V%d", applicationName(application).c_str(), static_cast<int>(version));
}

}  // namespace merlin
