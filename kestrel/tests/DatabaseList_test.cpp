// The list model read from hand-made databases and working files: groups,
// tabs, group pages, service parameters, parameter set.
#include "ListFixture.h"

#include <kestrel/core/CDatabase.h>
#include <kestrel/core/CWorkFile.h>
#include <kestrel/core/ParameterList.h>

#include <gtest/gtest.h>

#include <algorithm>

using namespace kestrel;
using namespace kestrel::testing;

namespace {

class DatabaseList : public ::testing::Test {
protected:
    Install install;
    std::string db = install.writeDatabase("1234", catalogue1234());
    std::string work = install.write("parameter/List-3.~pa", fullWorkBytes(catalogue1234()));
};

std::vector<std::string> rowNumbers(const GroupPage& page)
{
    std::vector<std::string> out;
    for (const auto& r : page.rows) out.push_back(r.no);
    return out;
}

}  // namespace

TEST_F(DatabaseList, CountsGroupsAndRecordsAndSeesTheEndMark)
{
    CDatabase d(db);
    EXPECT_EQ(d.groupCount(), 0x15);
    EXPECT_EQ(d.recordCount(), catalogue1234().size());
    EXPECT_TRUE(d.isComplete());
    ASSERT_TRUE(d.find(0x00E9));
    EXPECT_EQ(d.find(0x00E9)->name(), "Parameter set  ");
    EXPECT_FALSE(d.find(0x0012));
    EXPECT_EQ(d.recordAt(1)->number(), 0x0001);
    EXPECT_FALSE(d.recordAt(catalogue1234().size()));

    CDatabase incomplete(install.writeDatabase("1235", catalogue1234(), false));
    EXPECT_FALSE(incomplete.isComplete());
    EXPECT_EQ(incomplete.groupCount(), 0x15);  // the walk also ends at the end of the file
    EXPECT_FALSE(CDatabase(install.file("tvk/RQ-9999.tvk")).groupCount());
}

TEST_F(DatabaseList, DamagedDatabaseStopsTheWalkAsCorrupt)
{
    std::string bytes = databaseBytes(catalogue1234());
    bytes[5 * TvkRecord::kSize + 46] = ' ';  // the CR of the sixth record
    DatabaseReader r(install.write("tvk/RQ-2000.tvk", bytes));
    while (r.atRecord()) r.advance();
    EXPECT_EQ(r.state(), DatabaseReader::State::Corrupt);
    EXPECT_EQ(r.index(), 5u);

    DatabaseReader cut(install.write("tvk/RQ-2001.tvk", databaseBytes(catalogue1234()).substr(0, 100)));
    while (cut.atRecord()) cut.advance();
    EXPECT_EQ(cut.state(), DatabaseReader::State::Corrupt);
}

TEST_F(DatabaseList, FileNamesAndVersionTexts)
{
    EXPECT_EQ(CDatabase::fileNameForVersion("12.34"), "/tvk/RQ-1234.tvk");
    EXPECT_EQ(CDatabase::versionText("/tvk/RQ-1234.tvk"), "A12.34");
    EXPECT_EQ(CDatabase::versionDigits("/tvk/RQ-1808.tvk"), "1808");
    // Header text from a damaged file never becomes a path elsewhere.
    for (const char* bad : {"../..", "12/34", "1.234", "12.3", "ab.cd", "12.3x"})
        EXPECT_EQ(CDatabase::fileNameForVersion(bad), "") << bad;
}

TEST_F(DatabaseList, TabsForGroupsWithParametersOnly)
{
    ParameterList list(db, work, ListKind::Online);
    // Group 5 holds only its header: no tab, though the working file holds 0050.
    EXPECT_EQ(list.tabGroups(), (std::vector<int>{0, 1, 2, 8, 0xA, 0xE, 0xF, 0x14}));
    // Groups are counted, not taken from the numbers: a database that stops
    // at group 0xE offers no tab beyond it.
    auto cut = catalogue1234();
    cut.resize(static_cast<std::size_t>(std::find_if(cut.begin(), cut.end(),
                                                     [](const TvkFields& f) { return f.number == 0x00F0; }) -
                                        cut.begin()));
    ParameterList shortList(install.writeDatabase("1236", cut), work, ListKind::Online);
    EXPECT_EQ(shortList.groupCount(), 0xF);
    EXPECT_EQ(shortList.tabGroups(), (std::vector<int>{0, 1, 2, 8, 0xA, 0xE}));
}

TEST_F(DatabaseList, CustomListTabsFollowItsOwnRecords)
{
    const std::string ct = install.write(
        "custom/pump.~ct", workBytes({{0x0013, 5}, {0x0014, 1}, {0x0021, 2}, {0x00E4, 0x04D2}, {0x00E9, 1}}));
    ParameterList list(db, ct, ListKind::CustomList);
    EXPECT_EQ(list.tabGroups(), (std::vector<int>{1, 2, 0xE}));
    const auto page = list.fillGroup(1);
    EXPECT_EQ(page.title, "Basic settings ");
    EXPECT_EQ(rowNumbers(page), (std::vector<std::string>{"13", "14"}));
    EXPECT_EQ(page.rows[0].value, "0.05");
    EXPECT_TRUE(list.fillGroup(8).rows.empty());
}

