#include <platform/TermiosSettings.h>

#include <gtest/gtest.h>

#include <termios.h>

namespace platform {
namespace {

struct FlagCase {
    const char* name;
    SerialSettings settings;
    tcflag_t cflag;   // within CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS
    tcflag_t iflag;   // within IXON | IXOFF
};

void PrintTo(const FlagCase& c, std::ostream* os) { *os << c.name; }

class TermiosFlags : public ::testing::TestWithParam<FlagCase> {};

TEST_P(TermiosFlags, SettingsBecomeTheseFlags)
{
    const FlagCase& c = GetParam();
    termios t{};
    // Start from a cooked line with everything set that raw mode must clear.
    t.c_iflag = ICRNL | IXON | ISTRIP | IGNBRK | BRKINT | IGNPAR;
    t.c_oflag = OPOST | ONLCR;
    t.c_lflag = ICANON | ECHO | ISIG | IEXTEN;
    t.c_cflag = CS7 | PARENB | PARODD | CSTOPB | CRTSCTS | CMSPAR;
    fillTermios(t, c.settings);

    EXPECT_EQ(t.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS), c.cflag);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), c.iflag);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
    // Raw, with breaks and errored characters marked in-band.
    EXPECT_EQ(t.c_iflag & (ICRNL | ISTRIP | IGNBRK | BRKINT | IGNPAR), 0u);
    EXPECT_EQ(t.c_iflag & (PARMRK | INPCK), tcflag_t(PARMRK | INPCK));
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_cc[VMIN], 1);
    EXPECT_EQ(t.c_cc[VTIME], 0);
}

SerialSettings flow(bool rtsCts, bool xon)
{
    SerialSettings s;
    s.rtsCtsFlow = rtsCts;
    s.xonXoff = xon;
    return s;
}

INSTANTIATE_TEST_SUITE_P(Lines, TermiosFlags, ::testing::Values(
    FlagCase{"Eight_None_One", {9600, 8, Parity::None, StopBits::One}, CS8, 0},
    FlagCase{"Seven_Even_One", {9600, 7, Parity::Even, StopBits::One}, CS7 | PARENB, 0},
    FlagCase{"Six_Odd_Two", {9600, 6, Parity::Odd, StopBits::Two}, CS6 | PARENB | PARODD | CSTOPB, 0},
    FlagCase{"Five_Mark_One", {9600, 5, Parity::Mark, StopBits::One}, CS5 | PARENB | PARODD | CMSPAR, 0},
    FlagCase{"Eight_Space_Two", {9600, 8, Parity::Space, StopBits::Two}, CS8 | PARENB | CMSPAR | CSTOPB, 0},
    FlagCase{"RtsCts", flow(true, false), CS8 | CRTSCTS, 0},
    FlagCase{"XonXoff", flow(false, true), CS8, IXON | IXOFF}),
    [](const ::testing::TestParamInfo<FlagCase>& i) { return std::string(i.param.name); });

TEST(TermiosSettings, XonXoffUsesTheUsualCharacters)
{
    termios t{};
    fillTermios(t, flow(false, true));
    EXPECT_EQ(t.c_cc[VSTART], 0x11);
    EXPECT_EQ(t.c_cc[VSTOP], 0x13);
}

}  // namespace
}  // namespace platform
