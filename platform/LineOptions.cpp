#include <platform/LineOptions.h>

#include <platform/ParseInt.h>
#include <platform/PortMap.h>
#include <platform/RegistryStore.h>

#include <cerrno>
#include <cstring>
#include <linux/serial.h>
#include <mutex>
#include <set>
#include <sys/ioctl.h>

namespace platform {

namespace {

std::string portsFile() { return RegistryStore::instance().directory() + "/ports.ini"; }

uint32_t number(const IniFile& ini, const std::string& section, const std::string& key, uint32_t fallback)
{
    const auto v = ini.get(section, key);
    return v ? parseInt<uint32_t>(*v).value_or(fallback) : fallback;
}

// The process's one debug-log sink and what it has written; Tern opens lines
// from several threads.
struct NoteLog {
    std::mutex lock;
    LineNoteSink sink;
    std::set<std::string> written;
};

NoteLog& noteLog()
{
    static NoteLog log;
    return log;
}

}  // namespace

void setLineNoteSink(LineNoteSink sink)
{
    NoteLog& log = noteLog();
    std::lock_guard guard(log.lock);
    log.sink = std::move(sink);
}

void reportLineNote(const std::string& note)
{
    NoteLog& log = noteLog();
    std::lock_guard guard(log.lock);
    if (log.sink && !log.written.contains(note) && log.sink(note)) log.written.insert(note);
}

LineOptions lineOptionsFor(const std::string& device)
{
    LineOptions o;
    IniFile ini;
    if (!ini.load(portsFile())) return o;
    for (int n = 1; n <= kMappedPorts; ++n) {
        if (comPortDevice(n) != device) continue;
        const std::string s = comPortName(n);
        if (number(ini, s, "RS485", 0) != 0) {
            Rs485Mode m;
            m.rtsOnSend = number(ini, s, "RS485RtsOnSend", 1) != 0;
            m.rtsAfterSend = number(ini, s, "RS485RtsAfterSend", 0) != 0;
            m.delayBeforeSendMs = number(ini, s, "RS485DelayBeforeSend", 0);
            m.delayAfterSendMs = number(ini, s, "RS485DelayAfterSend", 0);
            o.rs485 = m;
        }
        o.lowLatency = number(ini, s, "LowLatency", 0) != 0;
        break;
    }
    return o;
}

uint32_t networkAllowanceMs()
{
    IniFile ini;
    if (!ini.load(portsFile())) return kDefaultAllowanceMs;
    return number(ini, "Ports", "NetworkAllowance", kDefaultAllowanceMs);
}

std::vector<std::string> applyLineOptions(int fd, const std::string& device, const LineOptions& options)
{
    std::vector<std::string> notes;
    if (options.rs485) {
        serial_rs485 rs{};
        rs.flags = SER_RS485_ENABLED;
        if (options.rs485->rtsOnSend) rs.flags |= SER_RS485_RTS_ON_SEND;
        if (options.rs485->rtsAfterSend) rs.flags |= SER_RS485_RTS_AFTER_SEND;
        rs.delay_rts_before_send = options.rs485->delayBeforeSendMs;
        rs.delay_rts_after_send = options.rs485->delayAfterSendMs;
        if (::ioctl(fd, TIOCSRS485, &rs) != 0)
            notes.push_back(device + ": the driver refuses kernel RS-485 mode (" + std::strerror(errno)
                            + "); the line runs without it.");
    }
    if (options.lowLatency) {
        serial_struct ss{};
        bool ok = ::ioctl(fd, TIOCGSERIAL, &ss) == 0;
        if (ok) {
            ss.flags |= ASYNC_LOW_LATENCY;
            ok = ::ioctl(fd, TIOCSSERIAL, &ss) == 0;
        }
        if (!ok)
            notes.push_back(device + ": the driver refuses low-latency mode (" + std::strerror(errno)
                            + "); the line runs without it.");
    }
    return notes;
}

}  // namespace platform