TEST_F(DatabaseList, GroupPageRows)
{
    ParameterList list(db, work, ListKind::Online);
    const auto page = list.fillGroup(2);
    EXPECT_EQ(page.title, "Motor data     ");
    ASSERT_EQ(page.rows.size(), 4u);
    const ListRow& power = page.rows[0];
    EXPECT_EQ(power.no, "21");
    EXPECT_EQ(power.parameter, "Motor power    ");
    EXPECT_EQ(power.value, "0.75");  // 7500 divided by 100 (scale 2), two decimals
    EXPECT_EQ(power.unit, "kW");
    EXPECT_EQ(power.type, "Program in STOP");
    EXPECT_EQ(page.rows[1].parameter, "Stroemung m2    ");
    EXPECT_EQ(page.rows[1].type, "Program Always (SIO)");
    EXPECT_EQ(page.rows[1].unit, " ");
    const auto g1 = list.fillGroup(1);
    EXPECT_EQ(g1.rows[2].value, "00FF");
    EXPECT_EQ(g1.rows[2].unit, "HEX");
    EXPECT_EQ(g1.rows[2].type, "SIO control");
    EXPECT_EQ(list.fillGroup(0xA).rows[0].no, "A8");
}

TEST_F(DatabaseList, ServiceParametersFollowTheAccessCode)
{
    const struct {
        const char* what;
        std::optional<std::uint16_t> code;  // value of 0087, none: no record
        bool group8, group14, group0;
    } cases[] = {
        {"service code", 0x00C9, true, true, true},
        {"other code", 0x0000, true, false, true},
        {"no 0087", std::nullopt, false, false, true},
    };
    for (const auto& c : cases) {
        auto cat = catalogue1234();
        std::vector<WorkRecord> records;
        for (const auto& f : cat) {
            if (f.number == 0x0087 && !c.code) continue;
            records.emplace_back(f.number, f.number == 0x0087 ? *c.code : f.value);
        }
        const std::string w = install.write("custom/s.~ct", workBytes(records));
        ParameterList list(db, w, ListKind::CustomList);
        const auto g8 = rowNumbers(list.fillGroup(8));
        const auto g14 = rowNumbers(list.fillGroup(0x14));
        EXPECT_EQ(std::count(g8.begin(), g8.end(), "88") == 1, c.group8) << c.what;
        EXPECT_EQ(std::count(g14.begin(), g14.end(), "141") == 1, c.group14) << c.what;
        EXPECT_EQ(std::count(g14.begin(), g14.end(), "142"), 1) << c.what;  // never hidden
        EXPECT_TRUE(list.serviceShown(0)) << c.what;
        EXPECT_EQ(list.serviceShown(0x17), c.group14) << c.what;
        EXPECT_EQ(list.serviceShown(0x18), c.group8) << c.what;
    }
}

TEST_F(DatabaseList, ParameterSetReadsTheDigitsAsDecimal)
{
    ParameterList list(db, work, ListKind::Online);
    EXPECT_EQ(list.parameterSet(), 1);
    ASSERT_TRUE(CWorkFile(work).writeValue(0x00E9, 0x0002));
    EXPECT_EQ(list.parameterSet(), 2);
    ASSERT_TRUE(CWorkFile(work).writeValue(0x00E9, 0x0010));
    EXPECT_EQ(list.parameterSet(), 10);
    const std::string none = install.write("custom/n.~ct", workBytes({{0x0013, 1}}));
    EXPECT_FALSE(ParameterList(db, none, ListKind::CustomList).parameterSet());
}

TEST_F(DatabaseList, WorkFileWritesOnlyTheValueDigitsInPlace)
{
    CWorkFile w(work);
    const std::string before = *w.readBytes();
    ASSERT_TRUE(w.writeValue(0x0013, 0x3034));
    const std::string after = *w.readBytes();
    ASSERT_EQ(after.size(), before.size());
    const std::size_t at = 5 * WorkRecord::kSize;  // 0013 is the sixth record
    EXPECT_EQ(after.substr(at, 10), "00133034\r\n");
    EXPECT_EQ(after.substr(0, at), before.substr(0, at));
    EXPECT_EQ(after.substr(at + 10), before.substr(at + 10));
    EXPECT_FALSE(w.writeValue(0x0012, 1));
    EXPECT_EQ(*w.readBytes(), after);
    EXPECT_EQ(w.recordCount(), catalogue1234().size());
}

TEST_F(DatabaseList, TabTextsRoundTrip)
{
    EXPECT_EQ(tabText(0), "Gr 0");
    EXPECT_EQ(tabText(0x17), "Gr 17");
    EXPECT_EQ(groupOfTab("Gr E"), 0xE);
    EXPECT_EQ(groupOfTab("Gr 17"), 0x17);
    EXPECT_FALSE(groupOfTab("Gr "));
    EXPECT_FALSE(groupOfTab("Gr X"));
    EXPECT_EQ(CWorkFile::pathFor("/a/motor.par", ListKind::ParameterFile), "/a/motor.~pa");
    EXPECT_EQ(CWorkFile::pathFor("/a/pump.ctm", ListKind::CustomList), "/a/pump.~ct");
    EXPECT_EQ(CWorkFile::onlinePath("/opt/k", "3"), "/opt/k/parameter/List-3.~pa");
}
