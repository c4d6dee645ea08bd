#pragma once
// The user settings both programs keep in their profile. The programs read
// them once at start-up and write them once at exit; in between the in-memory
// values are the live ones. A program's own keys (Kestrel's telegram timing,
// say) are loaded and saved beside these by its ShellContext. Programs without
// windows (aviary-backup) read the same keys from here.
#include <platform/RegistryStore.h>

#include <string>

namespace platform {

struct ShellSettings {
    // "Settings"
    std::string appPath;      // executable base name, set at start
    std::string readerPath;   // PDF reader program
    int port = 1;             // COM port 1..4 as chosen (the port number used may differ)
    std::string baud;         // "1200" .. "38400"
    std::string protocol;     // "7E1" or "8N1"
    int commPath = 0;
    int online = 0;
    // "Options"
    bool splash = true;
    bool com = true;
    bool dummy = false;
};

// Reads every key of the profile, with the defaults for missing ones.
void loadSettings(const Profile& profile, ShellSettings& settings);
// Writes every key back. "Dummy" is written only while the options flag is set.
bool saveSettings(Profile& profile, const ShellSettings& settings, bool optionsFlag);

}  // namespace platform
