// The list document behind a list window: opening, tabs and pages, the
// edit of one value in a file list and in an online list, saving and the
// close step with what it carries out.
#include "FilesTesting.h"
#include "ListFixture.h"

#include <kestrel/core/CTervikDoc.h>
#include <kestrel/core/ListOpener.h>

#include <memory>

using namespace kestrel;
using namespace kestrel::testing;
using platform::MsgAnswer;
using platform::MsgIcon;

namespace {

class TervikDoc : public CatalogueTest {
protected:
    void SetUp() override
    {
        state().reset();
        state().installDir = install.path();
    }
    void TearDown() override { state().reset(); }

    std::string parFile = install.write("parameter/motor.par", listFileBytes("12.34", body));
    Dialogs dialogs;

    std::unique_ptr<CTervikDoc> openPar()
    {
        const auto opened = openListFile(install.path(), ListKind::ParameterFile, parFile);
        if (!opened) return nullptr;
        return std::make_unique<CTervikDoc>(
            install.path(), ListOpening{opened->kind, opened->filePath, opened->workPath, opened->databaseFileName, {}, {}});
    }
    std::unique_ptr<CTervikDoc> openOnline(ScriptedDrive& drive)
    {
        auto doc = std::make_unique<CTervikDoc>(
            install.path(), ListOpening{ListKind::Online, "", install.write("parameter/List-3.~pa", body),
                                        "/tvk/RQ-1234.tvk", "3", "Pump"});
        doc->setOnlineSide(OnlineSide{&drive, nullptr, {}, {}, {}});
        return doc;
    }
    // Grid row of a parameter on the page shown.
    static int rowOf(const CTervikDoc& doc, const std::string& no)
    {
        const auto& rows = doc.view().rows;
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (rows[i].no == no) return static_cast<int>(i) + 1;
        ADD_FAILURE() << "no row " << no;
        return 0;
    }
    static void showTab(CTervikDoc& doc, const std::string& tab)
    {
        const auto& tabs = doc.view().tabs;
        const auto it = std::find(tabs.begin(), tabs.end(), tab);
        ASSERT_NE(it, tabs.end()) << tab;
        doc.selectTab(static_cast<int>(it - tabs.begin()));
    }
    // The file list with parameter 13 set to 20 in the window and not yet
    // stored; nullptr when it did not open.
    std::unique_ptr<CTervikDoc> openParChanged()
    {
        auto doc = openPar();
        if (!doc) return nullptr;
        showTab(*doc, "Gr 1");
        doc->selectRow(rowOf(*doc, "13"), true);
        doc->editTextChanged("20");
        doc->update();
        return doc;
    }
    std::uint16_t stored(const std::string& path, std::uint16_t number, std::size_t offset = 44)
    {
        const std::string bytes = readBytes(path);
        for (std::size_t at = offset; at + 10 <= bytes.size(); at += 10)
            if (bytes.substr(at, 4) == formatNumber(number)) return static_cast<std::uint16_t>(std::stoul(bytes.substr(at + 4, 4), nullptr, 16));
        ADD_FAILURE() << "no record " << number;
        return 0;
    }
    static std::string formatNumber(std::uint16_t n)
    {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%04X", n);
        return buf;
    }
};

}  // namespace

