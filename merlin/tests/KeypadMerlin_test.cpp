#include <merlin/testing/CFakeLink.h>
#include <merlin/core/CKeypadControl.h>

#include <gtest/gtest.h>

using namespace merlin;

namespace {

constexpr int kStation = 4;

struct MerlinKeypad : ::testing::Test {
    MerlinKeypad()
    {
        link.OpenLink();
        for (int offset : {201, 202, 203, 205, 50, 52})
            link.setRegister(kStation, offset, 0);
    }
    uint16_t reg(int offset) const { return *link.registerValue(kStation, offset); }
    CFakeLink link;
    CKeypadControl keypad{link, kStation};
};

struct WordCase {
    const char* name;
    int (CKeypadControl::*command)();
    uint16_t before;
    uint16_t after;
};

}  // namespace

TEST_F(MerlinKeypad, RunCommandsRewriteControlWord1FromTheDrive)
{
    const WordCase cases[] = {
        {"FWD clears bits 3 and 10", &CKeypadControl::forward, 0x0408, 0x0005},
        {"FWD keeps unrelated bits", &CKeypadControl::forward, 0x3300, 0x3305},
        {"REV clears bits 2 and 10", &CKeypadControl::reverse, 0x0404, 0x0009},
        {"STOP clears bits 2, 3 and 10", &CKeypadControl::stop, 0x040D, 0x0001},
        {"Error Reset ends with bit 15 clear", &CKeypadControl::errorReset, 0x8123, 0x0123},
    };
    for (const WordCase& c : cases) {
        link.setRegister(kStation, 201, c.before);
        EXPECT_EQ((keypad.*c.command)(), 0) << c.name;
        EXPECT_EQ(reg(201), c.after) << c.name;
    }
}

TEST_F(MerlinKeypad, ErrorResetPulsesBit15)
{
    link.setRegister(kStation, 201, 0x0005);
    ASSERT_EQ(keypad.errorReset(), 0);
    const auto writes = link.writes();
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].value, 0x8000);
    EXPECT_EQ(writes[1].value, 0x0005);
}

TEST_F(MerlinKeypad, FailedReadWritesNothing)
{
    link.setReadResult(kStation, 201, kLinkTimeout);
    EXPECT_EQ(keypad.forward(), kLinkTimeout);
    EXPECT_TRUE(link.writes().empty());
}

TEST_F(MerlinKeypad, BitSwitchesToggleTheCachedWordAndComeBack)
{
    link.setRegister(kStation, 201, 0x1005);
    link.setRegister(kStation, 202, 0x0002);
    for (int i = 0; i < 4; ++i)
        keypad.pollNext();
    ASSERT_EQ(keypad.toggle(ControlBit::Ramp2), 0);
    EXPECT_EQ(reg(201), 0x1205);
    ASSERT_EQ(keypad.toggle(ControlBit::Ramp2), 0);
    EXPECT_EQ(reg(201), 0x1005);
    ASSERT_EQ(keypad.toggle(ControlBit::Cts), 0);
    EXPECT_EQ(reg(201), 0x3005);
    ASSERT_EQ(keypad.toggle(ControlBit::StopSequence), 0);
    EXPECT_EQ(reg(202), 0x0000);
    ASSERT_EQ(keypad.toggle(ControlBit::ResetSequence), 0);
    EXPECT_EQ(reg(202), 0x0004);
}

TEST_F(MerlinKeypad, RefusedToggleKeepsTheCache)
{
    link.setWriteResult(kStation, 201, linkException(3));
    EXPECT_EQ(keypad.toggle(ControlBit::Remote), linkException(3));
    EXPECT_EQ(keypad.controlWord1(), 0);
}

TEST_F(MerlinKeypad, PollsFourRegistersInTurnAndSlowsDownAfterAFailure)
{
    link.setRegister(kStation, 52, 0x0002);
    link.setReadResult(kStation, 50, kLinkTimeout);
    const int expectedOrder[] = {201, 202, 50, 52, 201};
    const int expectedDelay[] = {100, 100, 2000, 100, 100};
    for (int i = 0; i < 5; ++i) {
        const auto poll = keypad.pollNext();
        EXPECT_EQ(poll.registerOffset, expectedOrder[i]);
        EXPECT_EQ(poll.nextTickMs, expectedDelay[i]);
    }
    EXPECT_EQ(keypad.enableText(), "EN On");
    EXPECT_EQ(CKeypadControl::wordText(0x0a5), "0x00A5");
    EXPECT_EQ(CKeypadControl::resultText(kLinkTimeout), "0201");
}

