// Save and Save As of list windows, and the keypad-change check that runs
// before an online list is saved.
#include "FilesTesting.h"
#include "ListFixture.h"

#include <kestrel/core/KeypadChange.h>
#include <kestrel/core/ListSaver.h>

#include <unistd.h>

using namespace kestrel;
using namespace kestrel::testing;
using platform::MsgAnswer;
using platform::MsgIcon;

namespace {

class ParFileSave : public CatalogueTest {
protected:
    Dialogs dialogs;
    int keypadChecks = 0;
    KeypadCheck keypad = [this] { ++keypadChecks; };

    ListDocument online()
    {
        ListDocument d;
        d.kind = ListKind::Online;
        d.installDir = install.path();
        d.workPath = install.write("parameter/List-3.~pa", body);
        d.address = "3";
        d.deviceName = "Pump";
        d.listTitle = "LIST  A";
        d.versionText = "A12.34";
        d.modified = true;
        return d;
    }
    // Save As of the online list into parameter/motor.par.
    std::string saveAsMotor(ListDocument& doc, bool throughSave)
    {
        const std::string target = install.file("parameter/motor.par");
        dialogs.answer(target);
        messages.expect("LIST  A -->  " + target, MsgIcon::None);
        EXPECT_EQ(throughSave ? saveList(doc, keypad) : saveListAs(doc, keypad), SaveResult::Saved);
        return target;
    }
};

}  // namespace

TEST_F(ParFileSave, FirstSaveOfAnOnlineListGoesToSaveAs)
{
    ListDocument doc = online();
    const std::string target = saveAsMotor(doc, true);

    const std::string saved = readBytes(target);
    EXPECT_EQ(saved.size(), 44 + 10 * cat.size() + 6);
    expectGolden("online_saved.par", saved);
    EXPECT_EQ(keypadChecks, 1);
    EXPECT_FALSE(doc.modified);
    EXPECT_EQ(doc.filePath, target);
    // The working file moved next to the new file.
    EXPECT_EQ(doc.workPath, install.file("parameter/motor.~pa"));
    EXPECT_EQ(readBytes(doc.workPath), body);
    EXPECT_FALSE(exists(install.file("parameter/List-3.~pa")));
    EXPECT_EQ(doc.windowTitle, "LIST  A -- Addr. 3 Pump -- " + target);
    ASSERT_EQ(dialogs.requests.size(), 1u);
    EXPECT_TRUE(dialogs.requests[0].save);
    EXPECT_EQ(dialogs.requests[0].fileName, "*.par");
}

TEST_F(ParFileSave, SaveWritesOnlyFromOffset44)
{
    ListDocument doc = online();
    const std::string target = saveAsMotor(doc, false);
    ASSERT_TRUE(CWorkFile(doc.workPath).writeValue(0x0013, 0x3034));
    doc.versionText = "A99.99";  // the header keeps what Save As wrote
    doc.modified = true;

    messages.expect("LIST  A  -->  " + target, MsgIcon::None);
    ASSERT_EQ(saveList(doc, keypad), SaveResult::Saved);
    const std::string saved = readBytes(target);
    EXPECT_EQ(saved.substr(0, 44), listHeader("12.34"));
    EXPECT_EQ(saved.substr(44, saved.size() - 50), readBytes(doc.workPath));
    EXPECT_EQ(saved.substr(44 + 5 * 10, 10), "00133034\r\n");
    EXPECT_EQ(saved.size(), 44 + 10 * cat.size() + 6);
    EXPECT_EQ(keypadChecks, 2);
    EXPECT_FALSE(doc.modified);
}

