// Opening parameter files and custom lists: every check against the
// database, its message, and that a refused file leaves nothing behind.
#include "FilesTesting.h"
#include "ListFixture.h"

#include <kestrel/core/ListOpener.h>

using namespace kestrel;
using namespace kestrel::testing;
using platform::MsgIcon;

namespace {

std::vector<WorkRecord> customRecords()
{
    return {{0x002C, 1}, {0x0087, 0x00C9}, {0x00E4, 0x04D2}, {0x00E9, 2}};
}

class ParFileOpen : public CatalogueTest {
protected:

    // Opens the file and, when that is refused, checks that it is unchanged
    // and that no working file appeared.
    std::optional<OpenedList> openRefused(const std::string& relative, const std::string& bytes, ListKind kind)
    {
        const std::string path = install.write(relative, bytes);
        auto opened = openListFile(install.path(), kind, path);
        EXPECT_FALSE(opened);
        EXPECT_EQ(readBytes(path), bytes);
        EXPECT_FALSE(exists(CWorkFile::pathFor(path, kind)));
        return opened;
    }
};

}  // namespace

TEST_F(ParFileOpen, OpensAParameterFileIntoItsWorkingFile)
{
    const std::string path = install.write("parameter/motor.par", listFileBytes("12.34", body));
    Dialogs dialogs;
    dialogs.answer(path);
    const auto opened = openListFile(install.path(), ListKind::ParameterFile);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->workPath, install.file("parameter/motor.~pa"));
    EXPECT_EQ(opened->databaseFileName, "/tvk/RQ-1234.tvk");
    EXPECT_EQ(opened->filePath, path);
    EXPECT_EQ(readBytes(opened->workPath), body);
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_EQ(dialogs.requests[0].directory, install.file("parameter"));
    EXPECT_EQ(dialogs.requests[0].filter, "PAR Files(*.par) | *.par||");
    EXPECT_EQ(dialogs.requests[0].defaultExtension, "par");

    // Open in a window: refused, until the window has gone.
    messages.expect("You are already connected to this file !", MsgIcon::Information);
    EXPECT_FALSE(openListFile(install.path(), ListKind::ParameterFile, path));
    std::filesystem::remove(opened->workPath);
    EXPECT_TRUE(openListFile(install.path(), ListKind::ParameterFile, path));
}

TEST_F(ParFileOpen, CancelAndWrongExtension)
{
    Dialogs dialogs;
    dialogs.answer(std::nullopt);
    EXPECT_FALSE(openListFile(install.path(), ListKind::ParameterFile));
    messages.expect("Invalid file !", MsgIcon::Stop);
    openRefused("custom/pump.ctm", listFileBytes("12.34", body), ListKind::ParameterFile);
    messages.expect("Invalid file !", MsgIcon::Stop);
    openRefused("parameter/motor.par", listFileBytes("12.34", body), ListKind::CustomList);
}

TEST_F(ParFileOpen, MissingDatabaseNamesTheFileKind)
{
    const std::string par = "No database file corresponding to this PAR file was found !\nPlease connect to the "
                            "inverter of the same software version\nand open a parameter list.";
    const std::string ctm = "No database file corresponding to this CTM file was found !\nPlease connect to the "
                            "inverter of the same software version\nand open a parameter list.";
    messages.expect(par, MsgIcon::None);
    openRefused("parameter/old.par", listFileBytes("11.00", body), ListKind::ParameterFile);
    messages.expect(ctm, MsgIcon::None);
    openRefused("custom/old.ctm", listFileBytes("11.00", workBytes(customRecords())), ListKind::CustomList);
    // A damaged version field names no database at all, not even a path
    // outside the database directory.
    install.write("RQ-.tvk", databaseBytes(cat));
    messages.expect(par, MsgIcon::None);
    openRefused("parameter/bad.par", listFileBytes("../..", body), ListKind::ParameterFile);
}

