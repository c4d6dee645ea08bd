#pragma once
// Undoes the in-band marking a tty does with PARMRK set: a data byte 0xFF
// arrives doubled, a break as FF 00 00, a character received with a framing
// or parity error as FF 00 c. The state survives between calls, so a mark
// split across two reads still decodes.
//
// The errored character c is delivered (no error character stands in for
// it): dropping it would shift every byte after it, and the
// protocols above check their frames anyway. FF 00 00 is always taken for a
// break; a parity error on a 0x00 byte looks the same and cannot be told
// apart.
#include <cstddef>
#include <cstdint>
#include <deque>

namespace platform {

class ParmrkDecoder {
public:
    // The kernel marks framing and parity errors alike: with parity checked
    // a mark reports both possibilities, without it only a framing error.
    void setParityChecked(bool on) { parityChecked_ = on; }

    // Appends the data in raw[0..n) to out; returns the LineEvent bits seen.
    uint32_t feed(const uint8_t* raw, size_t n, std::deque<uint8_t>& out);
    void reset() { state_ = State::Data; }

private:
    enum class State {
        Data,       // plain data
        Mark,       // after FF
        MarkZero,   // after FF 00
    };
    State state_ = State::Data;
    bool parityChecked_ = false;
};

}  // namespace platform