TEST_F(ParFileSave, SaveReplacesTheFileAsAWholeNeverInPlace)
{
    ListDocument doc = online();
    const std::string target = saveAsMotor(doc, false);
    const std::string before = readBytes(target);
    // A second name of the stored file sees any write made in place.
    const std::string snapshot = install.file("parameter/snapshot");
    ASSERT_EQ(::link(target.c_str(), snapshot.c_str()), 0);
    ASSERT_TRUE(CWorkFile(doc.workPath).writeValue(0x0013, 0x3034));

    messages.expect("LIST  A  -->  " + target, MsgIcon::None);
    ASSERT_EQ(saveList(doc, keypad), SaveResult::Saved);
    EXPECT_EQ(readBytes(snapshot), before);
    EXPECT_EQ(readBytes(target).substr(44 + 5 * 10, 10), "00133034\r\n");

    // A file that lost its header cannot be saved into; it stays as it is.
    install.write("parameter/motor.par", "cut");
    doc.modified = true;
    messages.expect("The file could not be written :\n" + target, MsgIcon::Stop);
    EXPECT_EQ(saveList(doc, keypad), SaveResult::Failed);
    EXPECT_EQ(readBytes(target), "cut");
    EXPECT_TRUE(doc.modified);
}

TEST_F(ParFileSave, SaveAsRefusesAFileOpenInAnotherWindow)
{
    ListDocument doc = online();
    const std::string other = install.write("parameter/other.par", "keep me");
    install.write("parameter/other.~pa", "open elsewhere");
    dialogs.answer(other);
    messages.expect("You are already connected to this file !", MsgIcon::Information);
    EXPECT_EQ(saveListAs(doc, keypad), SaveResult::Cancelled);
    EXPECT_EQ(readBytes(other), "keep me");
    EXPECT_EQ(readBytes(install.file("parameter/other.~pa")), "open elsewhere");
    EXPECT_EQ(doc.workPath, install.file("parameter/List-3.~pa"));
    EXPECT_EQ(keypadChecks, 0);
}

TEST_F(ParFileSave, SaveAsAsksBeforeOverwriting)
{
    ListDocument doc = online();
    const std::string other = install.write("parameter/other.par", "keep me");
    dialogs.answer(other).answer(other);
    messages.expect("A file of this name already exists. Overwrite ?", MsgIcon::Question, MsgAnswer::No);
    EXPECT_EQ(saveListAs(doc, keypad), SaveResult::Cancelled);
    EXPECT_EQ(readBytes(other), "keep me");
    messages.expect("A file of this name already exists. Overwrite ?", MsgIcon::Question, MsgAnswer::Yes);
    messages.expect("LIST  A -->  " + other, MsgIcon::None);
    EXPECT_EQ(saveListAs(doc, keypad), SaveResult::Saved);
    EXPECT_EQ(readBytes(other), listFileBytes("12.34", body));
}

TEST_F(ParFileSave, SaveAsOfAFileListToItsOwnPathAndToANewOne)
{
    const std::string path = install.write("custom/pump.ctm", listFileBytes("12.34", "00E404D2\r\n"));
    ListDocument doc;
    doc.kind = ListKind::CustomList;
    doc.installDir = install.path();
    doc.filePath = path;
    doc.workPath = install.write("custom/pump.~ct", "00E404D2\r\n00E90002\r\n");
    doc.listTitle = "CUSTOM LIST  B";
    doc.versionText = "A12.34";

    dialogs.answer(path);
    messages.expect("CUSTOM LIST  B -->  " + path, MsgIcon::None);
    EXPECT_EQ(saveListAs(doc, keypad), SaveResult::Saved);
    EXPECT_EQ(readBytes(path), listFileBytes("12.34", "00E404D2\r\n00E90002\r\n"));
    EXPECT_EQ(doc.windowTitle, "CUSTOM LIST  B -- " + path);

    const std::string copy = install.file("custom/copy.ctm");
    dialogs.answer(copy);
    messages.expect("CUSTOM LIST  B -->  " + copy, MsgIcon::None);
    EXPECT_EQ(saveListAs(doc, keypad), SaveResult::Saved);
    EXPECT_EQ(doc.workPath, install.file("custom/copy.~ct"));
    EXPECT_EQ(doc.windowTitle, "CUSTOM LIST  B -- " + copy);
    EXPECT_EQ(dialogs.requests[0].filter, "CTM Files(*.ctm) | *.ctm||");
    EXPECT_EQ(dialogs.requests[0].directory, install.file("custom"));
    EXPECT_EQ(keypadChecks, 0);  // only online lists ask the drive
}

