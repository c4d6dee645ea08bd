#include <merlin/core/LinkParameters.h>
#include <merlin/core/ModbusTestTool.h>
#include <merlin/testing/CFakeLink.h>

#include <gtest/gtest.h>

using namespace merlin;

TEST(MerlinModbusTest, ReadsBlocksWritesAndPollsWithResultCodes)
{
    CFakeLink link;
    link.addStation(1);
    link.setRegister(1, 25, 7);
    link.setRegister(1, 26, 0xFFFF);
    ModbusTestTool tool(link);
    ASSERT_TRUE(tool.open());
    tool.count = 2;
    tool.read();
    EXPECT_EQ(tool.values(), (std::vector<std::string>{"7", "65535"}));
    EXPECT_EQ(tool.resultText(), "     0 / 0000 (HEX)");

    tool.count = 3;  // the third register does not exist on the drive
    tool.read();
    EXPECT_EQ(tool.values(), (std::vector<std::string>{"7", "65535"}));
    EXPECT_EQ(tool.resultText(), " 33282 / 8202 (HEX)");

    tool.value = 99;
    tool.write();
    EXPECT_EQ(link.registerValue(1, 25), std::optional<uint16_t>(99));

    link.clearCalls();
    EXPECT_EQ(tool.tick(), 100);
    EXPECT_TRUE(link.calls().empty());  // polling off
    tool.polling = true;
    tool.periodMs = 250;
    tool.count = 1;
    EXPECT_EQ(tool.tick(), 250);
    EXPECT_EQ(link.calls().size(), 1u);

    tool.station = 9;  // nobody there
    tool.read();
    EXPECT_EQ(tool.resultText(), "   513 / 0201 (HEX)");
    tool.close();
    EXPECT_FALSE(link.isOpen());
}

TEST(MerlinModbusTest, ProgramParametersDefaultsRangesAndStore)
{
    EXPECT_EQ(LinkParameters::defaults(), (LinkParameters{3, 1000, 70, 0}));
    LinkSettings live;
    live.retries = 5;
    LinkParameters p = LinkParameters::from(live);
    EXPECT_EQ(p.repeats, 5);
    p.silentIntervalMs = 10001;
    EXPECT_FALSE(p.valid());
    p.silentIntervalMs = 0;
    p.requestDelayMs = 0;  // a request delay cannot be 0, the silent interval can
    EXPECT_FALSE(p.valid());
    p.requestDelayMs = 20;
    EXPECT_TRUE(p.valid());
    p.storeInto(live);
    EXPECT_EQ(live.requestDelayMs, 20u);
    EXPECT_EQ(live.retries, 5);
}
