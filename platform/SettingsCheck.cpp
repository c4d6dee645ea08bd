#include <platform/SettingsCheck.h>

namespace platform {

SerialResult checkSettings(const SerialSettings& s)
{
    if (s.baudRate == 0 || s.dataBits < 5 || s.dataBits > 8)
        return SerialResult::InvalidSetting;
    if (static_cast<uint8_t>(s.parity) > static_cast<uint8_t>(Parity::Space))
        return SerialResult::InvalidSetting;
    if (s.stopBits != StopBits::One && s.stopBits != StopBits::Two)
        return SerialResult::InvalidSetting;
    if (s.dtrDsrFlow)
        return SerialResult::InvalidSetting;
    return SerialResult::Ok;
}

}  // namespace platform
