#include <merlin/testing/CFakeLink.h>
#include <merlin/core/CNetworkExamination.h>

#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

using namespace merlin;
using platform::testing::TempDir;

namespace {

void addDrive(CFakeLink& link, int station, uint16_t type, uint16_t app, uint16_t version)
{
    link.setRegister(station, 998, type);
    link.setRegister(station, 997, app);
    link.setRegister(station, 996, version);
    link.setRegister(station, 999, 1);
}

struct MerlinExamine : ::testing::Test {
    int runToEnd(CNetworkExamination& exam)
    {
        exam.start();
        int result = 1;
        int steps = 0;
        while ((result = exam.step()) == 1)
            ++steps;
        stepsTaken = steps + 1;
        return result;
    }
    TempDir dir;
    CFakeLink link;
    CDeviceTable table;
    std::vector<std::string> log;
    int stepsTaken = 0;
};

}  // namespace

TEST_F(MerlinExamine, FindsDrivesOnAll32StationsAndStoresTheTable)
{
    addDrive(link, 5, 8, 1, 3);
    addDrive(link, 32, 6, 0, 2);
    CNetworkExamination exam(link, table, dir.path(), [&](const std::string& l) { log.push_back(l); });
    EXPECT_EQ(runToEnd(exam), kEndDone);
    EXPECT_EQ(stepsTaken, 32);
    EXPECT_EQ(exam.examined(), 32);
    EXPECT_EQ(link.openTimeoutMs(), 200u);
    EXPECT_TRUE(exam.finish(kEndDone).empty());
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(log, (std::vector<std::string>{"EXAM NETWORK - START", "EXAM NETWORK - END"}));

    CDeviceTable stored;
    ASSERT_TRUE(stored.load(dir.path()));
    const auto rows = stored.presentRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].station, 5);
    EXPECT_EQ(rows[0].deviceType, "LM3");
    EXPECT_EQ(rows[0].name, "NEW");
    EXPECT_EQ(rows[0].application, "Normal V3");
    EXPECT_EQ(rows[1].station, 32);
}

TEST_F(MerlinExamine, DeviceTypeIsAskedOnceThenRetriesAreRestored)
{
    addDrive(link, 1, 8, 1, 3);
    CNetworkExamination exam(link, table, dir.path());
    exam.start();
    exam.step();
    ASSERT_EQ(link.calls().size(), 4u);
    EXPECT_EQ(link.calls()[0].registerOffset, 998);
    EXPECT_EQ(link.calls()[0].retries, 1);
    EXPECT_EQ(link.calls()[1].retries, 3);
    EXPECT_EQ(link.calls()[3].registerOffset, 999);
}

TEST_F(MerlinExamine, ADriveMustAnswerAllFourRegisters)
{
    addDrive(link, 3, 8, 1, 3);
    link.setReadResult(3, 999, kLinkTimeout);
    addDrive(link, 4, 7, 2, 12);
    CNetworkExamination exam(link, table, dir.path());
    EXPECT_EQ(runToEnd(exam), kEndDone);
    EXPECT_FALSE(table.present(3));
    EXPECT_TRUE(table.present(4));
}

TEST_F(MerlinExamine, NamesSurviveAndAbsentDrivesLoseTheirFlag)
{
    table.setPresent(9, true);
    table.setName(5, "Conveyor");
    ASSERT_FALSE(table.save(dir.path()));
    CDeviceTable fresh;
    addDrive(link, 5, 8, 1, 3);
    CNetworkExamination exam(link, fresh, dir.path());
    runToEnd(exam);
    exam.finish(kEndDone);
    EXPECT_EQ(fresh.name(5), "Conveyor");
    EXPECT_FALSE(fresh.present(9));
}

TEST_F(MerlinExamine, BrokenLinkEndsTheSearchAndStillStoresTheTable)
{
    addDrive(link, 1, 8, 1, 3);
    link.setReadResult(2, 998, kLinkCallFailed);
    link.addStation(2);
    CNetworkExamination exam(link, table, dir.path());
    EXPECT_EQ(runToEnd(exam), kEndNoConnection);
    EXPECT_EQ(stepsTaken, 2);
    const auto messages = exam.finish(kEndNoConnection);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Possible loss of power or no connection to the converter !");
    CDeviceTable stored;
    ASSERT_TRUE(stored.load(dir.path()));
    EXPECT_TRUE(stored.present(1));
}

TEST_F(MerlinExamine, ClosedPortIsAPortError)
{
    CNetworkExamination exam(link, table, dir.path());
    exam.start();
    link.CloseLink();
    EXPECT_EQ(exam.step(), kEndPortError);
    const auto messages = exam.finish(kEndPortError);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text,
              "There was some error on the port.The network search could not be completed.\nPlease try again.");
}
