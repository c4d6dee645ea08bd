#include <platform/RegistryStore.h>

#include <platform/ParseInt.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

// Fixed when the suite is configured: <sysconfdir>/xdg/aviary of its prefix.
#ifndef AVIARY_SYSTEM_REGISTRY_DIR
#define AVIARY_SYSTEM_REGISTRY_DIR "/etc/xdg/aviary"
#endif

std::string environment(const char* name)
{
    const char* v = std::getenv(name);
    return v && *v ? v : "";
}

std::string configuredDirectory()
{
    if (auto d = environment("AVIARY_REGISTRY"); !d.empty()) return d;
    if (auto x = environment("XDG_CONFIG_HOME"); !x.empty()) return x + "/aviary";
    const std::string home = environment("HOME");
    return (home.empty() ? std::string("/tmp") : home) + "/.config/aviary";
}

bool holdsHive(const std::string& dir)
{
    return access((dir + "/HKLM.ini").c_str(), F_OK) == 0 || access((dir + "/HKCR.ini").c_str(), F_OK) == 0;
}

bool makeDirectories(const std::string& dir)
{
    for (size_t pos = 1; pos != std::string::npos;) {
        pos = dir.find('/', pos + 1);
        const std::string part = dir.substr(0, pos);
        if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    return true;
}

// Key paths are compared without case and without stray separators, since
// callers spell the same key both ways: "SOFTWARE\\X\\" is "software\\x".
std::string normalise(const std::string& key)
{
    std::string out;
    for (char c : key) {
        if (c == '/' ) c = '\\';
        if (c == '\\' && (out.empty() || out.back() == '\\')) continue;
        out += c;
    }
    while (!out.empty() && out.back() == '\\') out.pop_back();
    return out;
}

// Serialises writers across processes for a read-modify-write of one hive.
class HiveLock {
public:
    explicit HiveLock(const std::string& file)
    {
        fd_ = ::open((file + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ >= 0 && flock(fd_, LOCK_EX) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~HiveLock()
    {
        if (fd_ >= 0) {
            flock(fd_, LOCK_UN);
            ::close(fd_);
        }
    }
    bool ok() const { return fd_ >= 0; }
private:
    int fd_ = -1;
};

template <typename F>
bool modifyHive(const RegistryStore& store, Hive hive, F&& change)
{
    if (!makeDirectories(store.directory())) return false;
    const std::string file = store.hiveFile(hive);
    HiveLock lock(file);
    if (!lock.ok()) return false;
    IniFile ini;
    if (!ini.load(file)) return false;
    if (!change(ini)) return false;
    return ini.save(file);
}

// What a lookup sees: the user's file over the system layer, value by value.
IniFile loadHive(const RegistryStore& store, Hive hive)
{
    IniFile ini;
    // An unreadable file reads as empty: every lookup then fails cleanly.
    if (const std::string system = store.systemHiveFile(hive); !system.empty()) ini.load(system);
    IniFile user;
    user.load(store.hiveFile(hive));
    for (const auto& section : user.sections()) {
        ini.addSection(section);
        for (const auto& key : user.keys(section))
            if (auto value = user.get(section, key)) ini.set(section, key, *value);
    }
    return ini;
}

}  // namespace

RegistryStore& RegistryStore::instance()
{
    // Follows the environment, so a test can point the process-wide store at
    // its own directory. A store once handed out stays alive: a thread may
    // still be using it when the configuration changes (an installation
    // appearing under a running Tern, say). One per configuration ever seen,
    // so they are few.
    static std::mutex m;
    static std::vector<std::unique_ptr<RegistryStore>> stores;
    std::lock_guard lock(m);
    const std::string dir = configuredDirectory();
    const std::string system = configuredSystemDirectory();
    for (const auto& s : stores)
        if (s->directory() == dir && s->systemDirectory() == system) return *s;
    stores.push_back(std::make_unique<RegistryStore>(dir, system));
    return *stores.back();
}

std::string RegistryStore::configuredSystemDirectory()
{
    if (auto d = environment("AVIARY_SYSTEM_REGISTRY"); !d.empty()) return d;
    if (!environment("AVIARY_REGISTRY").empty()) return {};
    std::string dirs = environment("XDG_CONFIG_DIRS");
    if (dirs.empty()) dirs = "/etc/xdg";
    for (size_t start = 0; start <= dirs.size();) {
        const size_t end = std::min(dirs.find(':', start), dirs.size());
        // Relative entries are invalid in the base-directory rules and ignored.
        if (const std::string d = dirs.substr(start, end - start); !d.empty() && d[0] == '/') {
            if (holdsHive(d + "/aviary")) return d + "/aviary";
        }
        start = end + 1;
    }
    return AVIARY_SYSTEM_REGISTRY_DIR;
}

RegistryStore::RegistryStore(std::string directory, std::string systemDirectory)
    : dir_(std::move(directory)), systemDir_(std::move(systemDirectory))
{
}

std::string RegistryStore::systemHiveFile(Hive hive) const
{
    if (systemDir_.empty()) return {};
    switch (hive) {
    case Hive::LocalMachine: return systemDir_ + "/HKLM.ini";
    case Hive::ClassesRoot: return systemDir_ + "/HKCR.ini";
    case Hive::CurrentUser: break;
    }
    return {};
}

std::string RegistryStore::hiveFile(Hive hive) const
{
    switch (hive) {
    case Hive::LocalMachine: return dir_ + "/HKLM.ini";
    case Hive::CurrentUser: return dir_ + "/HKCU.ini";
    case Hive::ClassesRoot: return dir_ + "/HKCR.ini";
    }
    return dir_ + "/HKCU.ini";
}

bool RegistryStore::keyExists(Hive hive, const std::string& key) const
{
    const std::string k = normalise(key);
    const IniFile ini = loadHive(*this, hive);
    if (ini.hasSection(k)) return true;
    // A key exists when any subkey exists, like a registry path.
    const std::string prefix = k + "\\";
    for (const auto& s : ini.sections())
        if (s.size() > prefix.size() && strncasecmp(s.c_str(), prefix.c_str(), prefix.size()) == 0) return true;
    return false;
}

bool RegistryStore::createKey(Hive hive, const std::string& key)
{
    const std::string k = normalise(key);
    return modifyHive(*this, hive, [&](IniFile& ini) {
        ini.addSection(k);
        return true;
    });
}

bool RegistryStore::deleteKey(Hive hive, const std::string& key)
{
    const std::string k = normalise(key);
    return modifyHive(*this, hive, [&](IniFile& ini) { return ini.removeSections(k) > 0; });
}

std::vector<std::string> RegistryStore::subKeys(Hive hive, const std::string& key) const
{
    const std::string prefix = normalise(key) + "\\";
    std::vector<std::string> out;
    for (const auto& s : loadHive(*this, hive).sections()) {
        if (s.size() <= prefix.size() || strncasecmp(s.c_str(), prefix.c_str(), prefix.size()) != 0) continue;
        const std::string child = s.substr(prefix.size(), s.find('\\', prefix.size()) - prefix.size());
        bool seen = false;
        for (const auto& c : out) seen = seen || strcasecmp(c.c_str(), child.c_str()) == 0;
        if (!seen) out.push_back(child);
    }
    return out;
}

std::vector<std::string> RegistryStore::valueNames(Hive hive, const std::string& key) const
{
    return loadHive(*this, hive).keys(normalise(key));
}

std::optional<std::string> RegistryStore::getString(Hive hive, const std::string& key, const std::string& name) const
{
    auto v = loadHive(*this, hive).get(normalise(key), name);
    if (!v || v->size() < 2 || (*v)[1] != ':') return std::nullopt;
    if ((*v)[0] == 's') return v->substr(2);
    return std::nullopt;  // a number is not text, as with the profile functions
}

std::optional<uint32_t> RegistryStore::getDword(Hive hive, const std::string& key, const std::string& name) const
{
    auto v = loadHive(*this, hive).get(normalise(key), name);
    if (!v || v->rfind("d:", 0) != 0) return std::nullopt;
    return parseInt<uint32_t>(std::string_view(*v).substr(2));
}

bool RegistryStore::setString(Hive hive, const std::string& key, const std::string& name, const std::string& value)
{
    const std::string k = normalise(key);
    return modifyHive(*this, hive, [&](IniFile& ini) {
        ini.set(k, name, "s:" + value);
        return true;
    });
}

bool RegistryStore::setDword(Hive hive, const std::string& key, const std::string& name, uint32_t value)
{
    const std::string k = normalise(key);
    return modifyHive(*this, hive, [&](IniFile& ini) {
        ini.set(k, name, "d:" + std::to_string(value));
        return true;
    });
}

bool RegistryStore::deleteValue(Hive hive, const std::string& key, const std::string& name)
{
    const std::string k = normalise(key);
    return modifyHive(*this, hive, [&](IniFile& ini) { return ini.remove(k, name); });
}

Profile::Profile(std::string company, std::string application, RegistryStore& store)
    : base_("Software\\" + company + "\\" + application), store_(store)
{
}

std::string Profile::sectionKey(const std::string& section) const { return base_ + "\\" + section; }

int Profile::getInt(const std::string& section, const std::string& key, int def) const
{
    if (auto v = store_.getDword(Hive::CurrentUser, sectionKey(section), key)) return static_cast<int>(*v);
    return def;
}

std::string Profile::getString(const std::string& section, const std::string& key, const std::string& def) const
{
    return store_.getString(Hive::CurrentUser, sectionKey(section), key).value_or(def);
}

bool Profile::writeInt(const std::string& section, const std::string& key, int value)
{
    return store_.setDword(Hive::CurrentUser, sectionKey(section), key, static_cast<uint32_t>(value));
}

bool Profile::writeString(const std::string& section, const std::string& key, const std::string& value)
{
    return store_.setString(Hive::CurrentUser, sectionKey(section), key, value);
}

}  // namespace platform
