#pragma once
// Display forms used wherever a device value or a telegram is shown.
#include <string>
#include <string_view>

namespace kestrel {

// Control characters of the SIO protocol.
namespace sio {
constexpr char STX = 0x02;
constexpr char ETX = 0x03;
constexpr char EOT = 0x04;
constexpr char ENQ = 0x05;
constexpr char ACK = 0x06;
constexpr char NAK = 0x15;
constexpr char U = 'U';
}  // namespace sio

// Scaled decimal text of a device value: the four hexadecimal digits as a
// 16-bit two's complement integer, divided by 10, 100 or 1000 (truncating)
// when the fourth character of scaleCode is '1', '2' or '3', then shown with
// 0..3 decimals. A decimals value outside 0..3 has no form: the text is
// empty (a database record carries only 0..3, TvkRecord::parse).
std::string FormatValue(std::string_view hexText, std::string_view scaleCode, int decimals);

// Display form of a telegram: STX, ETX, EOT, ENQ, ACK and NAK become
// "[STX]" ... "[NAK]", everything else is copied.
std::string FormatTelegram(std::string_view text);

}  // namespace kestrel
