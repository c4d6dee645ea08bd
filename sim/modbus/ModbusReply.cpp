#include <sim/modbus/ModbusReply.h>

#include <sim/modbus/ModbusFrames.h>

namespace sim {
namespace {

// Bytes a disturbed line might carry ahead of a frame.
constexpr std::array<uint8_t, 3> kNoise{0xFF, 0x00, 0xA5};

void applyBodyFaults(const FaultPlan& plan, std::vector<uint8_t>& body) {
    if (plan.wrongAddress && !body.empty()) body[0] = static_cast<uint8_t>(body[0] + 1);
}

void applyFrameFaults(const FaultPlan& plan, ModbusFraming framing, std::vector<uint8_t>& frame) {
    if (plan.badChecksum) {
        if (framing == ModbusFraming::Rtu) {
            frame.back() ^= 0x5A;
        } else {
            // The LRC's low digit, still a valid hex digit.
            uint8_t& digit = frame[frame.size() - 3];
            digit = digit == '0' ? '1' : '0';
        }
    }
    if (plan.shortFrame && !frame.empty()) frame.pop_back();
    if (plan.noise) frame.insert(frame.begin(), kNoise.begin(), kNoise.end());
}

}  // namespace

std::optional<ModbusReply> serialReply(ModbusSlave& slave, FaultInjector& faults, ModbusFraming framing,
                                       std::span<const uint8_t> request) {
    std::optional<std::vector<uint8_t>> body = slave.handle(request);
    if (!body) return std::nullopt;
    const FaultPlan plan = faults.next();
    if (plan.noReply) return std::nullopt;
    applyBodyFaults(plan, *body);
    ModbusReply reply{framing == ModbusFraming::Rtu ? encodeRtu(*body) : encodeAscii(*body), plan.delayMs};
    applyFrameFaults(plan, framing, reply.bytes);
    return reply;
}

std::optional<ModbusReply> tcpReply(ModbusSlave& slave, FaultInjector& faults, std::span<const uint8_t> header,
                                    std::span<const uint8_t> body) {
    std::optional<std::vector<uint8_t>> response = slave.handle(body);
    if (!response) return std::nullopt;
    const FaultPlan plan = faults.next();
    if (plan.noReply) return std::nullopt;
    applyBodyFaults(plan, *response);
    ModbusReply reply{{header[0], header[1], header[2], header[3],
                       static_cast<uint8_t>(response->size() >> 8), static_cast<uint8_t>(response->size() & 0xFF)},
                      plan.delayMs};
    reply.bytes.insert(reply.bytes.end(), response->begin(), response->end());
    // No checksum on TCP: a bad-checksum fault has nothing to spoil.
    if (plan.shortFrame) reply.bytes.pop_back();
    if (plan.noise) reply.bytes.insert(reply.bytes.begin(), kNoise.begin(), kNoise.end());
    return reply;
}

}  // namespace sim