TEST_F(TervikDoc, OpeningAParameterFileShowsItsFirstGroupAndNamesTheWindow)
{
    auto doc = openPar();
    ASSERT_TRUE(doc);
    const auto& v = doc->view();
    EXPECT_EQ(v.versionText, "A12.34");
    // Groups with only their header record get no tab.
    EXPECT_EQ(v.tabs, (std::vector<std::string>{"Gr 0", "Gr 1", "Gr 2", "Gr 8", "Gr A", "Gr E", "Gr F", "Gr 14"}));
    EXPECT_EQ(v.currentTab, 0);
    EXPECT_EQ(v.groupTitle, "Identification ");
    ASSERT_EQ(v.rows.size(), 2u);
    EXPECT_EQ(v.rows[1].no, "2");
    EXPECT_EQ(v.rows[1].value, "1.2");  // 120, scale 10, one decimal
    EXPECT_EQ(v.rows[1].unit, "A");
    EXPECT_EQ(v.parameterSet, "1");
    EXPECT_EQ(v.status, "No device connected !");
    EXPECT_EQ(v.listTitle, "LIST  A");
    EXPECT_EQ(v.windowTitle, "LIST  A -- " + parFile);
    EXPECT_EQ(v.closeText, "Close");
    EXPECT_TRUE(v.compareEnabled);
    EXPECT_FALSE(v.convertEnabled) << "one database only";
    EXPECT_FALSE(v.customCompareEnabled);
    EXPECT_FALSE(v.faultHistoryEnabled);
    EXPECT_EQ(doc->helpFileName(), "RQ-1234.pdf");

    // The next window has the next letter; with two databases a parameter
    // file can be converted.
    install.writeDatabase("1240", cat);
    auto custom = std::make_unique<CTervikDoc>(
        install.path(), ListOpening{ListKind::CustomList, install.file("custom/c.ctm"),
                                    install.write("custom/c.~ct", workBytes({{0x0013, 5}, {0x00E4, 0x04D2}, {0x00E9, 2}})),
                                    "/tvk/RQ-1234.tvk", {}, {}});
    EXPECT_EQ(custom->view().listTitle, "CUSTOM LIST  B");
    EXPECT_EQ(custom->view().tabs, (std::vector<std::string>{"Gr 1", "Gr E"}));
    EXPECT_EQ(custom->view().groupTitle, "Basic settings ");
    EXPECT_TRUE(custom->view().customConvertEnabled);
    EXPECT_FALSE(custom->view().compareEnabled);

    // The working file lives exactly as long as the document.
    const std::string work = doc->workPath();
    EXPECT_TRUE(exists(work));
    doc.reset();
    EXPECT_FALSE(exists(work));
}

TEST_F(TervikDoc, TabsArrowKeysAndTheEmptyPage)
{
    auto doc = openPar();
    ASSERT_TRUE(doc);
    doc->stepTab(-1);
    EXPECT_EQ(doc->view().currentTab, 0);
    doc->stepTab(1);
    EXPECT_EQ(doc->view().groupTitle, "Basic settings ");
    // Group 0x14 holds only a service parameter and 0087 is not the access
    // code: hidden there, shown elsewhere.
    showTab(*doc, "Gr 14");
    ASSERT_EQ(doc->view().rows.size(), 1u);
    EXPECT_EQ(doc->view().rows[0].no, "142");
    showTab(*doc, "Gr 8");
    EXPECT_EQ(doc->view().rows.size(), 2u);
    // Selecting a row that is not there clears the fields.
    EXPECT_TRUE(doc->selectRow(9, true).empty());
    EXPECT_EQ(doc->view().selectedRow, 0);
    EXPECT_EQ(doc->view().editBox, EditBox::None);
}

TEST_F(TervikDoc, EditingAFileListChecksTheEntryAndWritesTheWorkingFile)
{
    auto doc = openPar();
    ASSERT_TRUE(doc);
    showTab(*doc, "Gr 1");
    const int accel = rowOf(*doc, "13");
    EXPECT_TRUE(doc->selectRow(accel, false).empty());
    EXPECT_EQ(doc->view().editBox, EditBox::None) << "a click beside the VALUE cell opens no edit box";
    EXPECT_EQ(doc->view().maximum, "300.00");
    EXPECT_EQ(doc->view().unit, "sec");

    doc->selectRow(accel, true);
    EXPECT_EQ(doc->view().editBox, EditBox::Decimal);
    EXPECT_EQ(doc->view().editText, "10.00");
    EXPECT_EQ(doc->view().prompt, "Enter  DECIMAL value");
    EXPECT_FALSE(doc->view().updateEnabled);

    // Out of range: refused, the old text back, nothing written.
    doc->editTextChanged("301");
    EXPECT_TRUE(doc->view().updateEnabled);
    auto refused = doc->update();
    ASSERT_EQ(refused.notices.size(), 1u);
    EXPECT_EQ(refused.notices[0], (platform::Notice{"Value exceeds upper limit", MsgIcon::Stop}));
    EXPECT_EQ(doc->view().editText, "10.00");
    EXPECT_FALSE(doc->view().updateEnabled);
    EXPECT_EQ(stored(doc->workPath(), 0x0013, 0), 1000);
    EXPECT_FALSE(doc->modified());

    doc->editTextChanged("12.5");
    EXPECT_TRUE(doc->update().notices.empty());
    EXPECT_EQ(stored(doc->workPath(), 0x0013, 0), 1250);
    EXPECT_EQ(doc->view().rows[static_cast<std::size_t>(accel - 1)].value, "12.50");
    EXPECT_EQ(doc->view().editBox, EditBox::None);
    EXPECT_TRUE(doc->view().modified);
    EXPECT_EQ(doc->view().maximum, "300.00") << "the fields are read again";
    // The file itself is untouched until it is saved.
    EXPECT_EQ(stored(parFile, 0x0013), 1000);

    // Hexadecimal entry: a sign is invalid.
    doc->selectRow(rowOf(*doc, "14"), true);
    EXPECT_EQ(doc->view().editBox, EditBox::Hexadecimal);
    doc->editTextChanged("-5");
    auto invalid = doc->update();
    ASSERT_EQ(invalid.notices.size(), 1u);
    EXPECT_EQ(invalid.notices[0].text, "Invalid Value !");
    EXPECT_EQ(doc->view().editText, "00FF");

    // Escape drops the edit.
    doc->editTextChanged("0001");
    doc->cancelEdit();
    EXPECT_FALSE(doc->view().updateEnabled);
    EXPECT_EQ(doc->view().editBox, EditBox::None);
}

