#include <tern/server/PcapngWriter.h>

#include <tern/engine/FrameTap.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <unistd.h>

namespace tern::server {

namespace {

constexpr uint16_t kLinkTypeIpv4 = 228;
constexpr uint32_t kFlagInbound = 1, kFlagOutbound = 2;
constexpr uint32_t kFlagCrcError = 0x01000000, kFlagTooShort = 0x04000000;
constexpr uint8_t kMaster[4] = {10, 0, 0, 1}, kLine[4] = {10, 0, 0, 2};
constexpr uint16_t kMasterPort = 50200, kModbusPort = 502;

using Bytes = std::vector<uint8_t>;

void put16(Bytes& b, uint16_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); }  // blocks: our byte order
void put32(Bytes& b, uint32_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}); }
void net16(Bytes& b, uint16_t v) { b.insert(b.end(), {uint8_t(v >> 8), uint8_t(v)}); }  // packets: network order
void net32(Bytes& b, uint32_t v) { b.insert(b.end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}); }
void pad4(Bytes& b) { b.resize((b.size() + 3) & ~size_t{3}, 0); }

void option(Bytes& b, uint16_t code, const Bytes& value)
{
    put16(b, code);
    put16(b, static_cast<uint16_t>(value.size()));
    b.insert(b.end(), value.begin(), value.end());
    pad4(b);
}
Bytes text(const std::string& s) { return {s.begin(), s.end()}; }

// Type, total length, body, total length again.
Bytes block(uint32_t type, Bytes body)
{
    pad4(body);
    Bytes b;
    put32(b, type);
    put32(b, static_cast<uint32_t>(body.size() + 12));
    b.insert(b.end(), body.begin(), body.end());
    put32(b, static_cast<uint32_t>(body.size() + 12));
    return b;
}

uint16_t checksum(const uint8_t* p, size_t n, uint32_t sum = 0)
{
    for (size_t i = 0; i + 1 < n; i += 2) sum += static_cast<uint32_t>(p[i] << 8 | p[i + 1]);
    if (n & 1) sum += static_cast<uint32_t>(p[n - 1] << 8);
    while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint16_t>(~sum);
}

// IPv4 + TCP + MBAP around a frame body.
Bytes packet(bool request, uint32_t& sequence, uint32_t ack, uint16_t transaction, const Bytes& body)
{
    Bytes mbap;
    net16(mbap, transaction);
    net16(mbap, 0);
    net16(mbap, static_cast<uint16_t>(body.size()));
    mbap.insert(mbap.end(), body.begin(), body.end());

    const uint8_t* src = request ? kMaster : kLine;
    const uint8_t* dst = request ? kLine : kMaster;
    Bytes tcp;
    net16(tcp, request ? kMasterPort : kModbusPort);
    net16(tcp, request ? kModbusPort : kMasterPort);
    net32(tcp, sequence);
    net32(tcp, ack);
    tcp.insert(tcp.end(), {0x50, 0x18});  // 20-byte header, PSH ACK
    net16(tcp, 65535);
    net16(tcp, 0);
    net16(tcp, 0);
    tcp.insert(tcp.end(), mbap.begin(), mbap.end());
    uint32_t pseudo = (src[0] << 8 | src[1]) + (src[2] << 8 | src[3]) + (dst[0] << 8 | dst[1]) + (dst[2] << 8 | dst[3]) + 6 +
                      static_cast<uint32_t>(tcp.size());
    const uint16_t tcpSum = checksum(tcp.data(), tcp.size(), pseudo);
    tcp[16] = uint8_t(tcpSum >> 8);
    tcp[17] = uint8_t(tcpSum);
    sequence += static_cast<uint32_t>(mbap.size());

    Bytes ip{0x45, 0};
    net16(ip, static_cast<uint16_t>(20 + tcp.size()));
    net16(ip, 0);
    net16(ip, 0x4000);
    ip.insert(ip.end(), {64, 6, 0, 0});
    ip.insert(ip.end(), src, src + 4);
    ip.insert(ip.end(), dst, dst + 4);
    const uint16_t ipSum = checksum(ip.data(), ip.size());
    ip[10] = uint8_t(ipSum >> 8);
    ip[11] = uint8_t(ipSum);
    ip.insert(ip.end(), tcp.begin(), tcp.end());
    return ip;
}

std::string hex(const Bytes& b)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (uint8_t v : b) {
        if (!s.empty()) s += ' ';
        s += digits[v >> 4];
        s += digits[v & 15];
    }
    return s;
}

int64_t wallOffset()
{
    const int64_t wall =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    return wall - monotonicMicroseconds();
}

}  // namespace

PcapngWriter::~PcapngWriter()
{
    std::string ignored;
    close(ignored);
}

