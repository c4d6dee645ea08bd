#include <tern/server/ActivationFile.h>

#include <tern/automation/ModBusLinkIdentity.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace tern::server {

namespace {

std::string environment(const char* name)
{
    const char* v = std::getenv(name);
    return v && *v ? v : "";
}

// The bus splits Exec like a shell: a path with other characters is quoted.
std::string quoted(const std::string& path)
{
    const bool plain = path.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789/._-+") ==
                       std::string::npos;
    if (plain && !path.empty()) return path;
    std::string out = "'";
    for (char c : path) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

}  // namespace

std::string activationDirectory()
{
    if (auto d = environment("AVIARY_DBUS_SERVICES"); !d.empty()) return d;
    if (auto r = environment("AVIARY_REGISTRY"); !r.empty()) return r + "/dbus-1/services";
    if (auto x = environment("XDG_DATA_HOME"); !x.empty()) return x + "/dbus-1/services";
    const std::string home = environment("HOME");
    return (home.empty() ? std::string("/tmp") : home) + "/.local/share/dbus-1/services";
}

std::string activationFileName() { return std::string(identity::kBusName) + ".service"; }

std::string activationFileText(const std::string& programPath)
{
    // Started on behalf of a client, like a local server started for an
    // activation request.
    return "[D-BUS Service]\nName=" + std::string(identity::kBusName) + "\nExec=" + quoted(programPath) + " -Embedding\n";
}

bool writeActivationFile(const std::string& directory, const std::string& programPath)
{
    std::error_code ec;
    std::filesystem::create_directories(directory, ec);
    if (ec) {
        errno = ec.value();
        return false;
    }
    const std::string path = directory + "/" + activationFileName();
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << activationFileText(programPath);
        out.flush();
        if (!out) return false;
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const int err = errno;
        std::remove(temporary.c_str());
        errno = err;
        return false;
    }
    return true;
}

bool removeActivationFile(const std::string& directory)
{
    const std::string path = directory + "/" + activationFileName();
    return std::remove(path.c_str()) == 0 || errno == ENOENT;
}

}  // namespace tern::server
