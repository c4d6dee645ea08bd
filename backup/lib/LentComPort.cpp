#include <backup/lib/LentComPort.h>

#include <platform/AtomicFile.h>
#include <platform/PortMap.h>
#include <platform/RegistryStore.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <unistd.h>

namespace backup {

namespace {

namespace fs = std::filesystem;

constexpr int kComPorts = 8;

std::string portsFile() { return platform::RegistryStore::instance().directory() + "/ports.ini"; }

std::string realDevice(const std::string& device)
{
    std::error_code ec;
    const fs::path real = fs::canonical(device, ec);
    return ec ? device : real.string();
}

bool setInEnvironment(int n)
{
    const char* v = std::getenv(("AVIARY_" + platform::comPortName(n)).c_str());
    return v && *v;
}

std::optional<std::string> readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Writers of ports.ini take turns, as the registry's writers do.
class PortsFileLock {
public:
    PortsFileLock() : fd_(::open((portsFile() + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644))
    {
        if (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~PortsFileLock()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    PortsFileLock(const PortsFileLock&) = delete;
    PortsFileLock& operator=(const PortsFileLock&) = delete;
    bool ok() const { return fd_ >= 0; }

private:
    int fd_;
};

// The text with line inserted below its "[Ports]" header, or a header and
// the line appended when it has none.
std::string withLine(const std::string& text, const std::string& line)
{
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string head = text.substr(at, end - at);
        while (!head.empty() && (head.back() == '\r' || head.back() == ' ' || head.back() == '\t')) head.pop_back();
        const size_t first = head.find_first_not_of(" \t");
        if (first != std::string::npos && strcasecmp(head.c_str() + first, "[Ports]") == 0 && end < text.size())
            return text.substr(0, end + 1) + line + text.substr(end + 1);
        at = end + 1;
    }
    const bool newline = text.empty() || text.back() == '\n';
    return text + (newline ? "" : "\n") + "[Ports]\n" + line;
}

}  // namespace

std::optional<int> mappedComPort(const std::string& device)
{
    const std::string wanted = realDevice(device);
    // A number set in this process's environment may mean nothing to the
    // link server, which has an environment of its own.
    for (int n = 1; n <= kComPorts; ++n)
        if (!setInEnvironment(n) && realDevice(platform::comPortDevice(n)) == wanted) return n;
    return std::nullopt;
}

LentComPort::LentComPort(const std::string& device)
{
    number_ = mappedComPort(device);
    if (!number_ && !lend(device)) number_.reset();
}

bool LentComPort::lend(const std::string& device)
{
    std::error_code ec;
    fs::create_directories(platform::RegistryStore::instance().directory(), ec);
    const PortsFileLock lock;
    if (!lock.ok()) return error_ = "cannot lock " + portsFile(), false;
    const auto text = readText(portsFile());
    existed_ = text.has_value();
    original_ = text.value_or("");
    platform::IniFile ini;
    if (existed_ && !ini.load(portsFile())) return error_ = "cannot read " + portsFile(), false;
    for (int n = kComPorts; n >= 1; --n) {
        const auto entry = ini.get("Ports", platform::comPortName(n));
        if ((entry && !entry->empty()) || setInEnvironment(n)) continue;
        const std::string line = platform::comPortName(n) + "=" + device + "\n";
        written_ = withLine(original_, line);
        if (const auto failed = platform::AtomicFile::replace(portsFile(), written_))
            return error_ = "cannot write " + portsFile() + ": " + failed.message(), false;
        added_ = line;
        number_ = n;
        return true;
    }
    error_ = "no COM number is free in " + portsFile() + " to hand " + device + " to the link server";
    return false;
}

LentComPort::~LentComPort()
{
    if (!added_.empty() && !giveBack())
        std::fprintf(stderr, "aviary-backup: cannot take the line %s out of %s again\n",
                     added_.substr(0, added_.size() - 1).c_str(), portsFile().c_str());
}

bool LentComPort::giveBack()
{
    const PortsFileLock lock;
    const auto now = readText(portsFile());
    if (!lock.ok() || !now) return false;
    if (*now == written_) {
        // Nobody changed the file meanwhile: it goes back byte for byte.
        std::error_code ec;
        if (!existed_) return fs::remove(portsFile(), ec);
        return !platform::AtomicFile::replace(portsFile(), original_);
    }
    // Changed meanwhile (another run lent a number too): only our line goes.
    size_t at = now->find(added_);
    while (at != std::string::npos && at > 0 && (*now)[at - 1] != '\n') at = now->find(added_, at + 1);
    if (at == std::string::npos) return true;  // someone took it out already
    std::string text = *now;
    text.erase(at, added_.size());
    return !platform::AtomicFile::replace(portsFile(), text);
}

}  // namespace backup
