#pragma once
// One frame seen on a serial line by the bus monitor.
#include <cstdint>
#include <string>
#include <vector>

namespace tern::server {

enum class FrameDirection : uint8_t { Request = 0, Response = 1 };

enum class FrameOutcome : uint8_t {
    Sent = 0,           // a request (what became of it is in the frame after it)
    Reply = 1,          // a sound response
    Exception = 2,      // a sound exception response
    ChecksumError = 3,  // a whole frame whose CRC or LRC is wrong
    TimeOut = 4,        // no frame came: the record has no bytes
    FramingError = 5,   // bytes that do not make a frame (too short, broken ASCII)
};

const char* outcomeName(FrameOutcome outcome);

struct FrameRecord {
    uint64_t sequence = 0;     // 1, 2, ... for the line's life; never reused
    uint64_t exchange = 0;     // the request and its response share it
    int64_t timeUs = 0;        // monotonic, start of the frame on the wire
    int64_t gapUs = 0;         // silence on the line before it
    FrameDirection direction = FrameDirection::Request;
    FrameOutcome outcome = FrameOutcome::Sent;
    bool ascii = false;
    std::vector<uint8_t> bytes;  // as on the wire, checksum included
};

// The frame body (station, function, data) of the wire bytes: the CRC cut
// off, or the ASCII text decoded and its LRC cut off; as much as can be
// made out of a broken frame.
std::vector<uint8_t> frameBody(const FrameRecord& frame);

}  // namespace tern::server
