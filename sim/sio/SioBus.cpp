#include <sim/sio/SioBus.h>

#include <platform/ParseInt.h>

namespace sim {

namespace {
constexpr char STX = 0x02, ETX = 0x03, EOT = 0x04, ENQ = 0x05, ACK = 0x06, NAK = 0x15;
}  // namespace

SioBus::SioBus(const std::vector<SioDriveConfig>& drives)
{
    for (const auto& d : drives)
        addDrive(d);
}

bool SioBus::addDrive(const SioDriveConfig& config)
{
    std::lock_guard lock(mutex_);
    if (config.address < 0 || config.address > 31 || drives_.count(config.address)
        || SioCatalogue::forVersion(config.version) == nullptr)
        return false;
    drives_[config.address] = std::make_unique<SioDrive>(config);
    return true;
}

bool SioBus::removeDrive(int address)
{
    std::lock_guard lock(mutex_);
    return drives_.erase(address) > 0;
}

std::vector<int> SioBus::addresses() const
{
    std::lock_guard lock(mutex_);
    std::vector<int> out;
    for (const auto& [a, d] : drives_)
        out.push_back(a);
    return out;
}

bool SioBus::withDrive(int address, const std::function<void(SioDrive&)>& f)
{
    std::lock_guard lock(mutex_);
    auto it = drives_.find(address);
    if (it == drives_.end())
        return false;
    f(*it->second);
    return true;
}

bool SioBus::keypadChange(int address, uint16_t number, uint16_t value)
{
    bool ok = false;
    withDrive(address, [&](SioDrive& d) { ok = d.keypadChange(number, value); });
    return ok;
}

bool SioBus::trip(int address, uint16_t code)
{
    return withDrive(address, [&](SioDrive& d) { d.trip(code); });
}

void SioBus::addFault(const SioFault& fault)
{
    std::lock_guard lock(mutex_);
    faults_.push_back(fault);
}

void SioBus::clearFaults()
{
    std::lock_guard lock(mutex_);
    faults_.clear();
}

int SioBus::telegrams() const
{
    std::lock_guard lock(mutex_);
    return telegrams_;
}

char SioBus::bcc(std::string_view text)
{
    char x = 0;
    for (char c : text)
        x = static_cast<char>(x ^ c);
    return x;
}

std::vector<SioBus::Output> SioBus::feed(std::string_view bytes)
{
    std::lock_guard lock(mutex_);
    std::vector<Output> out;
    for (char c : bytes)
        onByte(c, out);
    return out;
}

// A drive's receiver: EOT always starts a new telegram; anything that does
// not fit the telegram being received drops it.
void SioBus::onByte(char c, std::vector<Output>& out)
{
    if (c == EOT) {
        parse_ = Parse::Address;
        body_.clear();
        return;
    }
    switch (parse_) {
    case Parse::Idle:
        return;
    case Parse::Address:
        if (c >= 0x20 && c <= 0x3F) {
            address_ = c - 0x20;
            parse_ = Parse::Kind;
        } else {
            parse_ = Parse::Idle;
        }
        return;
    case Parse::Kind:
        if (c == 'U')
            parse_ = Parse::ReadBody;
        else if (c == STX)
            parse_ = Parse::WriteBody;
        else
            parse_ = Parse::Idle;
        return;
    case Parse::ReadBody:
        body_ += c;
        if (body_.size() == 5)
            finishRead(out);
        return;
    case Parse::WriteBody:
        body_ += c;
        if (body_.size() == 11)
            finishWrite(out);
        return;
    }
}

void SioBus::finishRead(std::vector<Output>& out)
{
    parse_ = Parse::Idle;
    const auto number = parseHex4(body_.substr(0, 4));
    if (body_[4] != ENQ || !number)
        return;
    ++telegrams_;
    auto it = drives_.find(address_);
    if (it != drives_.end())
        answer(*it->second, it->second->read(*number), out);
}

void SioBus::finishWrite(std::vector<Output>& out)
{
    parse_ = Parse::Idle;
    if (body_[0] != 'U' || body_[9] != ETX)
        return;
    ++telegrams_;
    auto it = drives_.find(address_);
    if (it == drives_.end())
        return;
    SioDrive& drive = *it->second;
    if (bcc(std::string_view(body_).substr(0, 10)) != body_[10]) {
        answer(drive, drive.badChecksum(), out);
        return;
    }
    const auto number = parseHex4(body_.substr(1, 4));
    const auto value = parseHex4(body_.substr(5, 4));
    if (!number || !value) {
        answer(drive, SioAnswer{SioAnswer::Nak, 0, 0, {}}, out);
        return;
    }
    answer(drive, drive.write(*number, *value), out);
}

std::string SioBus::frame(const SioDrive& drive, const SioAnswer& a) const
{
    switch (a.kind) {
    case SioAnswer::Ack: return std::string(1, ACK);
    case SioAnswer::Nak: return std::string(1, NAK);
    case SioAnswer::Silent: return {};
    case SioAnswer::Value:
    case SioAnswer::Block: break;
    }
    std::string text = "U" + hex4(a.number) + (a.kind == SioAnswer::Block ? a.data : hex4(a.value));
    text += ETX;
    std::string reply;
    reply += static_cast<char>(0x20 + drive.address());  // leading character
    reply += STX;
    reply += text;
    reply += bcc(text);
    return reply;
}

void SioBus::answer(SioDrive& drive, const SioAnswer& a, std::vector<Output>& out)
{
    Output o{frame(drive, a), 0};
    if (o.bytes.empty())
        return;
    injectFaults(drive.address(), o);
    if (!o.bytes.empty() || o.delayMs > 0)
        out.push_back(std::move(o));
}

void SioBus::injectFaults(int address, Output& o)
{
    for (SioFault& f : faults_) {
        if (!f.appliesTo(address))
            continue;
        if (f.remaining > 0)
            --f.remaining;
        switch (f.kind) {
        case SioFault::Silent: o.bytes.clear(); break;
        case SioFault::BadBcc:
            if (o.bytes.size() > 2) o.bytes.back() = static_cast<char>(o.bytes.back() ^ 0x5A);
            break;
        case SioFault::Truncate: o.bytes.resize(o.bytes.size() / 2); break;
        case SioFault::Noise: o.bytes = std::string("\x7F\x1B?\xFF#", 5); break;
        case SioFault::Delay: o.delayMs += f.delayMs; break;
        }
    }
}

std::optional<std::vector<SioDriveConfig>> SioBus::parseDrives(const std::string& list)
{
    std::vector<SioDriveConfig> out;
    size_t pos = 0;
    while (pos <= list.size()) {
        size_t comma = list.find(',', pos);
        if (comma == std::string::npos) comma = list.size();
        const std::string item = list.substr(pos, comma - pos);
        pos = comma + 1;
        if (item.empty())
            return std::nullopt;
        SioDriveConfig c;
        const size_t colon = item.find(':');
        const std::string a = item.substr(0, colon);
        const auto address = platform::parseInt(a, 0, 31);
        if (!address)
            return std::nullopt;
        c.address = *address;
        if (colon != std::string::npos) {
            const std::string v = item.substr(colon + 1);
            const auto version = platform::parseInt<decltype(c.version)>(v);
            if (!version || !SioCatalogue::forVersion(*version))
                return std::nullopt;
            c.version = *version;
        }
        c.ratedPower = static_cast<uint16_t>(0x05DC + 0x0100 * (c.address % 4));
        out.push_back(c);
        if (comma == list.size())
            break;
    }
    return out;
}

}  // namespace sim
