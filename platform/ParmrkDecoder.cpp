#include <platform/ParmrkDecoder.h>

#include <platform/SerialPort.h>

namespace platform {

uint32_t ParmrkDecoder::feed(const uint8_t* raw, size_t n, std::deque<uint8_t>& out)
{
    uint32_t events = 0;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t c = raw[i];
        switch (state_) {
        case State::Data:
            if (c == 0xFF)
                state_ = State::Mark;
            else
                out.push_back(c);
            break;
        case State::Mark:
            if (c == 0x00) {
                state_ = State::MarkZero;
                break;
            }
            // FF FF is one data byte FF. Anything else is not a mark the
            // kernel makes; pass both bytes on rather than lose one.
            out.push_back(0xFF);
            if (c != 0xFF)
                out.push_back(c);
            state_ = State::Data;
            break;
        case State::MarkZero:
            if (c == 0x00) {
                events |= EventBreak;
            } else {
                events |= EventFraming | (parityChecked_ ? uint32_t(EventParity) : 0u);
                out.push_back(c);
            }
            state_ = State::Data;
            break;
        }
    }
    return events;
}

}  // namespace platform
