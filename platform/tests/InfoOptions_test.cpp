#include <platform/InfoOptions.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using platform::InfoOption;
using platform::findInfoOption;

TEST(InfoOptions, TheFirstInformationWordWinsAndOtherWordsAreLeftToTheProgram)
{
    EXPECT_EQ(findInfoOption({"kestrel"}), InfoOption::None);
    EXPECT_EQ(findInfoOption({"kestrel", "/options", "pump.par"}), InfoOption::None);
    EXPECT_EQ(findInfoOption({"kestrel", "/options", "--help"}), InfoOption::Help);
    EXPECT_EQ(findInfoOption({"merlin", "-h"}), InfoOption::Help);
    EXPECT_EQ(findInfoOption({"wren", "--version", "--help"}), InfoOption::Version);
    // The program's own name is never read as an option.
    EXPECT_EQ(findInfoOption({"--help"}), InfoOption::None);
}

TEST(InfoOptions, AnswersGoToTheOutputAndEndTheProgram)
{
    const auto answer = [](std::vector<std::string> words, std::string& printed) {
        std::vector<char*> argv;
        for (std::string& w : words)
            argv.push_back(w.data());
        std::FILE* out = std::tmpfile();
        const auto rc = platform::answerInfoOption(static_cast<int>(argv.size()), argv.data(), "merlin",
                                                   "usage: merlin [/options]\n", out);
        std::rewind(out);
        char buffer[256] = {};
        printed.assign(buffer, std::fread(buffer, 1, sizeof buffer - 1, out));
        std::fclose(out);
        return rc;
    };
    std::string printed;
    EXPECT_EQ(answer({"merlin", "--help"}, printed), 0);
    EXPECT_EQ(printed, "usage: merlin [/options]\n");
    EXPECT_EQ(answer({"merlin", "--version"}, printed), 0);
    EXPECT_EQ(printed.rfind("merlin (Aviary) ", 0), 0u);
    EXPECT_EQ(answer({"merlin", "/options"}, printed), std::nullopt);
    EXPECT_EQ(printed, "");
}
