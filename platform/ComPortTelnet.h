#pragma once
// Telnet with the COM-port control option (RFC 2217), as a serial device
// server speaks it: the bytes of the line travel with 0xFF doubled, option
// negotiation and the port's settings travel as Telnet commands in between.
// Pure byte work, no I/O: RemoteSerialPort feeds it what the socket gave and
// sends what it produces.
#include <platform/SerialPort.h>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace platform {

namespace telnet {
constexpr uint8_t IAC = 255, DONT = 254, DO = 253, WONT = 252, WILL = 251, SB = 250, SE = 240;
constexpr uint8_t BINARY = 0, ECHO = 1, SGA = 3, COM_PORT = 44;
// COM-PORT-OPTION commands from the client; the server answers with +100.
constexpr uint8_t SET_BAUDRATE = 1, SET_DATASIZE = 2, SET_PARITY = 3, SET_STOPSIZE = 4, SET_CONTROL = 5;
constexpr uint8_t kServerOffset = 100;
constexpr uint8_t CONTROL_DTR_ON = 8, CONTROL_DTR_OFF = 9, CONTROL_RTS_ON = 11, CONTROL_RTS_OFF = 12;
}  // namespace telnet

class ComPortTelnet {
public:
    ComPortTelnet();
    // What the client says first: it will do COM-port control, and both
    // directions are binary with no go-ahead.
    static std::string greeting();
    // Line bytes as they must go on the wire (0xFF doubled).
    static std::string escape(const uint8_t* data, size_t len);
    // The four commands that set the line's character format and speed.
    static std::string setLine(const SerialSettings& s);
    static std::string setControl(uint8_t value);

    // Takes bytes from the server: line bytes go to `data`, option requests
    // are answered in the text this returns (to be sent back).
    std::string feed(const uint8_t* in, size_t len, std::deque<uint8_t>& data);

    // The server's answers to SET-BAUDRATE ... SET-STOPSIZE since reset().
    struct LineAnswer {
        bool baud = false, size = false, parity = false, stop = false;
        uint32_t baudRate = 0;
        uint8_t dataBits = 0, parity_ = 0, stopSize = 0;
        bool complete() const { return baud && size && parity && stop; }
    };
    const LineAnswer& answer() const { return answer_; }
    void resetAnswer() { answer_ = {}; }
    // The server said it will not do COM-port control.
    bool refused() const { return refused_; }
    // The answers carry what was asked (a server that cannot set a rate
    // answers with the one it keeps).
    static bool matches(const LineAnswer& a, const SerialSettings& s);

private:
    enum class State { Data, Iac, Option, Sub, SubIac };
    std::string negotiate(uint8_t verb, uint8_t option);
    void subnegotiation();

    State state_ = State::Data;
    uint8_t verb_ = 0;
    std::vector<uint8_t> sub_;
    LineAnswer answer_;
    bool refused_ = false;
    // Options already answered, so a request repeated by the server is not
    // answered twice (which could make two ends loop).
    bool answeredDo_[256] = {};
    bool answeredWill_[256] = {};
};

}  // namespace platform
