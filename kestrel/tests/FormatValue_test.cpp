#include <kestrel/core/FormatValue.h>

#include <gtest/gtest.h>

namespace kestrel {
namespace {

struct ValueCase {
    const char* hex;
    const char* scale;
    int decimals;
    const char* shown;
};

TEST(FormatValue, ScalesSignsAndRounds)
{
    const ValueCase cases[] = {
        {"FFFF", "0000", 1, "-0.1"},
        {"03E8", "0001", 0, "100"},
        {"8000", "0000", 0, "-32768"},
        {"7FFF", "0000", 0, "32767"},
        {"7FFF", "1003", 3, "0.032"},     // 32767 / 1000 = 32, shown with 3 decimals
        {"FC18", "B002", 1, "-1.0"},      // -1000 / 100 = -10, one decimal
        {"FFF6", "0001", 0, "-1"},        // -10 / 10 truncates toward zero
        {"FFFB", "0001", 0, "0"},         // -5 / 10 = 0
        {"0001", "0000", 3, "0.001"},
        {"04D2", "0000", 2, "12.34"},
        {"04d2", "0000", 2, "12.34"},     // lower-case digits
        {"0005", "0004", 0, "5"},         // scale digit 4 means 1
        {"0005", "01", 0, "5"},           // short scale code: no scaling
    };
    for (const ValueCase& c : cases) {
        SCOPED_TRACE(std::string(c.hex) + " " + c.scale);
        EXPECT_EQ(FormatValue(c.hex, c.scale, c.decimals), c.shown);
    }
}

TEST(FormatValue, EachCallOwnsItsTextAndOtherDecimalsShowNothing)
{
    // Held by reference, as a caller may: a later call must not change it.
    const auto& ten = FormatValue("000A", "0000", 0);
    const auto& one = FormatValue("0001", "0000", 0);
    EXPECT_EQ(ten, "10");
    EXPECT_EQ(one, "1");
    EXPECT_EQ(FormatValue("0001", "0000", 4), "");
    EXPECT_EQ(FormatValue("0001", "0000", -1), "");
}

TEST(FormatTelegram, ControlCharactersGetTheirNames)
{
    EXPECT_EQ(FormatTelegram(""), "");
    EXPECT_EQ(FormatTelegram("\x02U\x03"), "[STX]U[ETX]");
    EXPECT_EQ(FormatTelegram(std::string("\x04!U00AC\x05\x06\x15", 10)), "[EOT]!U00AC[ENQ][ACK][NAK]");
    EXPECT_EQ(FormatTelegram(std::string("a\0b", 3)), std::string("a\0b", 3));
}

}  // namespace
}  // namespace kestrel
