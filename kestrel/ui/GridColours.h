#pragma once
// Cell colours of the parameter grids, as the grid takes them (0x00BBGGRR).
#include <cstdint>

namespace kestrel {

// The row picked in a grid: RGB(255, 255, 128).
inline constexpr std::uint32_t kHighlight = 0x0080FFFF;
inline constexpr std::uint32_t kWhite = 0x00FFFFFF;

}  // namespace kestrel
