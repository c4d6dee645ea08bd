// The line as the online windows use it: the list's link, keypad windows
// and the fault history each keep to their own drive, whichever drive
// another window selected last; and the end messages of stepped runs.
#include "SioLineFixture.h"

#include <kestrel/core/CKeypadControl.h>
#include <kestrel/core/CNetworkExamination.h>
#include <kestrel/core/EndCodes.h>
#include <kestrel/core/FaultHistoryModel.h>
#include <kestrel/core/TelegramLink.h>

namespace kestrel::testing {
namespace {

using platform::MsgIcon;

class OnlineLineTest : public SioLineFixture {};

TEST(EndCodes, EveryEndHasItsMessage)
{
    struct Case { int code; const char* text; };
    const Case cases[] = {
        {kEndDone, nullptr},
        {kEndStopped, nullptr},
        {kEndNoLine, "Possible loss of power or no connection to the converter !"},
        {kEndNoAnswer, "Failed to establish connection with the selected device !"},
        {kEndNoTimer, "Internal timer not available !"},
        {kEndAborted, "Progress was aborted by the user !"},
        {kEndWorkFile, "Unknown error !"},
        {42, "Unknown error !"},
    };
    for (const Case& c : cases) {
        const auto n = endCodeMessage(c.code);
        EXPECT_EQ(n.has_value(), c.text != nullptr) << c.code;
        if (n && c.text) {
            EXPECT_EQ(n->text, c.text);
        }
    }
    EXPECT_EQ(CNetworkExamination::endCode(CNetworkExamination::PortError), kEndPortError);
    EXPECT_EQ(CNetworkExamination::endCode(CNetworkExamination::Done), kEndDone);
}

TEST_F(OnlineLineTest, LinkReadsAndWritesItsOwnDriveAndAlwaysFreesTheLine)
{
    startLine("1:1808,2:1808");
    TelegramLink link(*telegram, "2");
    state().currentAddress = "1";  // another window's drive
    ASSERT_TRUE(link.write("00310005"));
    EXPECT_EQ(driveValue(2, 0x0031), 5);
    EXPECT_NE(driveValue(1, 0x0031), 5);
    const auto r = link.read("0031");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->value, "0005");
    EXPECT_EQ(r->number, "0031");
    expectLineFree();

    // A changed-parameter query names the parameter the drive reports.
    bus->keypadChange(2, 0x0042, 0x0007);
    const auto changed = link.read("FFFC");
    ASSERT_TRUE(changed);
    EXPECT_EQ(changed->number, "0042");

    // The operation flag is the caller's: the link reports it and leaves it.
    state().operationInProgress = true;
    EXPECT_TRUE(link.busy());
    EXPECT_TRUE(link.read("0031"));
    EXPECT_TRUE(state().operationInProgress);
    state().operationInProgress = false;
    EXPECT_FALSE(link.busy());

    bus->addFault(*sim::SioFault::parse("silent@2"));
    EXPECT_FALSE(link.read("0031"));
    EXPECT_FALSE(link.write("00310006"));
    expectLineFree();
}

TEST_F(OnlineLineTest, KeypadKeepsToItsDriveWhenAnotherIsSelected)
{
    startLine("1:1808,2:1808");
    state().noDevice = false;
    state().currentAddress = "2";
    CKeypadControl keypad(*telegram);
    std::vector<platform::Notice> notices;
    ASSERT_TRUE(keypad.Open(notices));
    state().currentAddress = "1";
    EXPECT_TRUE(keypad.Run(CKeypadControl::Fwd).empty());
    bool running1 = true, running2 = false;
    bus->withDrive(1, [&](sim::SioDrive& d) { running1 = d.running(); });
    bus->withDrive(2, [&](sim::SioDrive& d) { running2 = d.running(); });
    EXPECT_FALSE(running1);
    EXPECT_TRUE(running2);
    state().currentAddress = "1";
    keypad.Tick(true);
    EXPECT_EQ(keypad.view().statusLine, "Running in FWD");
    EXPECT_EQ(state().deviceStatus[2], '5');
    EXPECT_EQ(state().deviceStatus[1], '0');  // never polled

    EXPECT_EQ(CKeypadControl::OpenCheck("2")->text, "Control window for this device already exists !");
    EXPECT_EQ(CKeypadControl::OpenCheck("1"), std::nullopt);
    state().windowPresence[1] = '1';
    EXPECT_EQ(CKeypadControl::OpenCheck("1"), std::nullopt);  // a list window only
}

TEST_F(OnlineLineTest, FaultHistoryReadsTheListsDriveAfterItsWarning)
{
    startLine("1:1808,4:1808");
    bus->trip(4, 16);
    bus->trip(1, 3);
    state().currentAddress = "1";
    FaultHistoryModel model(*telegram, "4");
    const auto begin = model.Start();
    EXPECT_TRUE(begin.goOn);
    EXPECT_EQ(begin.notice.text, "This will take a few seconds !");
    EXPECT_EQ(model.view().statusPane, "Collecting Fault History data.... ");
    model.Collect();
    EXPECT_EQ(model.view().title, "Recent Failures : 4");
    EXPECT_EQ(model.view().rows[0],
              (FaultRow{"16", "Overtemperature", "Heat sink temperature has been reached (70 deg. C)", "Warning"}));
    EXPECT_EQ(model.view().statusPane, "Ready");
    expectLineFree();

    state().portTestResult = 1;
    FaultHistoryModel refused(*telegram, "4");
    const auto no = refused.Start();
    EXPECT_FALSE(no.goOn);
    EXPECT_EQ(no.notice.text, kOtherDeviceText);
}

}  // namespace
}  // namespace kestrel::testing
