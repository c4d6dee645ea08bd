// The keypad control logic against a simulated drive.
#include "SioLineFixture.h"

#include <kestrel/core/CKeypadControl.h>
#include <kestrel/core/ExaminationModel.h>
#include <kestrel/core/FaultHistory.h>

namespace kestrel::testing {
namespace {

using platform::MsgIcon;
using K = CKeypadControl;

class KeypadTest : public SioLineFixture {
protected:
    void open(const char* drives = "1:1808")
    {
        startLine(drives);
        state().currentAddress = "1";
        state().noDevice = false;
        state().deviceTitle = "ADDR=01\"Mixer\"";
        keypad = std::make_unique<K>(*telegram);
        std::vector<platform::Notice> notices;
        ASSERT_TRUE(keypad->Open(notices));
        openNotices = notices;
    }
    uint16_t status()
    {
        uint16_t w = 0;
        bus->withDrive(1, [&](sim::SioDrive& d) { w = d.statusWord(); });
        return w;
    }
    std::unique_ptr<K> keypad;
    std::vector<platform::Notice> openNotices;
};

TEST(KeypadSetpoint, EncodingAndLimits)
{
    struct Case { double hundredths; const char* text; const char* refusal; };
    const Case cases[] = {
        {-1250.0, "003AFB1E", nullptr},
        {5000.0, "003A1388", nullptr},
        {0.0, "003A0000", nullptr},
        {32500.0, "003A7EF4", nullptr},
        {-32500.0, "003A810C", nullptr},
        {1234.4, "003A04D2", nullptr},
        {32501.0, "", "Value exceeds upper limit"},
        {-32501.0, "", "Value is below lower limit"},
    };
    for (const Case& c : cases) {
        std::optional<platform::Notice> refusal;
        EXPECT_EQ(K::setpointTelegram(c.hundredths, refusal), c.text) << c.hundredths;
        EXPECT_EQ(refusal.has_value(), c.refusal != nullptr);
        if (refusal) {
            EXPECT_EQ(refusal->text, c.refusal);
        }
    }
    EXPECT_EQ(K::errorRegisterText(0x80), "Value range exceeded !");
    EXPECT_EQ(K::errorRegisterText(0x03), "Unknown error occured !");
}

TEST_F(KeypadTest, OpeningReadsStateAndSource)
{
    open();
    EXPECT_TRUE(openNotices.empty());
    EXPECT_EQ(keypad->view().title, "Keypad Controls - Addr. : 1 -- ADDR=01\"Mixer\"");
    EXPECT_EQ(keypad->view().p31Text, "1");
    EXPECT_EQ(state().deviceStatus[1], '1');
    EXPECT_EQ(state().windowPresence[1], '3');
    EXPECT_FALSE(state().operationInProgress);
    keypad->Tick(true);
    EXPECT_EQ(keypad->view().statusLine, "STOP");
    EXPECT_EQ(keypad->view().stopIcon, K::kStopLit);
}

TEST_F(KeypadTest, DriveNotInSioModeIsReportedAndRefusesRunCommands)
{
    startLine("1:1808");
    bus->withDrive(1, [](sim::SioDrive& d) { d.setSioControl(false); });
    state().currentAddress = "1";
    state().noDevice = false;
    K k(*telegram);
    std::vector<platform::Notice> notices;
    ASSERT_TRUE(k.Open(notices));
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], (platform::Notice{K::kNotSioText, MsgIcon::Information}));
    EXPECT_EQ(state().deviceStatus[1], 'B');
    const auto refused = k.Run(K::Fwd);
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].text, K::kNotSioText);
    EXPECT_EQ(k.DownloadSetpoint()[0].text, "Invalid SIO mode !");
    k.Tick(true);
    EXPECT_EQ(k.view().statusLine, "STOP  --  Not in SIO mode");
}

