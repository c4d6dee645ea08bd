#pragma once
// Capture files of a serial Modbus line that Wireshark and tshark open with
// no configuration: pcapng, each frame as a Modbus/TCP packet (IPv4, TCP
// from the master 10.0.0.1 to the line 10.0.0.2 port 502), the frame's
// exchange number as the transaction id so that requests and responses pair
// up. The wire bytes themselves are kept as well: a frame with a wrong
// checksum carries the packet's CRC error flag (frame.packet_flags_crc_error)
// and a comment with its bytes, broken bytes the "packet too short" flag, a
// request nobody answered the comment "no reply (time-out)".
#include <tern/server/FrameRecord.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tern::server {

class PcapngWriter {
public:
    PcapngWriter() = default;
    ~PcapngWriter();
    PcapngWriter(const PcapngWriter&) = delete;
    PcapngWriter& operator=(const PcapngWriter&) = delete;

    // Creates the file with its section and interface; false with the reason.
    bool open(const std::string& path, const std::string& lineName, std::string& error);
    // Frames in line order; a request's time-out is looked for in the frame after it.
    bool write(const std::vector<FrameRecord>& frames);
    bool close(std::string& error);

    static bool writeFile(const std::string& path, const std::string& lineName, const std::vector<FrameRecord>& frames,
                          std::string& error);

    // The bytes of one packet block (tests look inside).
    std::vector<uint8_t> packetBlock(const FrameRecord& frame, bool unanswered);

private:
    bool put(const std::vector<uint8_t>& block);

    FILE* file_ = nullptr;
    std::string path_;
    uint32_t sequence_[2] = {1, 1};   // TCP sequence of master and line
    int64_t wallOffsetUs_ = 0;        // monotonic to wall-clock time
};

}  // namespace tern::server