TEST_F(MerlinKeypad, SpeedSourcesSetTheirBitsAndFetchTheReference)
{
    link.setRegister(kStation, 201, 0x00F5);
    link.setRegister(kStation, 203, 1234);
    ASSERT_EQ(keypad.selectSource(SpeedSource::Ext1), 0);
    EXPECT_EQ(reg(201), 0x0007);
    EXPECT_FLOAT_EQ(keypad.speed(), 12.34f);

    link.setRegister(kStation, 205, 5000);
    ASSERT_EQ(keypad.selectSource(SpeedSource::Ext2), 0);
    EXPECT_EQ(reg(201), 0x0017);
    EXPECT_FLOAT_EQ(keypad.speed(), 50.0f);
}

TEST_F(MerlinKeypad, PresetPositionGoesToBits5To7WithBit1AsItsFlag)
{
    link.setRegister(kStation, 201, 0x0005);
    ASSERT_EQ(keypad.selectSource(SpeedSource::Preset), 0);
    EXPECT_EQ(reg(201), 0x0005);  // position 0: no preset, bit 1 clear
    ASSERT_EQ(keypad.selectPreset(5), 0);
    EXPECT_EQ(reg(201), 0x00A7);
    ASSERT_EQ(keypad.selectPreset(0), 0);
    EXPECT_EQ(reg(201), 0x0005);
    EXPECT_EQ(keypad.changeSpeed(SpeedChange::Inc), 1) << "preset speeds take no reference";
}

TEST_F(MerlinKeypad, SpeedChangesStayWithin0To325Hz)
{
    link.setRegister(kStation, 203, 32450);
    ASSERT_EQ(keypad.selectSource(SpeedSource::Ext1), 0);
    link.clearCalls();
    EXPECT_EQ(keypad.changeSpeed(SpeedChange::Inc), 1);
    EXPECT_FLOAT_EQ(keypad.speed(), 324.5f);
    EXPECT_TRUE(link.writes().empty());

    keypad.setSpeed(0.5f);
    EXPECT_EQ(keypad.changeSpeed(SpeedChange::Dec), 1);
    EXPECT_EQ(keypad.changeSpeed(SpeedChange::Inc), 0);
    EXPECT_EQ(reg(203), 150);

    keypad.setSpeed(12.34f);
    EXPECT_EQ(keypad.changeSpeed(SpeedChange::Download), 0);
    EXPECT_EQ(reg(203), 1234);
}

TEST_F(MerlinKeypad, SpeedGoesToReference2UnlessExt1IsTheSource)
{
    keypad.setSpeed(20.0f);
    EXPECT_EQ(keypad.changeSpeed(SpeedChange::Download), 0);
    EXPECT_EQ(reg(205), 2000);
    EXPECT_EQ(reg(203), 0);
}

TEST(MerlinKeypadSpeed, HundredthsSurviveFloatRounding)
{
    // 12.29 Hz read from the drive, then INC: 13.29 must not become 13.28.
    const struct { float hertz; uint16_t raw; } cases[] = {
        {12.34f, 1234}, {13.29f, 1329}, {0.29f, 29}, {325.0f, 32500}, {12.345f, 1234}, {0.0f, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(keypad::speedToRegister(c.hertz), c.raw) << c.hertz;
    EXPECT_EQ(keypad::speedToRegister(12.29f + 1.0f), 1329);
}

TEST_F(MerlinKeypad, BroadcastWritesStation0FromTheCachedWord)
{
    link.addStation(7);
    link.setRegister(kStation, 201, 0x0408);
    keypad.pollNext();
    keypad.setBroadcast(true);
    link.clearCalls();
    EXPECT_EQ(keypad.forward(), 0);
    ASSERT_EQ(link.calls().size(), 1u);
    EXPECT_EQ(link.calls()[0].station, 0);
    EXPECT_EQ(link.calls()[0].value, 0x0005);
    EXPECT_EQ(link.registerValue(7, 201), 0x0005);
}

TEST(MerlinKeypadTitle, ShowsTheStationOrDashes)
{
    EXPECT_EQ(CKeypadControl::title(12), "Keypad Controls - Addr. :12");
    EXPECT_EQ(CKeypadControl::title(0), "Keypad Controls - Addr. :--");
}
