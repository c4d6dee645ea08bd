#include <tern/server/FrameRecord.h>

#include <tern/engine/ModbusChecksum.h>

namespace tern::server {

const char* outcomeName(FrameOutcome outcome)
{
    switch (outcome) {
    case FrameOutcome::Sent: return "sent";
    case FrameOutcome::Reply: return "reply";
    case FrameOutcome::Exception: return "exception";
    case FrameOutcome::ChecksumError: return "checksum error";
    case FrameOutcome::TimeOut: return "time-out";
    case FrameOutcome::FramingError: return "framing error";
    }
    return "";
}

std::vector<uint8_t> frameBody(const FrameRecord& frame)
{
    const auto& b = frame.bytes;
    if (!frame.ascii) return b.size() > 2 ? std::vector<uint8_t>(b.begin(), b.end() - 2) : b;
    // ":" hex pairs, LRC pair, CR LF
    size_t end = b.size();
    while (end > 0 && (b[end - 1] == '\r' || b[end - 1] == '\n')) --end;
    const size_t start = !b.empty() && b[0] == ':' ? 1 : 0;
    std::vector<uint8_t> body;
    for (size_t i = start; i + 1 < end; i += 2)
        body.push_back(decodeHexByte(static_cast<char>(b[i]), static_cast<char>(b[i + 1])));
    if (!body.empty()) body.pop_back();  // the LRC
    return body;
}

}  // namespace tern::server