TEST_F(KeypadTest, RunCommandsChangeTheDriveAndThePollShowsIt)
{
    open();
    EXPECT_TRUE(keypad->Run(K::Fwd).empty());
    EXPECT_EQ(status() & 0x0004, 0x0004);
    keypad->Tick(true);
    EXPECT_EQ(keypad->view().statusLine, "Running in FWD");
    EXPECT_EQ(keypad->view().fwdIcon, K::kFwdLit);
    EXPECT_TRUE(keypad->running());

    keypad->Run(K::Rev);
    keypad->Tick(true);
    EXPECT_EQ(keypad->view().statusLine, "Running in REV");
    EXPECT_EQ(keypad->view().revIcon, K::kRevLit);

    keypad->Run(K::Stop);
    keypad->Tick(true);
    EXPECT_EQ(keypad->view().statusLine, "STOP");
    EXPECT_FALSE(keypad->running());
}

TEST_F(KeypadTest, CommandWhileTheLineIsHeldRunsOnTheNextTick)
{
    open();
    state().operationInProgress = true;
    keypad->Run(K::Fwd);
    EXPECT_EQ(keypad->pendingCommand(), K::Fwd);
    EXPECT_FALSE(status() & 0x0004);
    state().operationInProgress = false;
    keypad->Tick(true);
    EXPECT_EQ(keypad->pendingCommand(), K::None);
    EXPECT_TRUE(status() & 0x0004);
}

TEST_F(KeypadTest, InactiveWindowSendsNothing)
{
    open();
    const int before = bus->telegrams();
    keypad->Tick(false);
    EXPECT_EQ(keypad->view().statusLine, "Scanning OFF");
    EXPECT_EQ(bus->telegrams(), before);
}

TEST_F(KeypadTest, FaultIsShownAndResetByErrorReset)
{
    open();
    bus->trip(1, 3);
    keypad->Tick(true);
    EXPECT_EQ(keypad->view().statusLine, "ERROR");
    EXPECT_TRUE(keypad->view().errorResetEnabled);
    keypad->ErrorReset();
    keypad->Tick(true);
    EXPECT_EQ(keypad->view().statusLine, "STOP");
    EXPECT_FALSE(keypad->view().errorResetEnabled);
}

TEST_F(KeypadTest, SioSourceAndSetpointReachTheDrive)
{
    open();
    bus->withDrive(1, [](sim::SioDrive& d) { d.setValue(0x003A, 0x04E2); });  // 12.50 Hz
    EXPECT_TRUE(keypad->SelectSioSource().empty());
    EXPECT_EQ(driveValue(1, 0x0031), 0x000B);
    EXPECT_EQ(keypad->view().setpointText, "12.00");
    EXPECT_TRUE(keypad->view().downloadEnabled);
    keypad->SetSetpoint(-12.5f);
    keypad->Increment();
    EXPECT_EQ(keypad->view().setpointText, "-11.50");
    EXPECT_TRUE(keypad->DownloadSetpoint().empty());
    EXPECT_EQ(driveValue(1, 0x003A), 0xFB82);

    keypad->Run(K::Fwd);
    keypad->Tick(true);
    const auto refused = keypad->SelectInitialSource();
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].text, "You cannot change the Setpoint while the unit is in running condition !");
    keypad->Run(K::Stop);
    keypad->Tick(true);
    EXPECT_TRUE(keypad->SelectInitialSource().empty());
    EXPECT_EQ(driveValue(1, 0x0031), 1);
    EXPECT_FALSE(keypad->view().downloadEnabled);
}

TEST_F(KeypadTest, RefusedSetpointNamesTheReason)
{
    open();
    keypad->SelectSioSource();
    bus->withDrive(1, [](sim::SioDrive& d) { d.setSioControl(false); });
    keypad->SetSetpoint(10.0f);
    const auto notices = keypad->DownloadSetpoint();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], (platform::Notice{"ERROR :\n\nInvalid SIO mode !", MsgIcon::Stop}));
    keypad->SetSetpoint(400.0f);
    EXPECT_EQ(keypad->DownloadSetpoint()[0].text, "Value exceeds upper limit");
}

