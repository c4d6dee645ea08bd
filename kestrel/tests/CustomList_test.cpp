// The custom list editor model: create and modify, adding and deleting,
// saving with the stored values kept, and the close question.
#include "FilesTesting.h"
#include "ListFixture.h"

#include <kestrel/core/CustomListEditor.h>
#include <kestrel/core/VersionList.h>

#include <algorithm>

using namespace kestrel;
using namespace kestrel::testing;
using platform::MsgAnswer;
using platform::MsgIcon;

namespace {

const char* kExists = "This file already exists !\nDo you want to overwrite ?";
const char* kModified = "This custom list has been modified. Want to save ?";

class CustomList : public ::testing::Test {
protected:
    Install install;
    Messages messages;
    Dialogs dialogs;
    std::string db = install.writeDatabase("1234", catalogue1234());

    static std::vector<std::string> numbers(const std::vector<EditorRow>& rows)
    {
        std::vector<std::string> out;
        for (const auto& r : rows) out.push_back(r.no);
        return out;
    }
    static std::size_t rowOf(const std::vector<EditorRow>& rows, const std::string& no)
    {
        return static_cast<std::size_t>(
            std::find_if(rows.begin(), rows.end(), [&](const EditorRow& r) { return r.no == no; }) - rows.begin());
    }
    std::string storedList()
    {
        return install.write("custom/pump.ctm",
                             listFileBytes("12.34", workBytes({{0x0013, 0x0777},
                                                               {0x002C, 4},
                                                               {0x0087, 0x00C9},
                                                               {0x00E4, 0x04D2},
                                                               {0x00E9, 3}})));
    }
};

}  // namespace

TEST_F(CustomList, CreateOffersTheStandardParametersWithoutServiceOnes)
{
    auto editor = CustomListEditor::create(install.path(), "12.34");
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->versionLabel(), "SOFTWARE VERSION :- A12.34");
    EXPECT_EQ(numbers(editor->customRows()), (std::vector<std::string>{"002C", "00E4", "00E9"}));
    const auto& rows = editor->standardRows();
    const auto nos = numbers(rows);
    EXPECT_EQ(std::count(nos.begin(), nos.end(), "0088"), 0);  // service
    EXPECT_EQ(std::count(nos.begin(), nos.end(), "0141"), 0);  // service
    EXPECT_EQ(std::count(nos.begin(), nos.end(), "0142"), 1);
    ASSERT_TRUE(rows[0].isTitle());
    EXPECT_EQ(rows[0].parameter, "Identification ");
    const EditorRow& accel = rows[rowOf(rows, "0013")];
    EXPECT_EQ(accel.value, "10.00");  // the default, 1000 with two decimals
    EXPECT_EQ(accel.unit, "sec");
}

TEST_F(CustomList, CreateWithoutItsDatabaseShowsTheCtmMessage)
{
    messages.expect("No database file corresponding to this CTM file was found !\nPlease connect to the inverter "
                    "of the same software version\nand open a parameter list.",
                    MsgIcon::None);
    EXPECT_FALSE(CustomListEditor::create(install.path(), "12.40"));
}

TEST_F(CustomList, SavedNewListHoldsTheDefaultParameters)
{
    auto editor = CustomListEditor::create(install.path(), "12.34");
    const std::string path = install.file("custom/new.ctm");
    dialogs.answer(path);
    ASSERT_TRUE(editor->save(false));
    // 002C and 00E9 carry their defaults, 00E4 the database's value field.
    EXPECT_EQ(readBytes(path), listFileBytes("12.34", "002C0001\r\n00E404D2\r\n00E90001\r\n"));
    expectGolden("custom_created.ctm", readBytes(path));
    EXPECT_EQ(editor->title(), "Custom List -- " + path);
    EXPECT_EQ(dialogs.requests[0].fileName, "*.ctm");
    EXPECT_EQ(dialogs.requests[0].directory, install.file("custom"));
}

TEST_F(CustomList, AddingSortsAndRefusesDuplicatesAndEmptySelections)
{
    auto editor = CustomListEditor::create(install.path(), "12.34");
    const auto& std = editor->standardRows();
    messages.expect("No parameter selected !", MsgIcon::Stop);
    editor->add(std::nullopt);
    editor->add(0);  // a group title row does nothing
    EXPECT_FALSE(editor->modified());
    editor->add(rowOf(std, "00A8"));
    editor->add(rowOf(std, "0013"));
    EXPECT_EQ(numbers(editor->customRows()), (std::vector<std::string>{"0013", "002C", "00A8", "00E4", "00E9"}));
    EXPECT_EQ(editor->selectedCustomRow(), 0u);
    EXPECT_TRUE(editor->modified());
    messages.expect("Parameter duplication not allowed", MsgIcon::Stop);
    editor->add(rowOf(std, "00E9"));
    EXPECT_EQ(editor->customRows().size(), 5u);
}

TEST_F(CustomList, DefaultParametersCannotBeDeleted)
{
    auto editor = CustomListEditor::create(install.path(), "12.34");
    for (const char* no : {"00E9", "00E4"}) {
        messages.expect("This is a default custom parameter. It cannot be deleted from the list.", MsgIcon::Stop);
        editor->remove(rowOf(editor->customRows(), no));
    }
    EXPECT_FALSE(editor->modified());
    editor->remove(rowOf(editor->customRows(), "002C"));
    EXPECT_EQ(numbers(editor->customRows()), (std::vector<std::string>{"00E4", "00E9"}));
    EXPECT_TRUE(editor->modified());
}