TEST_F(TervikDoc, ClosingAModifiedFileListAsksAndCarriesOutTheAnswer)
{
    const CloseOptionsDialog noDialog = [](const std::string&, bool) {
        ADD_FAILURE() << "a file list has no close-options dialog";
        return CloseAction::Keep;
    };
    auto doc = openParChanged();
    ASSERT_TRUE(doc);
    ASSERT_TRUE(doc->modified());
    const char* question = "Value of some parameter(s) were changed.\nWould you like them to be saved to the file ?";

    messages.expect(question, MsgIcon::Question, MsgAnswer::Cancel);
    EXPECT_EQ(doc->close(noDialog), CloseAction::Keep);
    EXPECT_TRUE(doc->modified());

    // The file cannot take the save: the list stays open with its values.
    const std::string saved = readBytes(parFile);
    install.write("parameter/motor.par", "cut");
    messages.expect(question, MsgIcon::Question, MsgAnswer::Yes);
    messages.expect("The file could not be written :\n" + parFile, MsgIcon::Stop);
    EXPECT_EQ(doc->close(noDialog), CloseAction::Keep);
    EXPECT_TRUE(doc->modified());
    EXPECT_TRUE(exists(doc->workPath()));

    install.write("parameter/motor.par", saved);
    messages.expect(question, MsgIcon::Question, MsgAnswer::Yes);
    messages.expect("LIST  A  -->  " + parFile, MsgIcon::None);
    EXPECT_EQ(doc->close(noDialog), CloseAction::SaveToFile);
    EXPECT_EQ(stored(parFile, 0x0013), 2000);
}

TEST_F(TervikDoc, AnswerNoClosesWithoutTouchingTheFile)
{
    auto doc = openParChanged();
    ASSERT_TRUE(doc);
    const std::string before = readBytes(parFile);
    messages.expect("Value of some parameter(s) were changed.\nWould you like them to be saved to the file ?",
                    MsgIcon::Question, MsgAnswer::No);
    EXPECT_EQ(doc->close({}), CloseAction::StoreNothing);
    EXPECT_EQ(readBytes(parFile), before);
}