TEST_F(KeypadTest, CloseIsRefusedWhileTheDriveRuns)
{
    open();
    state().windowPresence[1] = '2';
    keypad->Run(K::Fwd);
    keypad->RequestClose();
    auto r = keypad->Tick(true);
    EXPECT_FALSE(r.destroy);
    ASSERT_EQ(r.notices.size(), 1u);
    EXPECT_EQ(r.notices[0].text, "The selected device is not in STOP state! You cannot close this window.");
    keypad->Run(K::Stop);
    keypad->RequestClose();
    r = keypad->Tick(true);
    EXPECT_TRUE(r.destroy);
    EXPECT_TRUE(r.notices.empty());
    EXPECT_EQ(state().windowPresence[1], '1');
}

TEST_F(KeypadTest, CloseOfASilentDriveIsAllowedWithANotice)
{
    open();
    bus->addFault(*sim::SioFault::parse("silent"));
    keypad->RequestClose();
    const auto r = keypad->Tick(true);
    EXPECT_TRUE(r.destroy);
    ASSERT_EQ(r.notices.size(), 1u);
    EXPECT_EQ(r.notices[0].text, "The software was not able to know the current status of the selected unit.");
    EXPECT_EQ(state().windowPresence[1], '0');
}

TEST_F(KeypadTest, SilentDriveShowsCommunicationErrorAndKeepsTheButtons)
{
    open();
    keypad->Run(K::Fwd);
    keypad->Tick(true);
    bus->addFault(*sim::SioFault::parse("silent"));
    keypad->Tick(true);
    EXPECT_EQ(keypad->view().statusLine, "Communication Error !");
    EXPECT_EQ(keypad->view().fwdIcon, K::kFwdLit);
    EXPECT_TRUE(keypad->running());
    EXPECT_FALSE(state().operationInProgress);
}