TEST_F(ParFileOpen, DamagedParameterFilesAreRefused)
{
    const std::size_t n = cat.size();
    std::string damagedValue = body;
    damagedValue[3 * 10 + 5] = 'G';
    std::string noCrLf = body;
    noCrLf[4 * 10 + 8] = ' ';
    std::string swapped = body;
    std::swap_ranges(swapped.begin() + 10, swapped.begin() + 20, swapped.begin() + 20);
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"one record less", listFileBytes("12.34", body.substr(0, (n - 1) * 10))},
        {"one record missing inside", listFileBytes("12.34", body.substr(0, 30) + body.substr(40))},
        {"one record more", listFileBytes("12.34", body + WorkRecord(0x0150, 0).serialise())},
        {"records out of order", listFileBytes("12.34", swapped)},
        {"value not hexadecimal", listFileBytes("12.34", damagedValue)},
        {"record without CR LF", listFileBytes("12.34", noCrLf)},
        {"cut inside a record", listFileBytes("12.34", body).substr(0, 44 + 10 * 7 + 4)},
        {"cut before the trailer", listHeader("12.34") + body},
        {"header only, cut", listHeader("12.34").substr(0, 40)},
        {"empty file", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        messages.expect(kParCorrupt, MsgIcon::Stop);
        openRefused("parameter/bad.par", c.bytes, ListKind::ParameterFile);
    }
}

TEST_F(ParFileOpen, DamagedDatabaseIsReportedAsSuch)
{
    std::string damaged = databaseBytes(cat);
    damaged[6 * 48 + 47] = 'x';
    install.write("tvk/RQ-1234.tvk", damaged);
    messages.expect(kParDbCorrupt, MsgIcon::Stop);
    openRefused("parameter/motor.par", listFileBytes("12.34", body), ListKind::ParameterFile);
    messages.expect(kCtmDbCorrupt, MsgIcon::Stop);
    openRefused("custom/pump.ctm", listFileBytes("12.34", workBytes(customRecords())), ListKind::CustomList);
}

TEST_F(ParFileOpen, OpensACustomListOfASubset)
{
    const std::string bytes = listFileBytes("12.34", workBytes(customRecords()));
    const std::string path = install.write("custom/pump.ctm", bytes);
    const auto opened = openListFile(install.path(), ListKind::CustomList, path);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->kind, ListKind::CustomList);
    EXPECT_EQ(opened->workPath, install.file("custom/pump.~ct"));
    EXPECT_EQ(readBytes(opened->workPath), workBytes(customRecords()));
    EXPECT_EQ(readBytes(path), bytes);
}

TEST_F(ParFileOpen, DamagedCustomListsAreRefused)
{
    const struct {
        const char* what;
        std::vector<WorkRecord> records;
    } cases[] = {
        {"number not in the database", {{0x0012, 0}, {0x00E4, 0x04D2}, {0x00E9, 1}}},
        {"no 00E9", {{0x002C, 1}, {0x00E4, 0x04D2}}},
        {"no 00E4", {{0x002C, 1}, {0x00E9, 1}}},
        {"descending", {{0x00E4, 0x04D2}, {0x002C, 1}, {0x00E9, 1}}},
        {"twice the same", {{0x002C, 1}, {0x002C, 1}, {0x00E4, 0x04D2}, {0x00E9, 1}}},
        {"beyond the database", {{0x00E4, 0x04D2}, {0x00E9, 1}, {0x0150, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        messages.expect(kCtmCorrupt, MsgIcon::Stop);
        openRefused("custom/bad.ctm", listFileBytes("12.34", workBytes(c.records)), ListKind::CustomList);
    }
    SCOPED_TRACE("cut short");
    messages.expect(kCtmCorrupt, MsgIcon::Stop);
    openRefused("custom/bad.ctm", listHeader("12.34") + workBytes(customRecords()).substr(0, 25),
                ListKind::CustomList);
}
