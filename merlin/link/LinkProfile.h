#pragma once
// The link settings in the program's profile: port and baud rate under
// "Settings", the Modbus timing under "Times". Read once at start, written
// once at exit; links opened in between take the in-memory values.
#include <merlin/core/CModbusLink.h>
#include <platform/RegistryStore.h>

namespace merlin {

// Missing keys give the defaults: port 1, 9600 baud, 3 repeats, 1000 ms
// time-out, 70 ms request delay, no silent interval.
LinkSettings loadLinkSettings(const platform::Profile& profile);
bool saveLinkSettings(platform::Profile& profile, const LinkSettings& settings);

}  // namespace merlin