// The field shows whole hertz of the drive's 003A; only values above 0x8000
// are negative.
TEST(KeypadSetpoint, FieldTextOfTheDrivesSetpoint)
{
    const std::pair<uint16_t, const char*> cases[] = {
        {0x04E2, "12.00"}, {0x04B0, "12.00"}, {0x0063, "0.00"},     {0x7EF4, "325.00"},
        {0x8000, "327.00"}, {0x8001, "-327.00"}, {0xFB1E, "-12.00"}, {0xFFCE, "0.00"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(K::setpointFieldText(value), text) << std::hex << value;
}

TEST_F(KeypadTest, SioSourceShowsTheDrivesSetpointInWholeHertz)
{
    open();
    bus->withDrive(1, [](sim::SioDrive& d) { d.setValue(0x003A, 0x8000); });
    keypad->SelectSioSource();
    EXPECT_EQ(keypad->view().setpointText, "327.00");
    EXPECT_EQ(keypad->DownloadSetpoint()[0].text, "Value exceeds upper limit");
    bus->withDrive(1, [](sim::SioDrive& d) { d.setValue(0x003A, 0xFB1E); });
    keypad->SelectSioSource();
    EXPECT_EQ(keypad->view().setpointText, "-12.00");
    // What the field shows is what goes to the drive.
    EXPECT_TRUE(keypad->DownloadSetpoint().empty());
    EXPECT_EQ(driveValue(1, 0x003A), 0xFB50);
}

// A setpoint typed wrong never reaches the drive: not as 0 Hz, not at all.
TEST_F(KeypadTest, SetpointTextThatIsNoNumberIsRefusedAndNothingIsSent)
{
    open();
    keypad->SelectSioSource();
    keypad->SetSetpoint(20.0f);
    ASSERT_TRUE(keypad->DownloadSetpoint().empty());
    ASSERT_EQ(driveValue(1, 0x003A), 2000);
    for (const char* typo : {"12,5", "abc", "", "  ", "1 2", "12.5.1", "--1", "+", ".", "0x10", "1e3", "nan", "inf",
                             "12.5Hz", "99999999999999999999"}) {
        keypad->SetSetpointText(typo);
        const int before = bus->telegrams();
        const auto refused = keypad->DownloadSetpoint();
        ASSERT_EQ(refused.size(), 1u) << typo;
        EXPECT_EQ(refused[0], (platform::Notice{K::kValueError, MsgIcon::Exclamation})) << typo;
        EXPECT_EQ(bus->telegrams(), before) << typo;
        EXPECT_EQ(keypad->pendingCommand(), K::None) << typo;
        // The field goes back to the setpoint it had.
        EXPECT_EQ(keypad->view().setpointText, "20.00") << typo;
        keypad->SetSetpointText(typo);
        EXPECT_EQ(keypad->Increment().size(), 1u) << typo;
        keypad->SetSetpointText(typo);
        EXPECT_EQ(keypad->Decrement().size(), 1u) << typo;
        EXPECT_EQ(keypad->view().setpointText, "20.00") << typo;
    }
    EXPECT_EQ(driveValue(1, 0x003A), 2000);

    const std::pair<const char*, uint16_t> good[] = {{" -12.5 ", 0xFB1E}, {"+7", 700}, {"0.25", 25}, {"5.", 500}};
    for (const auto& [text, wire] : good) {
        keypad->SetSetpointText(text);
        EXPECT_TRUE(keypad->DownloadSetpoint().empty()) << text;
        EXPECT_EQ(driveValue(1, 0x003A), wire) << text;
    }
    keypad->SetSetpointText("325.01");
    EXPECT_EQ(keypad->DownloadSetpoint()[0].text, "Value exceeds upper limit");
    keypad->SetSetpointText("12.5");
    EXPECT_TRUE(keypad->Increment().empty());
    EXPECT_EQ(keypad->view().setpointText, "13.50");
}

// A typed setpoint held back by a busy line goes out with the next tick.
TEST_F(KeypadTest, SetpointTypedWhileTheLineIsHeldIsSentOnTheNextTick)
{
    open();
    keypad->SelectSioSource();
    state().operationInProgress = true;
    keypad->SetSetpointText("33.3");
    EXPECT_TRUE(keypad->DownloadSetpoint().empty());
    EXPECT_EQ(keypad->pendingCommand(), K::Download);
    state().operationInProgress = false;
    EXPECT_TRUE(keypad->Tick(true).notices.empty());
    EXPECT_EQ(driveValue(1, 0x003A), 3330);
}

// The drive clears its error register when it is read: the reason is the
// value read before the register went back to 0000, and a refusal without
// a reason still says that the setpoint was not taken.
TEST_F(KeypadTest, RefusedSetpointIsReportedEvenWithoutAReason)
{
    open();
    keypad->SelectSioSource();
    bus->withDrive(1, [](sim::SioDrive& d) { d.setSioControl(false); });
    keypad->SetSetpointText("10");
    auto notices = keypad->DownloadSetpoint();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].text, "ERROR :\n\nInvalid SIO mode !");
    bus->withDrive(1, [](sim::SioDrive& d) { EXPECT_EQ(d.errorRegister(), 0); });

    bus->withDrive(1, [](sim::SioDrive& d) { d.setSioControl(true); });
    bus->addFault(*sim::SioFault::parse("silent"));
    notices = keypad->DownloadSetpoint();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0], (platform::Notice{"ERROR :\n\nUnknown error occured !", MsgIcon::Stop}));
    EXPECT_FALSE(state().operationInProgress);
}

TEST_F(KeypadTest, OpeningNeedsAPortThatLeadsToTheseDrives)
{
    startLine();
    state().windowPresence[1] = '0';
    EXPECT_EQ(K::OpenCheck("1"), std::nullopt);
    state().portTestResult = 1;
    const auto refused = K::OpenCheck("1");
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->text, kOtherDeviceText);
    state().portTestResult = 2;
    EXPECT_EQ(K::OpenCheck("1"), std::nullopt);
    state().windowPresence[1] = '2';
    EXPECT_EQ(K::OpenCheck("1")->text, "Control window for this device already exists !");
    EXPECT_EQ(K::OpenCheck("")->text, "No inverter selected.");
}

}  // namespace
}  // namespace kestrel::testing
