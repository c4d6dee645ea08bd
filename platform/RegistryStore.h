#pragma once
// The registry, INI-backed. Three hives, each one file in the registry
// directory: HKLM.ini (installation keys), HKCU.ini (user profiles), HKCR.ini
// (class registrations). A key path like "SOFTWARE\\Aviary Drives\\Aviary\\1.4.1"
// is an INI section; values are "name=s:text" or "name=d:1234".
//
// The directory is $AVIARY_REGISTRY when set (tests, the demo), otherwise
// $XDG_CONFIG_HOME/aviary (or ~/.config/aviary). Every call reads the file and
// every change rewrites it atomically under a lock, so two programs (Tern and
// Merlin, say) can share it.
//
// The machine and classes hives have a system-wide layer below the user's
// files, so a user's records override the installation's:
// HKLM.ini and HKCR.ini of the system registry directory, written by the
// installation (the installation key, Tern's class). A value or key the user's
// file lacks is read from there; changes always go to the user's file, so a
// user can neither change nor delete the system's records. The user profile
// (HKCU) has no system layer.
#include <platform/IniFile.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class Hive { LocalMachine, CurrentUser, ClassesRoot };

class RegistryStore {
public:
    // The process-wide store at the configured directory.
    static RegistryStore& instance();
    // An empty system directory: no system layer.
    explicit RegistryStore(std::string directory, std::string systemDirectory = {});

    // Where the process-wide store finds the system layer:
    // $AVIARY_SYSTEM_REGISTRY when set; none when only $AVIARY_REGISTRY is set,
    // so a redirected store never sees an installation on the machine;
    // otherwise the first <dir>/aviary of $XDG_CONFIG_DIRS (default /etc/xdg)
    // holding a hive file, else the directory fixed when the suite was
    // configured for its installation prefix.
    static std::string configuredSystemDirectory();

    const std::string& directory() const { return dir_; }
    const std::string& systemDirectory() const { return systemDir_; }
    std::string hiveFile(Hive hive) const;
    // The system layer's file of a hive; empty for the user profile or
    // without a system layer.
    std::string systemHiveFile(Hive hive) const;

    bool keyExists(Hive hive, const std::string& key) const;
    bool createKey(Hive hive, const std::string& key);
    // Removes the key, its values and every subkey.
    bool deleteKey(Hive hive, const std::string& key);
    std::vector<std::string> subKeys(Hive hive, const std::string& key) const;
    std::vector<std::string> valueNames(Hive hive, const std::string& key) const;

    std::optional<std::string> getString(Hive hive, const std::string& key, const std::string& name) const;
    std::optional<uint32_t> getDword(Hive hive, const std::string& key, const std::string& name) const;
    // Setting a value creates its key.
    bool setString(Hive hive, const std::string& key, const std::string& name, const std::string& value);
    bool setDword(Hive hive, const std::string& key, const std::string& name, uint32_t value);
    bool deleteValue(Hive hive, const std::string& key, const std::string& name);

private:
    std::string dir_;
    std::string systemDir_;
};

// The application profile of the framework: HKCU\Software\<company>\<app>\<section>.
class Profile {
public:
    Profile(std::string company, std::string application, RegistryStore& store = RegistryStore::instance());
    int getInt(const std::string& section, const std::string& key, int def) const;
    std::string getString(const std::string& section, const std::string& key, const std::string& def = {}) const;
    bool writeInt(const std::string& section, const std::string& key, int value);
    bool writeString(const std::string& section, const std::string& key, const std::string& value);
    std::string sectionKey(const std::string& section) const;
private:
    std::string base_;
    RegistryStore& store_;
};

}  // namespace platform
