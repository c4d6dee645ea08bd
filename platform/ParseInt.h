#pragma once
// Whole-text integers: a number that is all of its text, or nothing. Command
// lines, profiles, scripts and dialogs read their numbers through here, so
// "12x", "", " 12", "+12" and values the type cannot hold fail alike.
#include <charconv>
#include <optional>
#include <string_view>
#include <type_traits>

namespace platform {

// The whole of `text` as a T in `base` (2..36), or nullopt. Base 0 reads C's
// prefixes: "0x1F" hexadecimal, "017" octal, anything else decimal. A '-' is
// taken by signed types only, and never after a prefix.
template <typename T>
std::optional<T> parseInt(std::string_view text, int base = 10)
{
    static_assert(std::is_integral_v<T> && !std::is_same_v<T, bool>);
    if (base == 0) {
        base = 10;
        if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
            base = 16;
            text.remove_prefix(2);
        } else if (text.size() > 1 && text[0] == '0') {
            base = 8;
            text.remove_prefix(1);
        }
        if (base != 10 && text.front() == '-')
            return std::nullopt;
    }
    T value{};
    const char* const end = text.data() + text.size();
    const auto [stop, ec] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || ec != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

// The same, and only within [low, high].
template <typename T>
std::optional<T> parseInt(std::string_view text, T low, T high, int base = 10)
{
    const std::optional<T> value = parseInt<T>(text, base);
    if (!value || *value < low || *value > high)
        return std::nullopt;
    return value;
}

}  // namespace platform
