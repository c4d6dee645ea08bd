#include <platform/SerialPort.h>

#include <platform/SettingsCheck.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace platform {
namespace {

TEST(SerialResultText, EveryResultHasItsOwnText)
{
    std::set<std::string> texts;
    for (int r = 0; r <= static_cast<int>(SerialResult::Closed); ++r) {
        const std::string text = serialResultText(static_cast<SerialResult>(r));
        EXPECT_FALSE(text.empty()) << r;
        EXPECT_TRUE(texts.insert(text).second) << "repeated: " << text;
    }
    EXPECT_EQ(std::string(serialResultText(static_cast<SerialResult>(99))), "unknown serial result");
}

struct BitsCase {
    SerialSettings settings;
    unsigned bits;
};

class BitsPerCharacter : public ::testing::TestWithParam<BitsCase> {};

TEST_P(BitsPerCharacter, CountsStartDataParityAndStop)
{
    EXPECT_EQ(bitsPerCharacter(GetParam().settings), GetParam().bits);
}

INSTANTIATE_TEST_SUITE_P(Frames, BitsPerCharacter, ::testing::Values(
    BitsCase{{9600, 8, Parity::None, StopBits::One}, 10},
    BitsCase{{9600, 7, Parity::Even, StopBits::One}, 10},
    BitsCase{{9600, 8, Parity::Even, StopBits::One}, 11},
    BitsCase{{9600, 8, Parity::Mark, StopBits::Two}, 12},
    BitsCase{{9600, 5, Parity::None, StopBits::OneAndHalf}, 8},   // rounded up
    BitsCase{{9600, 7, Parity::Space, StopBits::Two}, 11}));

TEST(CheckSettings, RefusesWhatNoLineCanTake)
{
    const SerialSettings good{19200, 7, Parity::Mark, StopBits::Two, true, false, true};
    EXPECT_EQ(checkSettings(good), SerialResult::Ok);

    auto bad = [&](auto change) {
        SerialSettings s = good;
        change(s);
        return checkSettings(s);
    };
    EXPECT_EQ(bad([](SerialSettings& s) { s.baudRate = 0; }), SerialResult::InvalidSetting);
    EXPECT_EQ(bad([](SerialSettings& s) { s.dataBits = 4; }), SerialResult::InvalidSetting);
    EXPECT_EQ(bad([](SerialSettings& s) { s.dataBits = 9; }), SerialResult::InvalidSetting);
    EXPECT_EQ(bad([](SerialSettings& s) { s.parity = static_cast<Parity>(5); }), SerialResult::InvalidSetting);
    EXPECT_EQ(bad([](SerialSettings& s) { s.stopBits = StopBits::OneAndHalf; }), SerialResult::InvalidSetting);
    EXPECT_EQ(bad([](SerialSettings& s) { s.stopBits = static_cast<StopBits>(3); }), SerialResult::InvalidSetting);
    EXPECT_EQ(bad([](SerialSettings& s) { s.dtrDsrFlow = true; }), SerialResult::InvalidSetting);
    EXPECT_EQ(bad([](SerialSettings& s) { s.dataBits = 5; }), SerialResult::Ok);
    EXPECT_EQ(bad([](SerialSettings& s) { s.baudRate = 14400; }), SerialResult::Ok);
}

}  // namespace
}  // namespace platform
