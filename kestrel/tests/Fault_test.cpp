// Fault texts and the fault history collected from a simulated drive.
#include "SioLineFixture.h"

#include <kestrel/core/FaultHistory.h>

namespace kestrel::testing {
namespace {

TEST(FaultText, TableEdgesAndTypes)
{
    EXPECT_EQ(FaultText(0).shortName, "Local Stop");
    EXPECT_EQ(FaultText(10).shortName, "Reserved");
    EXPECT_EQ(FaultText(10).cause, "");
    EXPECT_EQ(FaultText(16).cause, "Heat sink temperature has been reached (70 deg. C)");
    EXPECT_EQ(FaultText(31).shortName, "Min.excitation");
    EXPECT_EQ(FaultText(32).shortName, "");
    EXPECT_EQ(FaultText(-1).cause, "");
    EXPECT_EQ(FaultType("15"), "Failure");
    EXPECT_EQ(FaultType("16"), "Warning");
    EXPECT_EQ(FaultType(""), "Failure");
}

class FaultHistoryTest : public SioLineFixture {};

TEST_F(FaultHistoryTest, FiveNewestFaultsWithTheirTexts)
{
    startLine("4:1808");
    for (int code : {3, 10, 27, 0, 16}) bus->trip(4, static_cast<uint16_t>(code));
    state().currentAddress = "4";
    const FaultCollection c = CollectFaultHistory(*telegram);
    EXPECT_TRUE(c.collected);
    EXPECT_FALSE(state().operationInProgress);
    const auto rows = faultHistoryRows();
    EXPECT_EQ(rows[0], (FaultRow{"16", "Overtemperature", "Heat sink temperature has been reached (70 deg. C)", "Warning"}));
    EXPECT_EQ(rows[1], (FaultRow{"0", "Local Stop", "Keypad STOP button has been pushed in the remote mode", "Failure"}));
    EXPECT_EQ(rows[3], (FaultRow{"10", "Reserved", "", "Failure"}));
    EXPECT_EQ(rows[4][0], "3");
    EXPECT_EQ(faultHeaderRow(), (FaultRow{"FAULT NO.", "MESSAGE", "CAUSE", "TYPE"}));
    EXPECT_EQ(faultDialogTitle("4"), "Recent Failures : 4");
}

TEST_F(FaultHistoryTest, UnreadableOrImpossibleCodesKeepTheOldEntry)
{
    startLine("4:1808");
    state().currentAddress = "4";
    state().faults.number[2] = "7";
    state().faults.shortName[2] = "Net Voltage";
    bus->withDrive(4, [](sim::SioDrive& d) {
        d.setValue(0x000B, 0x0010);
        d.setValue(0x000D, 0x0020);  // 32: no such fault
    });
    const int before = bus->telegrams();
    CollectFaultHistory(*telegram);
    EXPECT_EQ(state().faults.number[0], "16");
    EXPECT_EQ(state().faults.number[2], "7");
    EXPECT_EQ(state().faults.shortName[2], "Net Voltage");
    EXPECT_EQ(bus->telegrams() - before, 4 + 5);  // the bad one five times

    bus->addFault(*sim::SioFault::parse("silent"));
    state().faults.number[0] = "1";
    CollectFaultHistory(*telegram);
    EXPECT_EQ(state().faults.number[0], "1");
}

TEST_F(FaultHistoryTest, PortLeadingToAnotherDeviceReadsNothing)
{
    startLine("4:1808");
    state().portTestResult = 1;
    const int before = bus->telegrams();
    const FaultCollection c = CollectFaultHistory(*telegram);
    EXPECT_FALSE(c.collected);
    ASSERT_TRUE(c.notice);
    EXPECT_EQ(c.notice->text, "The selected port may be connected to different device. Try selecting another port.");
    EXPECT_EQ(bus->telegrams(), before);
}

}  // namespace
}  // namespace kestrel::testing