TEST_F(ParFileSave, AFailedWriteIsNotReportedAsSaved)
{
    ListDocument doc = online();
    const std::string target = install.file("parameter/missing-dir/motor.par");
    dialogs.answer(target);
    messages.expect("The file could not be written :\n" + target, MsgIcon::Stop);
    EXPECT_EQ(saveListAs(doc, keypad), SaveResult::Failed);
    EXPECT_TRUE(doc.modified);
    EXPECT_TRUE(doc.filePath.empty());
    EXPECT_EQ(doc.workPath, install.file("parameter/List-3.~pa"));
}

namespace {

class KeypadChangeCheck : public ::testing::Test {
protected:
    Install install;
    Messages messages;
    ScriptedDrive drive;
    CWorkFile work{install.write("parameter/List-3.~pa", fullWorkBytes(catalogue1234()))};
    std::string before = readBytes(work.path());

    void reply(const char* number, const char* value) { drive.replies["FFFC"] = {number, value}; }
};

const char* kSeveral = "Device Address : 3\n\nMore than one parameters were changed in this device through the "
                       "keypad.\nWould you like to upload the latest parameter values from the device now ?";
const char* kUpdate = "This will update the parameter file with the latest parameter values from the selected "
                      "inverter. Would you like to continue ?";

}  // namespace

TEST_F(KeypadChangeCheck, NoAnswerIsReportedAndTheSaveGoesOn)
{
    messages.expect("The device was found disconnected from the network. !", MsgIcon::Stop);
    EXPECT_EQ(keypadChangeCheck(drive, "3", work), KeypadFollowUp::None);
    EXPECT_EQ(drive.sent, std::vector<std::string>{"RFFFC"});
}

TEST_F(KeypadChangeCheck, NothingChanged)
{
    for (const char* n : {"0000", "FFFC"}) {
        reply(n, "0000");
        EXPECT_EQ(keypadChangeCheck(drive, "3", work), KeypadFollowUp::None);
    }
    EXPECT_EQ(readBytes(work.path()), before);
}

TEST_F(KeypadChangeCheck, SeveralChangesLeadToAnUploadWhenTheUserAgrees)
{
    reply("FFFB", "0000");
    messages.expect(kSeveral, MsgIcon::None, MsgAnswer::Yes).expect(kUpdate, MsgIcon::Question, MsgAnswer::Yes);
    EXPECT_EQ(keypadChangeCheck(drive, "3", work), KeypadFollowUp::Upload);
    messages.expect(kSeveral, MsgIcon::None, MsgAnswer::Yes).expect(kUpdate, MsgIcon::Question, MsgAnswer::No);
    EXPECT_EQ(keypadChangeCheck(drive, "3", work), KeypadFollowUp::None);
    messages.expect(kSeveral, MsgIcon::None, MsgAnswer::No);
    EXPECT_EQ(keypadChangeCheck(drive, "3", work), KeypadFollowUp::None);
}

TEST_F(KeypadChangeCheck, OneChangedValueGoesIntoTheWorkingFileOnYes)
{
    reply("0013", "0BB8");
    const std::string q = "Value of parameter 0013 was changed from the keypad !\n\nDo you want to save it to this list?";
    messages.expect(q, MsgIcon::None, MsgAnswer::No);
    keypadChangeCheck(drive, "3", work);
    EXPECT_EQ(readBytes(work.path()), before);
    messages.expect(q, MsgIcon::None, MsgAnswer::Yes);
    EXPECT_EQ(keypadChangeCheck(drive, "3", work), KeypadFollowUp::None);
    EXPECT_EQ(work.findValue(0x0013), 0x0BB8);
}
