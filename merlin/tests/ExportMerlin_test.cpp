#include "SmallDefinition.h"

#include <merlin/core/CListExport.h>

#include "LaunchRecorder.h"

#include <gtest/gtest.h>

using namespace merlin;
using merlin::testing::DefinitionDir;

namespace {

// A set of numeric parameters in groups of the given sizes.
CDpfParSet setOfGroups(const std::vector<int>& sizes)
{
    CDpfParSet set;
    for (size_t g = 0; g < sizes.size(); ++g) {
        for (int i = 0; i < sizes[g]; ++i) {
            CPar par;
            par.name = "P";
            par.type = 10;
            par.registerNumber = 40001 + i;
            set.AddParameter(par, static_cast<int>(g));
        }
    }
    return set;
}

// "H60 C10": per page, H for a group heading, C for a continued one, each
// with the number of parameter lines under it.
std::vector<std::string> layout(const std::vector<PrintPage>& pages)
{
    std::vector<std::string> out;
    for (const PrintPage& page : pages) {
        std::string text;
        int count = -1;
        for (const PrintLine& line : page.lines) {
            if (line.kind == PrintLine::Kind::Heading) {
                if (count >= 0)
                    text += std::to_string(count) + " ";
                const bool continued = line.text.find("-- Continue") != std::string::npos;
                text += continued ? "C" : "H";
                count = 0;
            } else {
                ++count;
            }
        }
        out.push_back(text + std::to_string(count));
    }
    return out;
}

}  // namespace

TEST(MerlinPrintPages, GroupsFillPagesOf60Lines)
{
    const struct {
        std::vector<int> groups;
        std::vector<std::string> pages;
    } cases[] = {
        {{70}, {"H60", "C10"}},
        {{50, 20}, {"H50", "H20"}},
        {{30, 30, 1}, {"H30 H30", "H1"}},
        {{10, 130}, {"H10", "H60", "C60", "C10"}},
        {{0, 60}, {"H0 H60"}},
    };
    for (const auto& c : cases) {
        CDpfParSet set = setOfGroups(c.groups);
        const auto pages = CListExport::paginate(set);
        EXPECT_EQ(layout(pages), c.pages) << ::testing::PrintToString(c.groups);
        for (size_t p = 0; p < pages.size(); ++p)
            EXPECT_EQ(pages[p].footer(), "Page " + std::to_string(p + 1));
    }
}

TEST(MerlinPrintPages, ContinuedHeadingRepeatsTheGroupHeading)
{
    CDpfParSet set = setOfGroups({61});
    const auto pages = CListExport::paginate(set);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].lines[0].text, "Group  1:   (61)");
    EXPECT_EQ(pages[1].lines[0].text, "Group  1:   (61) -- Continue");
}

struct MerlinExport : ::testing::Test {
    MerlinExport() { definitions.load(set); }
    DefinitionDir definitions;
    CDpfParSet set;
};

TEST_F(MerlinExport, LinesHaveFixedColumns)
{
    EXPECT_EQ(CListExport::groupHeading(set, 0), "Group  1: Motor  (3)");
    EXPECT_EQ(CListExport::parameterLine(set, 0, 0),
              "  0    203  Speed" + std::string(26, ' ') + "50.00 Hz" + std::string(12, ' ') + "0");
    EXPECT_EQ(CListExport::parameterLine(set, 0, 2),
              "  2    105  Mode" + std::string(30, ' ') + "On" + std::string(15, ' ') + "0");
}

TEST_F(MerlinExport, ExportFileReplacesTheExtension)
{
    EXPECT_EQ(CListExport::exportFileName("/lists/pump.par"), "/lists/pump.txt");
    EXPECT_EQ(CListExport::exportFileName("/lists/pump"), "/lists/pump.txt");
    EXPECT_EQ(CListExport::exportFileName("/my.lists/pump.v2.par"), "/my.lists/pump.v2.txt");
}

TEST_F(MerlinExport, ExportWritesEveryGroupAndShowsTheFile)
{
    merlin::testing::LaunchRecorder viewer;
    const std::string doc = definitions.dir.file("pump.par");
    auto messages = CListExport::exportToText(set, doc);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "The software created a print file :\n" + definitions.dir.file("pump.txt"));
    ASSERT_EQ(viewer.launched.size(), 1u);
    EXPECT_EQ(viewer.launched[0].arguments.back(), definitions.dir.file("pump.txt"));

    const std::string text = definitions.dir.read("pump.txt");
    EXPECT_EQ(text.rfind("Group  1: Motor  (3)\n", 0), 0u);
    EXPECT_NE(text.find("\n\nGroup  2: Drive  (5)\n"), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), (1 + 3 + 1) + (1 + 5 + 1));

    viewer.result = 2;
    messages = CListExport::exportToText(set, doc);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "NOTEPAD application not found !");
}
