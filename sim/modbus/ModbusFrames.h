#pragma once
// Serial framing on the slave side: RTU (body + CRC-16 low byte first) and
// ASCII (':' hex body, LRC, CR LF). Written independently of Tern's engine on
// purpose: the simulator checks the engine, not itself.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace sim {

uint16_t rtuCrc(std::span<const uint8_t> bytes);
uint8_t asciiLrc(std::span<const uint8_t> bytes);

std::vector<uint8_t> encodeRtu(std::span<const uint8_t> body);
std::vector<uint8_t> encodeAscii(std::span<const uint8_t> body);

// The body of an RTU frame whose CRC is right (at least address, function).
std::optional<std::vector<uint8_t>> decodeRtu(std::span<const uint8_t> frame);
// The body of an ASCII frame from ':' to CR LF with a right LRC; the hex
// digits may be of either case.
std::optional<std::vector<uint8_t>> decodeAscii(std::span<const uint8_t> frame);

// Length of the RTU request frame (CRC included) that starts the buffer, as
// far as its function code tells it; 0 while the buffer is too short to say,
// and for function codes whose length is not known (those end by silence).
size_t rtuRequestLength(std::span<const uint8_t> buffer);

}  // namespace sim
