#include <platform/ComPortTelnet.h>

namespace platform {

using namespace telnet;

namespace {

std::string command(uint8_t verb, uint8_t option) { return std::string{char(IAC), char(verb), char(option)}; }

std::string sub(uint8_t code, const std::string& value)
{
    std::string s{char(IAC), char(SB), char(COM_PORT), char(code)};
    for (char c : value) {
        s += c;
        if (uint8_t(c) == IAC) s += c;
    }
    return s + std::string{char(IAC), char(SE)};
}

uint8_t parityCode(Parity p)
{
    switch (p) {
    case Parity::None: return 1;
    case Parity::Odd: return 2;
    case Parity::Even: return 3;
    case Parity::Mark: return 4;
    case Parity::Space: return 5;
    }
    return 1;
}

uint8_t stopCode(StopBits s) { return s == StopBits::One ? 1 : s == StopBits::Two ? 2 : 3; }

}  // namespace

ComPortTelnet::ComPortTelnet()
{
    // The greeting has said these already.
    answeredWill_[COM_PORT] = answeredWill_[BINARY] = answeredWill_[SGA] = true;
    answeredDo_[BINARY] = answeredDo_[SGA] = true;
}

std::string ComPortTelnet::greeting()
{
    return command(WILL, COM_PORT) + command(WILL, BINARY) + command(DO, BINARY) + command(WILL, SGA)
           + command(DO, SGA);
}

std::string ComPortTelnet::escape(const uint8_t* data, size_t len)
{
    std::string out;
    out.reserve(len + 4);
    for (size_t i = 0; i < len; ++i) {
        out += char(data[i]);
        if (data[i] == IAC) out += char(IAC);
    }
    return out;
}

std::string ComPortTelnet::setLine(const SerialSettings& s)
{
    const std::string baud{char(s.baudRate >> 24), char(s.baudRate >> 16), char(s.baudRate >> 8), char(s.baudRate)};
    return sub(SET_BAUDRATE, baud) + sub(SET_DATASIZE, std::string(1, char(s.dataBits)))
           + sub(SET_PARITY, std::string(1, char(parityCode(s.parity))))
           + sub(SET_STOPSIZE, std::string(1, char(stopCode(s.stopBits))));
}

std::string ComPortTelnet::setControl(uint8_t value) { return sub(SET_CONTROL, std::string(1, char(value))); }

bool ComPortTelnet::matches(const LineAnswer& a, const SerialSettings& s)
{
    return a.baudRate == s.baudRate && a.dataBits == s.dataBits && a.parity_ == parityCode(s.parity)
           && a.stopSize == stopCode(s.stopBits);
}

std::string ComPortTelnet::feed(const uint8_t* in, size_t len, std::deque<uint8_t>& data)
{
    std::string reply;
    for (size_t i = 0; i < len; ++i) {
        const uint8_t c = in[i];
        switch (state_) {
        case State::Data:
            if (c == IAC) state_ = State::Iac;
            else data.push_back(c);
            break;
        case State::Iac:
            if (c == IAC) {
                data.push_back(IAC);
                state_ = State::Data;
            } else if (c == SB) {
                sub_.clear();
                state_ = State::Sub;
            } else if (c >= WILL && c <= DONT) {
                verb_ = c;
                state_ = State::Option;
            } else {
                state_ = State::Data;   // NOP, GA and the like carry nothing for a line
            }
            break;
        case State::Option:
            reply += negotiate(verb_, c);
            state_ = State::Data;
            break;
        case State::Sub:
            if (c == IAC) state_ = State::SubIac;
            else if (sub_.size() < 64) sub_.push_back(c);
            break;
        case State::SubIac:
            if (c == SE) {
                subnegotiation();
                state_ = State::Data;
            } else {
                if (sub_.size() < 64) sub_.push_back(c);   // a doubled IAC inside
                state_ = State::Sub;
            }
            break;
        }
    }
    return reply;
}

std::string ComPortTelnet::negotiate(uint8_t verb, uint8_t option)
{
    const bool wanted = option == BINARY || option == SGA || option == COM_PORT;
    if (option == COM_PORT && (verb == DONT || verb == WONT)) refused_ = true;
    if (verb == DO || verb == DONT) {
        // What we are asked to do ourselves.
        if (answeredWill_[option]) return {};
        answeredWill_[option] = true;
        return command(verb == DO && wanted ? WILL : WONT, option);
    }
    // What the server offers to do: its echo would send our requests back.
    if (answeredDo_[option]) return {};
    answeredDo_[option] = true;
    return command(verb == WILL && wanted ? DO : DONT, option);
}

void ComPortTelnet::subnegotiation()
{
    if (sub_.size() < 3 || sub_[0] != COM_PORT) return;
    const uint8_t code = sub_[1];
    switch (code) {
    case kServerOffset + SET_BAUDRATE:
        if (sub_.size() >= 6) {
            answer_.baud = true;
            answer_.baudRate = uint32_t(sub_[2]) << 24 | uint32_t(sub_[3]) << 16 | uint32_t(sub_[4]) << 8 | sub_[5];
        }
        break;
    case kServerOffset + SET_DATASIZE: answer_.size = true; answer_.dataBits = sub_[2]; break;
    case kServerOffset + SET_PARITY: answer_.parity = true; answer_.parity_ = sub_[2]; break;
    case kServerOffset + SET_STOPSIZE: answer_.stop = true; answer_.stopSize = sub_[2]; break;
    default: break;   // modem and line state reports: a remote line has no use for them
    }
}

}  // namespace platform
