// Whole-text integers: what is a number and what is refused.
#include <platform/ParseInt.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace platform {
namespace {

TEST(ParseInt, OnlyTheWholeTextIsANumber)
{
    EXPECT_EQ(parseInt<int>("0"), 0);
    EXPECT_EQ(parseInt<int>("31"), 31);
    EXPECT_EQ(parseInt<long>("-12"), -12);
    for (const char* bad : {"", " 1", "1 ", "+1", "1x", "x1", "1.0", "-", "0x10"})
        EXPECT_EQ(parseInt<int>(bad), std::nullopt) << '"' << bad << '"';
    // Unsigned types take no sign at all: "-1" never wraps round to the maximum.
    EXPECT_EQ(parseInt<unsigned>("-1"), std::nullopt);
    EXPECT_EQ(parseInt<unsigned long>("-0"), std::nullopt);
    // A view's end is the text's end, whatever follows in memory.
    const std::string digits = "1234";
    EXPECT_EQ(parseInt<int>(std::string_view(digits).substr(0, 2)), 12);
}

TEST(ParseInt, ValuesTheTypeCannotHoldAreRefused)
{
    EXPECT_EQ(parseInt<uint16_t>("65535"), 65535);
    EXPECT_EQ(parseInt<uint16_t>("65536"), std::nullopt);
    EXPECT_EQ(parseInt<uint32_t>("4294967295"), 4294967295u);
    EXPECT_EQ(parseInt<uint32_t>("4294967296"), std::nullopt);
    EXPECT_EQ(parseInt<int8_t>("-128"), -128);
    EXPECT_EQ(parseInt<int8_t>("-129"), std::nullopt);
    EXPECT_EQ(parseInt<long>("99999999999999999999999"), std::nullopt);
}

TEST(ParseInt, RangesAreInclusive)
{
    EXPECT_EQ(parseInt<int>("0", 0, 31), 0);
    EXPECT_EQ(parseInt<int>("31", 0, 31), 31);
    EXPECT_EQ(parseInt<int>("32", 0, 31), std::nullopt);
    EXPECT_EQ(parseInt<int>("-1", 0, 31), std::nullopt);
    EXPECT_EQ(parseInt<long>("50", 50L, 4000000L), 50);
    EXPECT_EQ(parseInt<long>("fast", 50L, 4000000L), std::nullopt);
}

TEST(ParseInt, BasesAndCPrefixes)
{
    EXPECT_EQ(parseInt<unsigned>("ff", 16), 255u);
    EXPECT_EQ(parseInt<unsigned>("FF", 16), 255u);
    EXPECT_EQ(parseInt<unsigned>("0xff", 16), std::nullopt);
    EXPECT_EQ(parseInt<unsigned>("0x1F", 0), 31u);
    EXPECT_EQ(parseInt<unsigned>("0X1f", 0), 31u);
    EXPECT_EQ(parseInt<unsigned>("017", 0), 15u);
    EXPECT_EQ(parseInt<unsigned>("0", 0), 0u);
    EXPECT_EQ(parseInt<unsigned>("19", 0), 19u);
    EXPECT_EQ(parseInt<unsigned>("018", 0), std::nullopt);
    EXPECT_EQ(parseInt<unsigned>("0x", 0), std::nullopt);
    EXPECT_EQ(parseInt<int>("0x-1", 0), std::nullopt);
    EXPECT_EQ(parseInt<int>("-7", 0), -7);
    EXPECT_EQ(parseInt<unsigned>("0x10000", 0u, 0xFFFFu, 0), std::nullopt);
}

}  // namespace
}  // namespace platform