TEST_F(CustomList, ModifyKeepsStoredValuesAndGivesNewOnesTheirDefault)
{
    const std::string path = storedList();
    auto editor = CustomListEditor::modify(install.path(), path);
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->mode(), CustomListEditor::Mode::Modify);
    EXPECT_EQ(numbers(editor->customRows()),
              (std::vector<std::string>{"0013", "002C", "0087", "00E4", "00E9"}));
    EXPECT_EQ(editor->customRows()[0].value, "19.11");  // stored 0777 = 1911
    // 0087 holds the service access code: service parameters are offered.
    EXPECT_LT(rowOf(editor->standardRows(), "0088"), editor->standardRows().size());

    editor->add(rowOf(editor->standardRows(), "0021"));
    editor->remove(rowOf(editor->customRows(), "002C"));
    ASSERT_TRUE(editor->save(false));
    EXPECT_EQ(readBytes(path), listFileBytes("12.34", "00130777\r\n00211D4C\r\n008700C9\r\n00E404D2\r\n00E90003\r\n"));
    expectGolden("custom_modified.ctm", readBytes(path));
    EXPECT_FALSE(exists(install.file("custom/ctm.bak")));
    EXPECT_FALSE(editor->modified());
}

TEST_F(CustomList, ModifyRefusesOpenAndDamagedFiles)
{
    const std::string path = storedList();
    install.write("custom/pump.~ct", "");
    messages.expect("You are already connected to this file !", MsgIcon::Information);
    dialogs.answer(path);
    EXPECT_FALSE(CustomListEditor::modify(install.path()));
    std::filesystem::remove(install.file("custom/pump.~ct"));

    const std::string bad = install.write("custom/bad.ctm", listFileBytes("12.34", "00E404D2\r\n"));
    messages.expect("This custom parameter file is corrupted !", MsgIcon::Stop);
    EXPECT_FALSE(CustomListEditor::modify(install.path(), bad));
    dialogs.answer(std::nullopt);
    EXPECT_FALSE(CustomListEditor::modify(install.path()));
}

TEST_F(CustomList, SavingOverAnotherFileAsksAndKeepsItsValues)
{
    const std::string other = storedList();
    const std::string before = readBytes(other);
    auto editor = CustomListEditor::create(install.path(), "12.34");
    editor->add(rowOf(editor->standardRows(), "0013"));
    for (MsgAnswer a : {MsgAnswer::No, MsgAnswer::Cancel}) {
        dialogs.answer(other);
        messages.expect(kExists, MsgIcon::Question, a);
        EXPECT_FALSE(editor->save(true));
        EXPECT_EQ(readBytes(other), before);
    }
    install.write("custom/pump.~ct", "");
    dialogs.answer(other);
    messages.expect("You are already connected to this file !", MsgIcon::Information);
    EXPECT_FALSE(editor->save(true));
    EXPECT_EQ(readBytes(other), before);
    std::filesystem::remove(install.file("custom/pump.~ct"));

    dialogs.answer(other);
    messages.expect(kExists, MsgIcon::Question, MsgAnswer::Yes);
    EXPECT_TRUE(editor->save(true));
    EXPECT_EQ(readBytes(other), listFileBytes("12.34", "00130777\r\n002C0004\r\n00E404D2\r\n00E90003\r\n"));
}

TEST_F(CustomList, CloseAsksWhenModified)
{
    auto editor = CustomListEditor::create(install.path(), "12.34");
    EXPECT_TRUE(editor->close());
    editor->add(rowOf(editor->standardRows(), "0013"));
    messages.expect(kModified, MsgIcon::Question, MsgAnswer::Cancel);
    EXPECT_FALSE(editor->close());
    messages.expect(kModified, MsgIcon::Question, MsgAnswer::Yes);
    dialogs.answer(std::nullopt);  // the save is cancelled: stay open
    EXPECT_FALSE(editor->close());
    const std::string path = install.file("custom/closing.ctm");
    messages.expect(kModified, MsgIcon::Question, MsgAnswer::Yes);
    dialogs.answer(path);
    EXPECT_TRUE(editor->close());
    EXPECT_TRUE(exists(path));
    editor->add(rowOf(editor->standardRows(), "0014"));
    messages.expect(kModified, MsgIcon::Question, MsgAnswer::No);
    EXPECT_TRUE(editor->close());
}

TEST_F(CustomList, VersionSelectionListsTheDatabaseFiles)
{
    EXPECT_EQ(availableVersions(install.path()), std::vector<std::string>{"12.34"});
    install.write("tvk/RQ-1240.tvk", "");
    install.write("tvk/RQ-12.tvk", "");
    install.write("tvk/notes.txt", "");
    EXPECT_EQ(availableVersions(install.path()), (std::vector<std::string>{"12.34", "12.40"}));
    EXPECT_EQ(selectedVersionName("12.40"), "RQ-1240");
    Install empty;
    EXPECT_TRUE(availableVersions(empty.path()).empty());
}
