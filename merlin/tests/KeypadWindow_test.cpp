#include <merlin/testing/CFakeLink.h>
#include <merlin/core/KeypadWindow.h>

#include <gtest/gtest.h>

using namespace merlin;
using Button = KeypadWindow::Button;
using ControlType = KeypadWindow::ControlType;

namespace {

constexpr int kWindowStation = 7;

struct MerlinKeypadWindow : ::testing::Test {
    MerlinKeypadWindow()
    {
        link.OpenLink();
        for (int offset : {201, 202, 203, 205, 50, 52})
            link.setRegister(kWindowStation, offset, 0);
    }
    uint16_t reg(int offset) const { return *link.registerValue(kWindowStation, offset); }
    void pollAll()
    {
        for (int k = 0; k < 4; ++k)
            window.Tick();
    }
    CFakeLink link;
    KeypadWindow window{link, kWindowStation};
};

}  // namespace

TEST_F(MerlinKeypadWindow, PollShowsWordsEnableAndSlowsDownAfterAnError)
{
    EXPECT_EQ(window.view().title, "Keypad Controls - Addr. :7");
    EXPECT_EQ(window.view().controlWord1, "----");
    link.setRegister(kWindowStation, 201, 0x0405);
    link.setRegister(kWindowStation, 202, 0x0001);
    link.setRegister(kWindowStation, 50, 0xBEEF);
    link.setRegister(kWindowStation, 52, 0x0002);
    EXPECT_EQ(window.Tick(), 100);
    EXPECT_EQ(window.view().controlWord1, "0x0405");
    window.Tick();
    window.Tick();
    window.Tick();
    const KeypadWindow::View& view = window.view();
    EXPECT_EQ(view.controlWord2, "0x0001");
    EXPECT_EQ(view.statusWord1, "0xBEEF");
    EXPECT_EQ(view.statusWord2, "0x0002");
    EXPECT_EQ(view.enable, "EN On");
    EXPECT_EQ(view.result, "0000");
    // REMOTE (bit 10 of word 1) and PID_En (bit 0 of word 2) show checked.
    EXPECT_TRUE(view.bitChecked[2]);
    EXPECT_TRUE(view.bitChecked[6]);
    EXPECT_FALSE(view.bitChecked[0]);

    link.setReadResult(kWindowStation, 201, kLinkTimeout);
    EXPECT_EQ(window.Tick(), 2000);
    EXPECT_EQ(window.view().result, "0201");
    link.setReadResult(kWindowStation, 201, 0);
    EXPECT_EQ(window.Tick(), 100);
}

TEST_F(MerlinKeypadWindow, SpeedFollowsTheSourceAndStaysInRange)
{
    link.setRegister(kWindowStation, 203, 32450);
    window.Press(Button::Ext1);
    EXPECT_TRUE(window.view().ext1Checked);
    EXPECT_EQ(window.view().speed, "324.50");
    window.Press(Button::Inc);  // 325.5 is above the limit
    EXPECT_EQ(window.view().speed, "324.50");
    EXPECT_EQ(link.writes().back().registerOffset, 201);
    window.Press(Button::Dec);
    EXPECT_EQ(reg(203), 32350);
    EXPECT_EQ(window.view().speed, "323.50");

    window.Press(Button::Ext2);
    EXPECT_FALSE(window.view().ext1Checked);
    EXPECT_TRUE(window.view().ext2Checked);
    EXPECT_TRUE(window.SetSpeedText("12.34").empty());
    window.Press(Button::Download);
    EXPECT_EQ(reg(205), 1234);
    EXPECT_EQ(window.view().speed, "12.34");
}

TEST_F(MerlinKeypadWindow, TypedSpeedThatIsNoNumberOrOutOfRangeWritesNothing)
{
    window.Press(Button::Ext1);
    const size_t writes = link.writes().size();
    const auto notices = window.SetSpeedText("fast");
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].text, "Value error");
    EXPECT_EQ(window.view().speed, "0.00");
    EXPECT_FALSE(window.SetSpeedText("12,5").empty());
    EXPECT_FALSE(window.SetSpeedText("nan").empty());

    EXPECT_TRUE(window.SetSpeedText("400").empty());
    window.Press(Button::Download);
    EXPECT_EQ(window.view().speed, "0.00");
    EXPECT_EQ(link.writes().size(), writes);
    window.Press(Button::Inc);
    EXPECT_EQ(reg(203), 100);
}

TEST_F(MerlinKeypadWindow, PresetSourceDisablesTheSpeedCommands)
{
    window.SelectPreset(3);
    window.Press(Button::Preset);
    EXPECT_TRUE(window.view().presetChecked);
    EXPECT_FALSE(window.view().speedEnabled);
    EXPECT_EQ(reg(201), 0x0062);
    window.SelectPreset(0);
    EXPECT_EQ(reg(201), 0x0000);
    window.Press(Button::Ext1);
    EXPECT_TRUE(window.view().speedEnabled);
}

TEST_F(MerlinKeypadWindow, BitSwitchesToggleAndShowTheirState)
{
    pollAll();
    window.Toggle(ControlBit::Ramp2);
    EXPECT_EQ(reg(201), 0x0200);
    EXPECT_TRUE(window.view().bitChecked[1]);
    window.Toggle(ControlBit::Ramp2);
    EXPECT_EQ(reg(201), 0x0000);
    EXPECT_FALSE(window.view().bitChecked[1]);
    window.Toggle(ControlBit::ResetSequence);
    EXPECT_EQ(reg(202), 0x0004);
}

TEST_F(MerlinKeypadWindow, BroadcastStopsThePollAndSendsToAddressZero)
{
    link.setRegister(kWindowStation, 201, 0x0100);
    pollAll();
    window.SetControlType(ControlType::Broadcast);
    const KeypadWindow::View& view = window.view();
    EXPECT_FALSE(view.extEnabled);
    EXPECT_TRUE(view.runEnabled);
    EXPECT_TRUE(view.speedEnabled);
    EXPECT_EQ(view.controlWord1, "----");
    link.clearCalls();
    EXPECT_EQ(window.Tick(), 100);
    EXPECT_TRUE(link.calls().empty());

    window.Press(Button::Fwd);
    ASSERT_EQ(link.calls().size(), 1u);
    EXPECT_EQ(link.calls()[0].station, 0);
    EXPECT_EQ(link.calls()[0].value, 0x0105);
    EXPECT_EQ(window.view().result, "0000");

    window.SetControlType(ControlType::Standard);
    EXPECT_TRUE(window.view().extEnabled);
    window.Tick();
    EXPECT_NE(window.view().controlWord1, "----");
}

TEST_F(MerlinKeypadWindow, WithoutAStationOnlyBroadcastCanSend)
{
    KeypadWindow none(link, 0);
    EXPECT_EQ(none.view().title, "Keypad Controls - Addr. :--");
    EXPECT_FALSE(none.view().runEnabled);
    EXPECT_FALSE(none.view().speedEnabled);
    link.clearCalls();
    none.Tick();
    EXPECT_TRUE(link.calls().empty());
    none.SetControlType(ControlType::Broadcast);
    EXPECT_TRUE(none.view().runEnabled);
}
