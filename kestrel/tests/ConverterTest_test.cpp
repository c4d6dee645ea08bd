// The "Converter Test" service dialog's logic against a simulated drive.
#include "SioLineFixture.h"

#include <kestrel/core/CConverterTest.h>
#include <kestrel/core/CKeypadControl.h>

namespace kestrel::testing {
namespace {

using CT = CConverterTest;

class ConverterTestTest : public SioLineFixture {
protected:
    CT::Fields fields(const char* device, const char* parameter)
    {
        CT::Fields f = test->view().fields;
        f.device = device;
        f.parameter = parameter;
        return f;
    }
    // The test ends (and closes its port) before the line and its telegram
    // object go, whichever of the two is replaced or torn down first.
    void open(const char* drives = "1:1808")
    {
        test.reset();
        startLine(drives);
        test = std::make_unique<CT>(*telegram);
    }
    void TearDown() override
    {
        test.reset();
        SioLineFixture::TearDown();
    }
    std::unique_ptr<CT> test;
};

TEST_F(ConverterTestTest, OneShotReadShowsRequestAndReplyInDisplayForm)
{
    open();
    EXPECT_EQ(telegram->repeat(), 1);
    ASSERT_EQ(test->SetFields(fields("1", "0006")), std::nullopt);
    ASSERT_TRUE(test->OneShot());
    EXPECT_EQ(test->lastRequest(), std::string("\x04!U0006\x05"));
    const std::string value = platform::strFormat("%.4X", driveValue(1, 0x0006));
    EXPECT_NE(test->view().receive.find("[STX]U0006" + value + "[ETX]"), std::string::npos) << test->view().receive;
    EXPECT_EQ(state().currentAddress, "01");

    // Button "00AC" reads the error register whatever the parameter field says.
    ASSERT_TRUE(test->ReadErrorRegister());
    EXPECT_NE(test->view().receive.find("[STX]U00AC"), std::string::npos);
}

TEST_F(ConverterTestTest, WriteModeWritesTheValueField)
{
    open();
    CT::Fields f = fields("1", "0031");
    f.writeMode = true;
    f.value = "0003";
    ASSERT_EQ(test->SetFields(f), std::nullopt);
    EXPECT_TRUE(test->view().valueVisible);
    ASSERT_TRUE(test->OneShot());
    EXPECT_EQ(test->view().receive, "[ACK]");
    EXPECT_EQ(driveValue(1, 0x0031), 3);
}

TEST_F(ConverterTestTest, FieldsOutOfRangeAreRefusedAndNothingIsTaken)
{
    open();
    struct Case { const char* device; const char* tRts; const char* value; const char* text; };
    const Case cases[] = {
        {"100", "30", "0", "Please enter an integer between 0 and 99."},
        {"x", "30", "0", "Please enter an integer between 0 and 99."},
        {"1", "0", "0", "Please enter an integer between 1 and 10000."},
        {"1", "30", "00001", "Please enter no more than 4 characters."},
    };
    for (const Case& c : cases) {
        CT::Fields f = fields(c.device, "0006");
        f.tRts = c.tRts;
        f.value = c.value;
        const auto n = test->SetFields(f);
        ASSERT_TRUE(n) << c.device;
        EXPECT_EQ(n->text, c.text);
        EXPECT_EQ(test->view().fields.device, "0");
    }
}

TEST_F(ConverterTestTest, StopOnErrorHaltsCyclicSendingUntilReset)
{
    open();
    CT::Fields f = fields("1", "0006");
    f.stopOnError = true;
    f.tCycle = "20";
    ASSERT_EQ(test->SetFields(f), std::nullopt);
    EXPECT_EQ(test->Start(), 20);
    EXPECT_EQ(test->view().startText, "Stop");
    EXPECT_FALSE(test->view().oneShotEnabled);
    test->Tick();
    EXPECT_FALSE(test->view().stoppedByError);
    bus->addFault(*sim::SioFault::parse("silent:1"));
    test->Tick();
    EXPECT_TRUE(test->view().stoppedByError);
    EXPECT_EQ(test->view().startText, "Stop");
    const int sent = bus->telegrams();
    test->Tick();
    test->Tick();
    EXPECT_EQ(bus->telegrams(), sent);
    test->Reset();
    test->Tick();
    EXPECT_GT(bus->telegrams(), sent);
    test->Stop();
    EXPECT_EQ(test->view().startText, "Start");
    EXPECT_TRUE(test->view().oneShotEnabled);
}

TEST_F(ConverterTestTest, LineErrorsLightTheIndicatorsUntilReset)
{
    open();
    ASSERT_EQ(test->SetFields(fields("1", "0006")), std::nullopt);
    telegram->OnComm(comEventBreak);
    test->OneShot();
    EXPECT_EQ(test->view().breakIcon, CT::kIconLit);
    EXPECT_EQ(test->view().frameIcon, CT::kIconOff);
    telegram->OnComm(comEventFrame);
    test->OneShot();
    EXPECT_EQ(test->view().frameIcon, CT::kIconLit);
    test->Reset();
    EXPECT_EQ(test->view().breakIcon, CT::kIconOff);
    EXPECT_EQ(telegram->LineErrors(), 0u);
    test->OneShot();
    EXPECT_EQ(test->view().breakIcon, CT::kIconOff);
}

// While the dialog is open it owns the line: a keypad poll leaves the port
// alone. End hands it back and keeps the times as the program's settings.
TEST_F(ConverterTestTest, EndKeepsTheTimesAndHandsTheLineBack)
{
    open();
    state().currentAddress = "1";
    state().noDevice = false;
    CKeypadControl keypad(*telegram);
    CT::Fields f = fields("1", "0006");
    f.tRts = "2";
    f.tWait = "12";
    f.tCycle = "250";
    ASSERT_EQ(test->SetFields(f), std::nullopt);
    ASSERT_TRUE(test->OneShot());
    EXPECT_EQ(state().settings.tWait, 12);
    const int sent = bus->telegrams();
    keypad.Tick(true);
    EXPECT_EQ(bus->telegrams(), sent);
    EXPECT_TRUE(telegram->control().GetPortOpen());
    test->End();
    EXPECT_EQ(state().settings.tRts, 2);
    EXPECT_EQ(state().settings.tCycle, 250);
    EXPECT_EQ(telegram->repeat(), state().settings.repeat);
    expectLineFree();
}

// The window's commands: fields are taken before a command sends, a field out
// of range stops it there, Start/Stop toggles, End closes and hands back.
TEST_F(ConverterTestTest, CommandsTakeTheFieldsAndTellTheWindowWhatToDo)
{
    open();
    CT::Fields f = fields("1", "0006");
    f.tCycle = "40";
    const int sent = bus->telegrams();
    CT::Fields bad = f;
    bad.device = "100";
    const CT::Reaction refused = test->Press(CT::Command::OneShot, bad);
    ASSERT_TRUE(refused.notice);
    EXPECT_EQ(refused.notice->text, "Please enter an integer between 0 and 99.");
    EXPECT_EQ(bus->telegrams(), sent);

    EXPECT_FALSE(test->Press(CT::Command::OneShot, f).notice);
    EXPECT_EQ(test->lastRequest(), std::string("\x04!U0006\x05"));
    EXPECT_FALSE(test->Press(CT::Command::ReadErrorRegister, f).notice);
    EXPECT_EQ(test->lastRequest(), std::string("\x04!U00AC\x05"));

    const CT::Reaction started = test->Press(CT::Command::StartStop, f);
    EXPECT_EQ(started.startTimerMs, 40);
    EXPECT_TRUE(test->view().running);
    // While running the edits are read-only: Stop does not take them again.
    const CT::Reaction stopped = test->Press(CT::Command::StartStop, bad);
    EXPECT_FALSE(stopped.notice);
    EXPECT_TRUE(stopped.stopTimer);
    EXPECT_FALSE(test->view().running);

    test->Press(CT::Command::WriteMode, f);
    EXPECT_TRUE(test->view().valueVisible);
    test->Press(CT::Command::ReadMode, f);
    EXPECT_FALSE(test->view().valueVisible);

    f.tCycle = "321";
    const CT::Reaction end = test->Press(CT::Command::End, f);
    EXPECT_TRUE(end.close);
    EXPECT_TRUE(test->ended());
    EXPECT_EQ(state().settings.tCycle, 321);
    expectLineFree();
}

}  // namespace
}  // namespace kestrel::testing