bool PcapngWriter::open(const std::string& path, const std::string& lineName, std::string& error)
{
    file_ = std::fopen(path.c_str(), "wbx");
    if (!file_ && errno == EEXIST && ::unlink(path.c_str()) == 0) file_ = std::fopen(path.c_str(), "wbx");
    if (!file_) return error = path + ": " + std::strerror(errno), false;
    path_ = path;
    wallOffsetUs_ = wallOffset();
    Bytes shb;
    put32(shb, 0x1A2B3C4D);
    put16(shb, 1);
    put16(shb, 0);
    put32(shb, 0xFFFFFFFF);
    put32(shb, 0xFFFFFFFF);  // section length not known
    option(shb, 4, text("Aviary Tern bus monitor"));
    option(shb, 0, {});
    Bytes idb;
    put16(idb, kLinkTypeIpv4);
    put16(idb, 0);
    put32(idb, 0);
    if (!lineName.empty()) option(idb, 2, text(lineName));
    option(idb, 0, {});
    if (put(block(0x0A0D0D0A, shb)) && put(block(1, idb))) return true;
    error = path + ": " + std::strerror(errno);
    close(error);
    return false;
}

Bytes PcapngWriter::packetBlock(const FrameRecord& frame, bool unanswered)
{
    const bool request = frame.direction == FrameDirection::Request;
    Bytes body = frameBody(frame);
    if (frame.outcome == FrameOutcome::FramingError || body.empty()) body = frame.bytes;
    const uint32_t ack = sequence_[request ? 1 : 0];
    const Bytes data = packet(request, sequence_[request ? 0 : 1], ack, static_cast<uint16_t>(frame.exchange), body);

    const uint64_t ts = static_cast<uint64_t>(frame.timeUs + wallOffsetUs_);
    Bytes epb;
    put32(epb, 0);
    put32(epb, static_cast<uint32_t>(ts >> 32));
    put32(epb, static_cast<uint32_t>(ts));
    put32(epb, static_cast<uint32_t>(data.size()));
    put32(epb, static_cast<uint32_t>(data.size()));
    epb.insert(epb.end(), data.begin(), data.end());
    pad4(epb);
    uint32_t flags = request ? kFlagOutbound : kFlagInbound;
    std::string comment;
    if (frame.outcome == FrameOutcome::ChecksumError) {
        flags |= kFlagCrcError;
        comment = "checksum error: " + hex(frame.bytes);
    } else if (frame.outcome == FrameOutcome::FramingError) {
        flags |= kFlagTooShort;
        comment = "framing error: " + hex(frame.bytes);
    } else if (unanswered) {
        comment = "no reply (time-out)";
    }
    if (!comment.empty()) option(epb, 1, text(comment));
    Bytes f;
    put32(f, flags);
    option(epb, 2, f);
    option(epb, 0, {});
    return block(6, epb);
}

bool PcapngWriter::write(const std::vector<FrameRecord>& frames)
{
    if (!file_) return false;
    for (size_t i = 0; i < frames.size(); ++i) {
        const FrameRecord& f = frames[i];
        if (f.outcome == FrameOutcome::TimeOut || f.bytes.empty()) continue;  // no frame on the wire
        const bool unanswered = i + 1 < frames.size() && frames[i + 1].exchange == f.exchange &&
                                frames[i + 1].outcome == FrameOutcome::TimeOut;
        if (!put(packetBlock(f, unanswered))) return false;
    }
    return std::fflush(file_) == 0;
}

bool PcapngWriter::put(const Bytes& block)
{
    return file_ && std::fwrite(block.data(), 1, block.size(), file_) == block.size();
}

bool PcapngWriter::close(std::string& error)
{
    if (!file_) return true;
    const bool ok = std::fflush(file_) == 0 && ::fsync(fileno(file_)) == 0;
    const int err = errno;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (ok && closed) return true;
    error = path_ + ": " + std::strerror(ok ? errno : err);
    return false;
}

bool PcapngWriter::writeFile(const std::string& path, const std::string& lineName, const std::vector<FrameRecord>& frames,
                             std::string& error)
{
    // Written beside the target and renamed: an old capture of that name
    // stays whole until the new one is.
    const std::string part = path + ".part";
    PcapngWriter writer;
    if (!writer.open(part, lineName, error)) return false;
    if (!writer.write(frames) || !writer.close(error)) {
        if (error.empty()) error = part + ": " + std::strerror(errno);
        ::unlink(part.c_str());
        return false;
    }
    if (std::rename(part.c_str(), path.c_str()) != 0) {
        error = path + ": " + std::strerror(errno);
        ::unlink(part.c_str());
        return false;
    }
    return true;
}

}  // namespace tern::server
