// File compare: the merge of the list window's values with a stored file,
// its rows, and every check that ends a comparison.
#include "FilesTesting.h"
#include "ListFixture.h"

#include <kestrel/core/FileCompare.h>

using namespace kestrel;
using namespace kestrel::testing;
using platform::MsgIcon;

namespace {

class Compare : public CatalogueTest {
protected:
    std::string first = install.write("parameter/a.par", listFileBytes("12.34", body));
    CompareSource source{ListKind::ParameterFile, first, install.write("parameter/a.~pa", body), db};

    std::string withValue(std::uint16_t number, std::uint16_t value)
    {
        std::string bytes = listFileBytes("12.34", body);
        for (std::size_t at = 44; at + 10 <= bytes.size(); at += 10)
            if (bytes.substr(at, 4) == WorkRecord(number, 0).numberText())
                bytes.replace(at + 4, 4, WorkRecord(number, value).valueText());
        return install.write("parameter/b.par", bytes);
    }
};

}  // namespace

TEST_F(Compare, OneDifferentValueGivesOneRow)
{
    const std::string second = withValue(0x0013, 0x0BB8);
    const auto result = compareFiles(install.path(), source, second);
    ASSERT_TRUE(result);
    ASSERT_EQ(result->rows.size(), 1u);
    const CompareRow& r = result->rows[0];
    EXPECT_EQ(r.no, "13");
    EXPECT_EQ(r.parameter, "Accel time     ");
    EXPECT_EQ(r.value1, "10.00");
    EXPECT_EQ(r.value2, "30.00");
    EXPECT_EQ(r.unit, "sec");
    EXPECT_EQ(r.min, "0.01");
    EXPECT_EQ(r.max, "300.00");
    EXPECT_EQ(r.type, "Program in STOP");
    EXPECT_EQ(result->firstLine, "1. " + first);
    EXPECT_EQ(result->secondLine, "2. " + second);
    EXPECT_EQ(result->versionLine, "Version : A12.34");
}

TEST_F(Compare, UnsavedValuesOfTheWindowAreTheFirstSide)
{
    const std::string second = install.write("parameter/b.par", listFileBytes("12.34", body));
    ASSERT_TRUE(CWorkFile(source.workPath).writeValue(0x0014, 0xFF00));
    const auto result = compareFiles(install.path(), source, second);
    ASSERT_TRUE(result);
    ASSERT_EQ(result->rows.size(), 1u);
    EXPECT_EQ(result->rows[0].value1, "FF00");
    EXPECT_EQ(result->rows[0].value2, "00FF");
    EXPECT_EQ(result->rows[0].unit, "HEX");
    EXPECT_EQ(result->rows[0].min, "FF9C");  // stored digits
    EXPECT_EQ(result->rows[0].max, "7FFF");
}

TEST_F(Compare, CustomListsShowWhatOnlyOneSideHolds)
{
    const std::string a = workBytes({{0x0013, 5}, {0x00E4, 0x04D2}, {0x00E9, 1}});
    CompareSource custom{ListKind::CustomList, install.write("custom/a.ctm", listFileBytes("12.34", a)),
                         install.write("custom/a.~ct", a), db};
    // 0050 is the header of the empty group 5; the list holds it as a number.
    const std::string sorted = workBytes({{0x0050, 0}, {0x00E4, 0x04D2}, {0x00E9, 1}, {0x00F1, 375}});
    const std::string second = install.write("custom/b.ctm", listFileBytes("12.34", sorted));
    const auto result = compareFiles(install.path(), custom, second);
    ASSERT_TRUE(result);
    ASSERT_EQ(result->rows.size(), 3u);
    EXPECT_EQ(result->rows[0].no, "13");
    EXPECT_EQ(result->rows[0].value2, "--");
    EXPECT_EQ(result->rows[1].no, "50");
    EXPECT_EQ(result->rows[1].value1, "--");
    EXPECT_EQ(result->rows[1].value2, "0");
    EXPECT_EQ(result->rows[2].no, "F1");
    EXPECT_EQ(result->rows[2].value2, "3.75");
}

TEST_F(Compare, IdenticalFilesSaySo)
{
    const std::string second = install.write("parameter/b.par", listFileBytes("12.34", body));
    messages.expect("The selected two files :\n\n" + first + "\n" + second + "\n\nare identical !", MsgIcon::None);
    EXPECT_FALSE(compareFiles(install.path(), source, second));
}

TEST_F(Compare, ChecksEndTheComparisonAndChangeNothing)
{
    install.writeDatabase("1240", cat);
    std::string shortBody = body.substr(0, body.size() - 10);
    std::string damagedDb = databaseBytes(cat);
    damagedDb[47] = '?';
    const struct {
        const char* what;
        std::string relative;
        std::string bytes;
        std::string message;
        MsgIcon icon;
    } cases[] = {
        {"wrong kind", "custom/b.ctm", listFileBytes("12.34", body), "Invalid file !", MsgIcon::Stop},
        {"same file", "parameter/a.par", listFileBytes("12.34", body), "You selected the same file !", MsgIcon::None},
        {"other version", "parameter/b.par", listFileBytes("12.40", body),
         "Version conflict !\n\nYou need to convert the files to the same software version.", MsgIcon::None},
        {"record missing", "parameter/b.par", listFileBytes("12.34", shortBody), kParCorrupt, MsgIcon::Stop},
        {"cut short", "parameter/b.par", listFileBytes("12.34", body).substr(0, 30), "Version conflict !\n\nYou need "
         "to convert the files to the same software version.", MsgIcon::None},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string before = readBytes(first);
        const std::string path = c.relative == "parameter/a.par" ? first : install.write(c.relative, c.bytes);
        messages.expect(c.message, c.icon);
        EXPECT_FALSE(compareFiles(install.path(), source, path));
        EXPECT_EQ(readBytes(path), c.relative == "parameter/a.par" ? before : c.bytes);
        EXPECT_EQ(readBytes(first), before);
    }
    install.write("tvk/RQ-1234.tvk", damagedDb);
    messages.expect(kParDbCorrupt, MsgIcon::Stop);
    EXPECT_FALSE(compareFiles(install.path(), source, install.write("parameter/b.par", listFileBytes("12.34", body))));
}

TEST_F(Compare, TheSecondFileIsChosenInTheListKindsDirectory)
{
    Dialogs dialogs;
    dialogs.answer(std::nullopt);
    EXPECT_FALSE(compareFiles(install.path(), source));
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_FALSE(dialogs.requests[0].save);
    EXPECT_EQ(dialogs.requests[0].directory, install.file("parameter"));
    EXPECT_EQ(dialogs.requests[0].fileName, "*.par");
    EXPECT_EQ(dialogs.requests[0].filter, "PAR Files(*.par) | *.par||");
}
