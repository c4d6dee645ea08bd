#include <platform/ParmrkDecoder.h>

#include <platform/SerialPort.h>

#include <gtest/gtest.h>

#include <string>

namespace platform {
namespace {

struct MarkCase {
    const char* name;
    std::string raw;
    bool parityChecked;
    std::string data;
    uint32_t events;
};

void PrintTo(const MarkCase& c, std::ostream* os) { *os << c.name; }

std::string decode(ParmrkDecoder& d, const std::string& raw, size_t chunk, uint32_t& events)
{
    std::deque<uint8_t> out;
    events = 0;
    for (size_t i = 0; i < raw.size(); i += chunk) {
        const size_t n = std::min(chunk, raw.size() - i);
        events |= d.feed(reinterpret_cast<const uint8_t*>(raw.data() + i), n, out);
    }
    return std::string(out.begin(), out.end());
}

using namespace std::string_literals;

class ParmrkMarks : public ::testing::TestWithParam<MarkCase> {};

TEST_P(ParmrkMarks, DecodeTheSameWholeOrOneByteAtATime)
{
    const MarkCase& c = GetParam();
    for (size_t chunk : {c.raw.size() + 1, size_t(1), size_t(2)}) {
        ParmrkDecoder d;
        d.setParityChecked(c.parityChecked);
        uint32_t events = 0;
        EXPECT_EQ(decode(d, c.raw, chunk, events), c.data) << "chunk " << chunk;
        EXPECT_EQ(events, c.events) << "chunk " << chunk;
    }
}

INSTANTIATE_TEST_SUITE_P(Sequences, ParmrkMarks, ::testing::Values(
    MarkCase{"PlainData", "\x01\x00\x7F\xFE"s, false, "\x01\x00\x7F\xFE"s, 0},
    MarkCase{"DoubledFF", "A\xFF\xFF" "B\xFF\xFF\xFF\xFF"s, false, "A\xFF" "B\xFF\xFF"s, 0},
    MarkCase{"Break", "A\xFF\x00\x00" "B"s, false, "AB", EventBreak},
    MarkCase{"FramingErrorKeepsTheCharacter", "\xFF\x00" "C"s, false, "C", EventFraming},
    MarkCase{"ErrorWithParityOn", "\xFF\x00" "C"s, true, "C", EventFraming | EventParity},
    MarkCase{"ErroredFFCharacter", "\xFF\x00\xFF"s, false, "\xFF"s, EventFraming},
    MarkCase{"DataFFThenZeros", "\xFF\xFF\x00\x00"s, false, "\xFF\x00\x00"s, 0},
    MarkCase{"StrayFFIsKept", "\xFF" "A"s, false, "\xFF" "A"s, 0},
    MarkCase{"BreakThenError", "\xFF\x00\x00\xFF\x00" "x"s, false, "x", EventBreak | EventFraming}),
    [](const ::testing::TestParamInfo<MarkCase>& i) { return std::string(i.param.name); });

TEST(ParmrkDecoder, AnUnfinishedMarkWaitsForItsRestAndResetForgetsIt)
{
    ParmrkDecoder d;
    uint32_t events = 0;
    EXPECT_EQ(decode(d, "A\xFF\x00"s, 8, events), "A");
    EXPECT_EQ(decode(d, "\x00"s, 8, events), "");
    EXPECT_EQ(events, uint32_t(EventBreak));

    EXPECT_EQ(decode(d, "\xFF"s, 8, events), "");
    d.reset();
    EXPECT_EQ(decode(d, "Z", 8, events), "Z");
}

}  // namespace
}  // namespace platform