TEST_F(TervikDoc, AnOnlineListReadsAndWritesThroughTheLink)
{
    ScriptedDrive drive;
    drive.replies["0013"] = {"0013", "07D0"};
    drive.replies["00AC"] = {"00AC", "0000"};
    auto doc = openOnline(drive);
    EXPECT_EQ(state().windowPresence[3], '1');
    EXPECT_EQ(doc->view().closeText, "Close Parameter List");
    EXPECT_TRUE(doc->view().faultHistoryEnabled);
    EXPECT_EQ(doc->view().windowTitle, "LIST  A -- Addr. 3 Pump");
    showTab(*doc, "Gr 1");
    const int accel = rowOf(*doc, "13");

    // The click reads the drive's value into the row and the working file.
    doc->selectRow(accel, true);
    EXPECT_EQ(drive.sent, (std::vector<std::string>{"R0013"}));
    EXPECT_EQ(doc->view().rows[static_cast<std::size_t>(accel - 1)].value, "20.00");
    EXPECT_EQ(stored(doc->workPath(), 0x0013, 0), 2000);
    EXPECT_EQ(state().currentAddress, "3");
    EXPECT_FALSE(state().operationInProgress);

    doc->editTextChanged("12.34");
    drive.sent.clear();
    EXPECT_FALSE(doc->noticeBeforeUpdate());
    EXPECT_TRUE(doc->update().notices.empty());
    EXPECT_EQ(drive.sent, (std::vector<std::string>{"R00AC", "W001304D2", "R00AC"}));
    EXPECT_EQ(stored(doc->workPath(), 0x0013, 0), 1234);
    EXPECT_TRUE(doc->modified());

    // A refused write leaves the drive's old value in the list.
    doc->selectRow(accel, true);
    drive.acknowledge = false;
    doc->editTextChanged("15");
    EXPECT_TRUE(doc->update().notices.empty());
    EXPECT_EQ(doc->view().editText, "20.00");
    EXPECT_EQ(stored(doc->workPath(), 0x0013, 0), 2000);

    // While another operation holds the line a click reads nothing, but a
    // download waits for the port and goes out.
    drive.acknowledge = true;
    drive.sent.clear();
    state().operationInProgress = true;
    EXPECT_TRUE(doc->selectRow(accel, true).empty());
    EXPECT_TRUE(drive.sent.empty());
    state().operationInProgress = false;
    doc->selectRow(accel, true);
    drive.sent.clear();
    state().operationInProgress = true;
    doc->editTextChanged("15");
    EXPECT_TRUE(doc->update().notices.empty());
    EXPECT_EQ(drive.sent, (std::vector<std::string>{"R00AC", "W001305DC", "R00AC"}));
    EXPECT_EQ(stored(doc->workPath(), 0x0013, 0), 1500);
    EXPECT_FALSE(state().operationInProgress);

    // A drive that stopped answering.
    drive.replies.erase("0013");
    const auto lost = doc->selectRow(accel, true);
    ASSERT_EQ(lost.size(), 1u);
    EXPECT_EQ(lost[0], (platform::Notice{"Connection to the device is lost !", MsgIcon::Stop}));
    EXPECT_EQ(doc->view().editBox, EditBox::None);

    doc.reset();
    EXPECT_EQ(state().windowPresence[3], '0');
}

TEST_F(TervikDoc, ChangingTheParameterSetWarnsFirstAndShowsTheNewSet)
{
    ScriptedDrive drive;
    drive.replies["00E9"] = {"00E9", "0001"};
    drive.replies["00AC"] = {"00AC", "0000"};
    auto doc = openOnline(drive);
    showTab(*doc, "Gr E");
    doc->selectRow(rowOf(*doc, "E9"), true);
    // A set the checks refuse gets their message only, and nothing is sent.
    for (const char* refused : {"4", "x"}) {
        doc->editTextChanged(refused);
        EXPECT_FALSE(doc->noticeBeforeUpdate()) << refused;
        drive.sent.clear();
        const auto r = doc->update();
        ASSERT_EQ(r.notices.size(), 1u) << refused;
        EXPECT_TRUE(drive.sent.empty());
        EXPECT_EQ(doc->view().parameterSet, "1");
    }
    doc->editTextChanged("2");
    const auto before = doc->noticeBeforeUpdate();
    ASSERT_TRUE(before);
    EXPECT_EQ(before->text, "This will change the whole parameter set in the connected inverter.");
    const auto r = doc->update();
    EXPECT_EQ(r.warmUpTitle, "Parameter Set Changed");
    EXPECT_FALSE(r.warmUp);
    EXPECT_EQ(doc->view().parameterSet, "2");
}

TEST_F(TervikDoc, ClosingAnOnlineListCarriesOutTheChosenAction)
{
    ScriptedDrive drive;
    drive.replies["0013"] = {"0013", "07D0"};
    drive.replies["00AC"] = {"00AC", "0000"};
    auto doc = openOnline(drive);
    int downloads = 0;
    bool downloadWorks = false;
    doc->setOnlineSide(OnlineSide{&drive, nullptr, {}, [&] {
                                      ++downloads;
                                      return downloadWorks;
                                  }, {}});
    showTab(*doc, "Gr 1");
    doc->selectRow(rowOf(*doc, "13"), true);
    doc->editTextChanged("15");
    doc->update();
    bool savingOffered = true;
    const CloseOptionsDialog download = [&](const std::string&, bool saving) {
        savingOffered = saving;
        return CloseAction::Download;
    };
    // A download that fails keeps the list and its values.
    EXPECT_EQ(doc->close(download), CloseAction::Keep);
    EXPECT_FALSE(savingOffered) << "a list never saved offers no saving choices";
    EXPECT_TRUE(doc->modified());
    downloadWorks = true;
    EXPECT_EQ(doc->close(download), CloseAction::Download);
    EXPECT_EQ(downloads, 2);
    EXPECT_EQ(state().windowPresence[3], '0');
    EXPECT_TRUE(state().currentAddress.empty());
}
