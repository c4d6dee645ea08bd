// How a command line splits into options, their values and words.
#include <platform/CommandLine.h>

#include <gtest/gtest.h>

namespace platform {
namespace {

std::vector<CommandLineItem> split(std::vector<std::string> words)
{
    std::vector<char*> argv{const_cast<char*>("program")};
    for (auto& w : words)
        argv.push_back(w.data());
    return splitCommandLine(static_cast<int>(argv.size()), argv.data(), {"--port", "--baud", "--name"});
}

TEST(CommandLine, ValuesFollowOrAreJoinedWithEquals)
{
    const auto items = split({"--port", "/dev/ttyS0", "--baud=9600", "scan", "--json", "-h", "-", "7"});
    ASSERT_EQ(items.size(), 7u);
    EXPECT_EQ(items[0].name, "--port");
    EXPECT_EQ(items[0].value, "/dev/ttyS0");
    EXPECT_EQ(items[1].name, "--baud");
    EXPECT_EQ(items[1].value, "9600");
    EXPECT_EQ(items[2].name, "scan");
    EXPECT_FALSE(items[2].isOption());
    EXPECT_TRUE(items[3].isOption());
    EXPECT_FALSE(items[3].value);
    EXPECT_TRUE(items[4].isOption());
    EXPECT_FALSE(items[5].isOption());  // "-" is a word (standard input, say)
    EXPECT_EQ(items[6].name, "7");
}

TEST(CommandLine, EdgesOfValues)
{
    // Only the first '=' splits; an empty value is a value; a value may look like an option.
    auto items = split({"--name=a=b", "--port=", "--baud", "--json"});
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].value, "a=b");
    EXPECT_EQ(items[1].value, "");
    EXPECT_EQ(items[2].value, "--json");
    // A valued option at the end has no value; a flag or unknown option keeps its '=' part.
    items = split({"--force=1", "--bogus=x", "-p=1", "--baud"});
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].name, "--force=1");
    EXPECT_FALSE(items[0].value);
    EXPECT_EQ(items[1].name, "--bogus=x");
    EXPECT_EQ(items[2].name, "-p=1");
    EXPECT_EQ(items[3].name, "--baud");
    EXPECT_FALSE(items[3].value);
}

}  // namespace
}  // namespace platform
