#include <sim/modbus/ModbusSerialServer.h>

#include <sim/modbus/ModbusFrames.h>

#include <algorithm>
#include <thread>

namespace sim {
namespace {

constexpr int kStopCheckMs = 50;
constexpr int kAsciiSilenceMs = 1000;
constexpr size_t kMaxFrame = 600;   // longer than any ASCII frame of 256 bytes

}  // namespace

ModbusSerialServer::ModbusSerialServer(ModbusLink& link, ModbusSlave& slave, FaultInjector& faults,
                                       SerialServeOptions options)
    : link_(link), slave_(slave), faults_(faults), options_(options) {}

ModbusSerialServer::Clock::duration ModbusSerialServer::characterTime() const {
    if (options_.paceBaud == 0) return Clock::duration::zero();
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(
        static_cast<double>(options_.bitsPerCharacter) / options_.paceBaud));
}

int ModbusSerialServer::silenceMs() const {
    // 3.5 characters, but never below what a busy machine may stall between
    // two bytes of one frame.
    const auto gap = std::chrono::ceil<std::chrono::milliseconds>(characterTime() * 7 / 2).count();
    return std::max(3, static_cast<int>(gap));
}

void ModbusSerialServer::run(const std::atomic<bool>& stop) {
    if (options_.framing == ModbusFraming::Rtu) {
        serveRtu(stop);
    } else {
        serveAscii(stop);
    }
}

void ModbusSerialServer::send(const ModbusReply& reply, Clock::time_point start) {
    start += std::chrono::milliseconds(reply.delayMs);
    const Clock::duration perByte = characterTime();
    if (perByte == Clock::duration::zero()) {
        std::this_thread::sleep_until(start);
        link_.write(reply.bytes.data(), reply.bytes.size());
        return;
    }
    // Release every byte at the moment its last bit would have arrived.
    size_t sent = 0;
    while (sent < reply.bytes.size()) {
        std::this_thread::sleep_until(start + perByte * static_cast<int64_t>(sent + 1));
        const auto due = static_cast<size_t>((Clock::now() - start) / perByte);
        const size_t upTo = std::clamp(due, sent + 1, reply.bytes.size());
        if (!link_.write(reply.bytes.data() + sent, upTo - sent)) return;
        sent = upTo;
    }
}

void ModbusSerialServer::answer(std::span<const uint8_t> request, Clock::time_point firstByte) {
    ++requests_;
    const std::optional<std::vector<uint8_t>> body = options_.framing == ModbusFraming::Rtu ? decodeRtu(request)
                                                                                            : decodeAscii(request);
    if (!body) return;
    const std::optional<ModbusReply> reply = serialReply(slave_, faults_, options_.framing, *body);
    if (!reply) return;
    // The request's own wire time plus the silence that ends it.
    const Clock::duration tc = characterTime();
    const Clock::time_point start = std::max(Clock::now(), firstByte + tc * static_cast<int64_t>(request.size()) + tc * 7 / 2);
    send(*reply, start);
}

void ModbusSerialServer::takeRtuFrames(std::vector<uint8_t>& buffer, Clock::time_point& first, bool& garbled) {
    while (!garbled) {
        const size_t length = rtuRequestLength(buffer);
        if (length == 0 || buffer.size() < length) return;
        const std::span<const uint8_t> frame(buffer.data(), length);
        if (!decodeRtu(frame)) {
            garbled = true;   // out of step: wait for silence
            return;
        }
        answer(frame, first);
        buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(length));
        first = Clock::now();
    }
}

void ModbusSerialServer::serveRtu(const std::atomic<bool>& stop) {
    std::vector<uint8_t> buffer;
    Clock::time_point first{};
    bool garbled = false;
    uint8_t chunk[256];
    while (!stop) {
        size_t got = 0;
        if (!link_.read(chunk, sizeof chunk, got, buffer.empty() ? kStopCheckMs : silenceMs())) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kStopCheckMs));
            continue;
        }
        if (got > 0) {
            if (buffer.empty()) first = Clock::now();
            buffer.insert(buffer.end(), chunk, chunk + got);
            if (buffer.size() > kMaxFrame) garbled = true;
            takeRtuFrames(buffer, first, garbled);
            if (garbled && buffer.size() > kMaxFrame) buffer.clear();
            continue;
        }
        // Silence: whatever is buffered is one frame (functions of unknown
        // length end here), or garbage.
        if (!buffer.empty() && !garbled) answer(buffer, first);
        buffer.clear();
        garbled = false;
    }
}

void ModbusSerialServer::serveAscii(const std::atomic<bool>& stop) {
    std::vector<uint8_t> frame;
    Clock::time_point lastByte = Clock::now();
    uint8_t chunk[256];
    while (!stop) {
        size_t got = 0;
        if (!link_.read(chunk, sizeof chunk, got, kStopCheckMs)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kStopCheckMs));
            continue;
        }
        const Clock::time_point now = Clock::now();
        if (got == 0) {
            if (!frame.empty() && now - lastByte > std::chrono::milliseconds(kAsciiSilenceMs)) frame.clear();
            continue;
        }
        lastByte = now;
        for (size_t i = 0; i < got; ++i) {
            const uint8_t c = chunk[i];
            if (c == ':') frame.assign(1, c);   // a colon always starts a new frame
            else if (!frame.empty()) frame.push_back(c);
            if (frame.size() >= 2 && c == '\n' && frame[frame.size() - 2] == '\r') {
                answer(frame, now);
                frame.clear();
            }
            if (frame.size() > kMaxFrame) frame.clear();
        }
    }
}

}  // namespace sim
