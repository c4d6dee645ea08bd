#include <platform/PortMap.h>
#include <platform/RegistryStore.h>

#include <cstdlib>

namespace platform {

namespace {
std::string portsFile() { return RegistryStore::instance().directory() + "/ports.ini"; }
}

std::string comPortName(int n) { return "COM" + std::to_string(n); }

std::string comPortDevice(int n)
{
    const std::string name = comPortName(n);
    if (const char* env = std::getenv(("AVIARY_" + name).c_str()); env && *env) return env;
    IniFile ini;
    if (ini.load(portsFile()))
        if (auto v = ini.get("Ports", name); v && !v->empty()) return *v;
    return "/dev/ttyS" + std::to_string(n - 1);
}

bool setComPortDevice(int n, const std::string& device)
{
    IniFile ini;
    if (!ini.load(portsFile())) return false;
    ini.set("Ports", comPortName(n), device);
    return ini.save(portsFile());
}

TemporaryComPort::TemporaryComPort(int n, const std::string& device) : n_(n)
{
    IniFile ini;
    if (!ini.load(portsFile())) return;
    previous_ = ini.get("Ports", comPortName(n));
    ini.set("Ports", comPortName(n), device);
    ok_ = ini.save(portsFile());
}

TemporaryComPort::~TemporaryComPort()
{
    if (!ok_) return;
    IniFile ini;
    if (!ini.load(portsFile())) return;
    if (previous_)
        ini.set("Ports", comPortName(n_), *previous_);
    else
        ini.remove("Ports", comPortName(n_));
    ini.save(portsFile());  // nothing more to do at exit if this fails
}

}  // namespace platform
