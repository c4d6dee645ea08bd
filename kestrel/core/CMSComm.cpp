#include <kestrel/core/CMSComm.h>

#include <platform/ParseInt.h>
#include <platform/PortMap.h>
#include <platform/MappedSerialPort.h>
#include <platform/PortProblem.h>

#include <algorithm>
#include <cctype>
#include <vector>

namespace kestrel {

using platform::SerialResult;

CMSComm::CMSComm()
{
    parseSettings(settingsText_, settings_);
}

CMSComm::~CMSComm()
{
    if (open_)
        SetPortOpen(false);
}

void CMSComm::attach(platform::SerialPort* port)
{
    if (open_)
        SetPortOpen(false);
    attached_ = port;
}

bool CMSComm::raise(int error)
{
    lastError_ = error;
    return false;
}

namespace {

std::vector<std::string> splitComma(const std::string& text)
{
    std::vector<std::string> parts;
    std::string cur;
    for (char c : text) {
        if (c == ',') {
            parts.push_back(cur);
            cur.clear();
        } else if (!std::isspace(static_cast<unsigned char>(c))) {
            cur += c;
        }
    }
    parts.push_back(cur);
    return parts;
}

bool toNumber(const std::string& s, unsigned& out)
{
    const auto n = platform::parseInt<unsigned>(s);
    if (n)
        out = *n;
    return n.has_value();
}

}  // namespace

bool CMSComm::parseSettings(const std::string& text, platform::SerialSettings& out)
{
    const auto parts = splitComma(text);
    if (parts.size() != 4 || parts[1].size() != 1)
        return false;
    platform::SerialSettings s;
    unsigned baud = 0, bits = 0, stop = 0;
    if (!toNumber(parts[0], baud) || baud == 0 || !toNumber(parts[2], bits) || bits < 5 || bits > 8
        || !toNumber(parts[3], stop) || (stop != 1 && stop != 2))
        return false;
    switch (std::toupper(static_cast<unsigned char>(parts[1][0]))) {
    case 'N': s.parity = platform::Parity::None; break;
    case 'E': s.parity = platform::Parity::Even; break;
    case 'O': s.parity = platform::Parity::Odd; break;
    case 'M': s.parity = platform::Parity::Mark; break;
    case 'S': s.parity = platform::Parity::Space; break;
    default: return false;
    }
    s.baudRate = baud;
    s.dataBits = static_cast<uint8_t>(bits);
    s.stopBits = stop == 2 ? platform::StopBits::Two : platform::StopBits::One;
    out = s;
    return true;
}

bool CMSComm::SetSettings(const std::string& settings)
{
    platform::SerialSettings parsed;
    if (!parseSettings(settings, parsed))
        return raise(commErrInvalidProperty);
    settingsText_ = settings;
    settings_ = parsed;
    if (open_ && !applySettings())
        return false;
    return true;
}

bool CMSComm::applySettings()
{
    platform::SerialSettings s = settings_;
    s.rtsCtsFlow = handshaking_ == 2 || handshaking_ == 3;
    s.xonXoff = handshaking_ == 1 || handshaking_ == 3;
    if (line()->configure(s) != SerialResult::Ok)
        return raise(commErrSetState);
    // Reads never wait: the telegram object does its own waiting.
    platform::CommTimeouts t;
    t.readInterval = platform::CommTimeouts::kMaxDword;
    if (line()->setTimeouts(t) != SerialResult::Ok)
        return raise(commErrSetState);
    return true;
}

bool CMSComm::SetPortOpen(bool open)
{
    if (open == open_) {
        return open ? raise(commErrPortOpen) : true;
    }
    if (!open) {
        if (line() != nullptr)
            line()->close();
        if (!attached_)
            owned_.reset();
        lineLock_.release();
        open_ = false;
        rts_ = false;
        return true;
    }
    if (commPort_ < 1)
        return raise(commErrInvalidPort);
    std::string device;
    if (!attached_) {
        owned_ = std::make_unique<platform::MappedSerialPort>();
        device = platform::comPortDevice(commPort_);
        problem_.clear();
        if (lineLocking_ && !lineLock_.take(device, "", lineHolder_)) {
            owned_.reset();
            problem_ = platform::withPortName(platform::comPortName(commPort_),
                                              device + " is in use by " + lineHolder_ +
                                                  "; close that program or wait until it has finished");
            return raise(commErrPortOpen);
        }
    } else {
        problem_.clear();
    }
    const SerialResult r = line()->open(device);
    if (r != SerialResult::Ok) {
        lineLock_.release();
        problem_ = platform::withPortName(attached_ ? "" : platform::comPortName(commPort_), line()->problem());
        if (!attached_)
            owned_.reset();
        return raise(r == SerialResult::AccessDenied ? commErrPortOpen : commErrHardware);
    }
    open_ = true;
    if (!applySettings()) {
        problem_ = platform::withPortName(attached_ ? "" : platform::comPortName(commPort_), line()->problem());
        SetPortOpen(false);
        return false;
    }
    line()->purge(true, true);
    line()->takeEvents();
    rts_ = false;
    line()->setRts(false);
    return true;
}

bool CMSComm::GetPortOpen() const
{
    return open_;
}

bool CMSComm::SetRTSEnable(bool on)
{
    rts_ = on;
    if (!open_)
        return true;
    const SerialResult r = line()->setRts(on);
    return r == SerialResult::Ok || r == SerialResult::Unsupported;
}

bool CMSComm::GetCTSHolding()
{
    if (!open_)
        return raise(commErrNotOpen);
    bool cts = false;
    const SerialResult r = line()->cts(cts);
    if (r == SerialResult::Unsupported)
        return rts_;
    return r == SerialResult::Ok && cts;
}

void CMSComm::collectEvents()
{
    const uint32_t ev = line()->takeEvents();
    if (ev == 0)
        return;
    auto fire = [this](int code) {
        lastEvent_ = code;
        if (onComm_)
            onComm_(code);
    };
    if (ev & platform::EventBreak) fire(comEventBreak);
    if (ev & platform::EventFraming) fire(comEventFrame);
    if (ev & platform::EventOverrun) fire(comEventOverrun);
    if (ev & platform::EventParity) fire(comEventRxParity);
}

int CMSComm::GetInBufferCount()
{
    if (!open_) {
        raise(commErrNotOpen);
        return 0;
    }
    collectEvents();
    size_t n = 0;
    if (line()->inputQueue(n) != SerialResult::Ok) {
        raise(commErrIo);
        return 0;
    }
    return static_cast<int>(n);
}

int CMSComm::GetOutBufferCount()
{
    if (!open_) {
        raise(commErrNotOpen);
        return 0;
    }
    size_t n = 0;
    if (line()->outputQueue(n) != SerialResult::Ok) {
        raise(commErrIo);
        return 0;
    }
    return static_cast<int>(n);
}

void CMSComm::SetInBufferCount(int)
{
    if (!open_) {
        raise(commErrNotOpen);
        return;
    }
    if (line()->purge(true, false) != SerialResult::Ok)
        raise(commErrIo);
}

bool CMSComm::SetOutput(const std::string& bytes)
{
    if (!open_)
        return raise(commErrNotOpen);
    size_t written = 0;
    const SerialResult r = line()->write(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), written);
    if (r != SerialResult::Ok || written != bytes.size())
        return raise(commErrIo);
    return true;
}

std::string CMSComm::GetInput()
{
    std::string out;
    if (!open_) {
        raise(commErrNotOpen);
        return out;
    }
    collectEvents();
    const size_t limit = static_cast<size_t>(inBufferSize_);
    uint8_t buf[256];
    while (out.size() < limit) {
        size_t got = 0;
        const size_t want = std::min(sizeof buf, limit - out.size());
        if (line()->read(buf, want, got) != SerialResult::Ok) {
            raise(commErrIo);
            break;
        }
        out.append(reinterpret_cast<const char*>(buf), got);
        if (got < want)
            break;
    }
    return out;
}

}  // namespace kestrel
