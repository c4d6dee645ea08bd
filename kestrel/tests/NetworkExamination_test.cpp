// The network examination stepper against simulated drives.
#include "SioLineFixture.h"

#include <kestrel/core/CNetworkExamination.h>

namespace kestrel::testing {
namespace {

class NetworkExaminationTest : public SioLineFixture {
protected:
    int runToEnd(CNetworkExamination& exam, int& steps)
    {
        int r = exam.start();
        if (r != 0) return r;
        steps = 0;
        while ((r = exam.step()) == CNetworkExamination::GoOn) ++steps;
        return r == CNetworkExamination::Finished ? CNetworkExamination::Done : r;
    }
};

TEST_F(NetworkExaminationTest, FindsEveryDriveOnAllThirtyTwoAddresses)
{
    startLine("1:1808,5:1812,31:1808");
    CDeviceTable before;
    before.setName(5, "Pump 2");
    before.setPresent(9, true);  // gone since the last examination
    ASSERT_TRUE(before.save(CDeviceTable::defaultPath()));

    CNetworkExamination exam(*telegram);
    int steps = 0;
    const int r = runToEnd(exam, steps);
    EXPECT_EQ(r, CNetworkExamination::Done);
    EXPECT_EQ(steps, 32);
    EXPECT_EQ(exam.progress(), 32);
    EXPECT_TRUE(exam.finish(r).empty());
    EXPECT_FALSE(state().noDevice);
    EXPECT_FALSE(state().port.foregroundActive);

    CDeviceTable after;
    ASSERT_TRUE(after.load(CDeviceTable::defaultPath()));
    for (int a = 0; a < 32; ++a)
        EXPECT_EQ(after.present(a), a == 1 || a == 5 || a == 31) << a;
    EXPECT_EQ(after.name(1), "NEW");
    EXPECT_EQ(after.name(5), "Pump 2");
    EXPECT_EQ(after.ratedPower(1), driveValue(1, 0x00F1));
    EXPECT_EQ(after.ratedPower(31), driveValue(31, 0x00F1));
}

TEST_F(NetworkExaminationTest, NoDriveLeavesTheNoDeviceFlagSet)
{
    startLine("1:1808");
    bus->removeDrive(1);
    CNetworkExamination exam(*telegram);
    int steps = 0;
    EXPECT_EQ(runToEnd(exam, steps), CNetworkExamination::Done);
    exam.finish(CNetworkExamination::Done);
    EXPECT_TRUE(state().noDevice);
}

TEST_F(NetworkExaminationTest, DeadLineInRtsModeEndsAtOnceAndClearsEveryDrive)
{
    startLine("1:1808");  // nobody reports RTS back: not even an echo
    state().settings.rtsMode = true;
    CDeviceTable before;
    before.setPresent(1, true);
    before.setName(1, "Old");
    ASSERT_TRUE(before.save(CDeviceTable::defaultPath()));

    CNetworkExamination exam(*telegram);
    const int r = exam.start();
    EXPECT_EQ(r, CNetworkExamination::NoLine);
    const auto notices = exam.finish(r);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].text, "Possible loss of power or no connection to the converter !");
    EXPECT_EQ(notices[0].icon, platform::MsgIcon::Information);
    CDeviceTable after;
    ASSERT_TRUE(after.load(CDeviceTable::defaultPath()));
    EXPECT_FALSE(after.present(1));
    EXPECT_EQ(after.name(1), "Old");
}

TEST_F(NetworkExaminationTest, RtsModeWithEchoExaminesNormally)
{
    platform::MemoryLineOptions o;
    o.rtsCtsLoop = true;
    sim::SioRunnerOptions echo;
    echo.echo = true;
    startLine("2:1808", o, echo);
    state().settings.rtsMode = true;
    CNetworkExamination exam(*telegram);
    int steps = 0;
    EXPECT_EQ(runToEnd(exam, steps), CNetworkExamination::Done);
    EXPECT_TRUE(exam.table().present(2));
    EXPECT_FALSE(exam.table().present(3));
    exam.finish(CNetworkExamination::Done);
}

TEST_F(NetworkExaminationTest, PortErrorStopsWithItsMessage)
{
    startLine("1:1808");
    state().settings.commSettings = "N,8,1";
    CNetworkExamination exam(*telegram);
    ASSERT_EQ(exam.start(), 0);
    const int r = exam.step();
    EXPECT_EQ(r, CNetworkExamination::PortError);
    const auto notices = exam.finish(r);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].text,
              "There was some error on the port.The network search could not be completed.\nPlease try again.");
}

TEST_F(NetworkExaminationTest, TableThatCannotBeWrittenIsReported)
{
    startLine("1:1808");
    state().installDir = dir.path() + "/no-such-dir";
    CNetworkExamination exam(*telegram);
    const auto notices = exam.finish(CNetworkExamination::NoTimer);
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[0].text, "Internal timer not available !");
    EXPECT_EQ(notices[1].text, "'" + dir.path() + "/no-such-dir/netlist.cfg'\ncouldn't accessed !");
    EXPECT_EQ(exam.finish(42)[0].text, "Unknown error !");
}

}  // namespace
}  // namespace kestrel::testing
