#include "DpfTestSupport.h"
#include "SmallDefinition.h"

#include <merlin/core/CustomList.h>
#include <merlin/core/MerlinState.h>
#include <merlin/core/ParameterView.h>
#include <merlin/testing/CFakeLink.h>

#include <gtest/gtest.h>

using namespace merlin;
using platform::MsgIcon;
using platform::Notice;

namespace {

// Group 1 "Motor": Speed (40203, 2 decimals), Accel time (40104), Mode
// (choice 40105); group 2 "Drive": Password (40298), Hours (read-only), and
// three read-only fault registers. Drive at station 5 has the same values
// as the definition's defaults unless a test changes them.
class ParameterViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        state().reset();
        definitions.load(set);
        link.addStation(5);
        for (int k = 0; k < set.Count(); ++k)
            link.setRegister(5, set.RegisterOffsetAt(k), rawToRegister(set.At(k).defaultValue));
    }
    void TearDown() override { state().reset(); }

    static ParameterView::Identification drive() { return {8, 1, 3, "Pump 5"}; }
    std::vector<CFakeLink::Call> reads() const
    {
        std::vector<CFakeLink::Call> out;
        for (const auto& call : link.calls())
            if (call.kind == CFakeLink::Call::Kind::Read)
                out.push_back(call);
        return out;
    }

    // A set built from a definition of the test's own, online with station 5.
    CDpfParSet& ownSet(const std::string& text)
    {
        own.write("DeviceData/own.dpf", text);
        ownSet_ = CDpfParSet(own.path());
        ownSet_.SetTrace(nullptr);
        EXPECT_EQ(ownSet_.LoadDefinition("own.dpf"), kLoadOk);
        return ownSet_;
    }

    merlin::testing::DefinitionDir definitions;
    CDpfParSet set;
    CFakeLink link;
    bool modified = false;
    platform::testing::TempDir own;
    CDpfParSet ownSet_;
};

}  // namespace

TEST_F(ParameterViewTest, GroupPageShowsRowsWithValueTextsAndKeepsPasswordsSecret)
{
    set.SetValueAt(set.FlatIndex(1, 0), 1234);  // password
    ParameterView view(set, link, "DevPar1", modified);
    view.Show();
    const auto& v = view.view();
    EXPECT_EQ(v.tabs, (std::vector<std::string>{"Motor", "Drive"}));
    EXPECT_EQ(v.groupTitle, " 1:  Motor (3)");
    ASSERT_EQ(v.rows.size(), 16u);
    EXPECT_EQ(v.rows[0].cells, (std::array<std::string, 5>{"203", "Speed", "50.00", "Hz", "0"}));
    EXPECT_EQ(v.rows[2].cells[2], "On");  // choice text of the value
    EXPECT_EQ(v.rows[2].cells[3], "");
    EXPECT_EQ(v.rows[3].cells[0], "");       // padding row
    EXPECT_EQ(v.softwareVersion, "LM3 Normal V3");

    view.SelectGroup(1);
    EXPECT_EQ(view.view().rows[0].cells[2], "****");
    EXPECT_EQ(view.view().rows[1].cells[4], "1");
    state().debug = true;
    view.Refresh();
    EXPECT_EQ(view.view().rows[0].cells[2], "1234");
}

TEST_F(ParameterViewTest, FilterHidesSelectedDefaultAndReadOnlyParameters)
{
    set.SetSelectionFlags(0, 0, kSelHidden);
    ParameterView view(set, link, "DevPar1", modified);
    view.Show();
    EXPECT_EQ(view.view().rows[0].cells[1], "Speed");  // filter off: all shown
    view.ToggleFilter();
    EXPECT_TRUE(view.view().filterActive);
    EXPECT_EQ(set.ViewFlags() & kFilterActive, kFilterActive);
    EXPECT_EQ(view.view().groupTitle, " 1:  Motor (2 of 3)");
    EXPECT_EQ(view.view().rows[0].cells[1], "Accel time");

    // Everything at its default and both switches on: an empty page.
    CustomList list(set);
    list.hideDefaults = true;
    list.hideReadOnly = true;
    list.accept();
    view.Refresh();
    EXPECT_EQ(view.view().groupTitle, " 1:  Motor (0 of 3)");
    EXPECT_EQ(view.view().rows.size(), 16u);
    EXPECT_EQ(view.ShownParameter(0), -1);
    EXPECT_EQ(view.Tick(true), -1);  // nothing to scan: the timer keeps its period

    set.SetValue(0, 1, 45);  // no longer at its default
    view.Refresh();
    EXPECT_EQ(view.view().groupTitle, " 1:  Motor (1 of 3)");
    view.SelectGroup(1);     // hours and faults are read-only, the password at default
    EXPECT_EQ(view.view().groupTitle, " 2:  Drive (0 of 5)");
}

TEST_F(ParameterViewTest, SelectingARowPaintsItAndShowsTheDetails)
{
    ParameterView view(set, link, "DevPar1", modified);
    view.Show();
    view.SelectRow(2);
    const auto& v = view.view();
    EXPECT_EQ(v.rows[2].colour, ParameterView::kLightYellow);
    EXPECT_EQ(v.choices, (std::vector<std::string>{"Off", "On  (default)", "Auto"}));
    EXPECT_EQ(v.choiceIndex, 1);
    EXPECT_EQ(v.editState, ParameterView::EditState::Choice);
    EXPECT_TRUE(v.choiceEntryVisible);
    EXPECT_FALSE(v.numericEntryVisible);

    view.SelectRow(0);
    EXPECT_EQ(v.rows[2].colour, ParameterView::kWhite);
    EXPECT_EQ(v.rows[0].colour, ParameterView::kLightYellow);
    EXPECT_EQ(v.minimum, "0.00");
    EXPECT_EQ(v.maximum, "325.00");
    EXPECT_EQ(v.unit, "Hz");
    EXPECT_EQ(v.defaultText, "50.00");
    EXPECT_EQ(v.editState, ParameterView::EditState::Numeric);

    view.SelectGroup(1);
    view.SelectRow(1);
    EXPECT_EQ(view.view().editState, ParameterView::EditState::None);
}

TEST_F(ParameterViewTest, OfflineEntriesAreCheckedAgainstTheLimits)
{
    platform::testing::ScriptedResponder messages(merlin::testing::FailTest());
    ParameterView view(set, link, "DevPar1", modified);
    view.Show();

    view.BeginEdit(0);
    EXPECT_EQ(view.view().entryPrompt, "Enter  DECIMAL value");
    EXPECT_EQ(view.view().entryText, "50.00");
    EXPECT_TRUE(view.view().entrySelectAll);
    EXPECT_TRUE(view.ConfirmNumeric("12.341").empty());
    EXPECT_EQ(set.Value(0, 0), 1235);
    EXPECT_EQ(view.view().rows[0].cells[2], "12.35");
    EXPECT_TRUE(modified);
    EXPECT_FALSE(view.view().editing);

    modified = false;
    view.BeginEdit(0);
    EXPECT_EQ(view.ConfirmNumeric("400"), (std::vector<Notice>{{"Value exceeds upper limit", MsgIcon::Exclamation}}));
    view.BeginEdit(1);
    EXPECT_EQ(view.ConfirmNumeric("0"), (std::vector<Notice>{{"Value is below lower limit", MsgIcon::Exclamation}}));
    EXPECT_EQ(set.Value(0, 0), 1235);
    EXPECT_EQ(set.Value(0, 1), 30);
    // A refused entry was still confirmed: closing the list asks first.
    EXPECT_TRUE(modified);

    view.BeginEdit(2);
    EXPECT_TRUE(view.ConfirmChoice(0).empty());
    EXPECT_EQ(set.Value(0, 2), 0);
    EXPECT_EQ(view.view().rows[2].cells[2], "Off");

    view.SelectGroup(1);
    // A read-only row: no entry and no message box.
    EXPECT_TRUE(view.BeginEdit(1).empty());
    EXPECT_EQ(view.view().editState, ParameterView::EditState::None);
    EXPECT_FALSE(view.view().editing);
    EXPECT_FALSE(view.view().updateEnabled);
    EXPECT_TRUE(link.calls().empty());
}

TEST_F(ParameterViewTest, GoingOnlineChecksTheDriveAndTitlesTheView)
{
    ParameterView view(set, link, "DevPar1", modified);
    view.Show();
    auto conflict = drive();
    conflict.version = 4;
    EXPECT_EQ(view.GoOnline(5, conflict), (std::vector<Notice>{{"Conflict of type or application !", MsgIcon::Exclamation}}));
    EXPECT_EQ(view.station(), -1);
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(view.view().title, "DevPar1");

    EXPECT_TRUE(view.GoOnline(5, drive()).empty());
    EXPECT_TRUE(link.isOpen());
    EXPECT_EQ(view.view().title, "DevPar1  - ONLINE (5)");
    EXPECT_EQ(view.view().driveName, "Pump 5");

    view.GoOffline();
    EXPECT_FALSE(link.isOpen());
    EXPECT_EQ(view.view().title, "DevPar1");
    EXPECT_EQ(view.view().driveName, "");

    link.setServerMissing(true);
    EXPECT_TRUE(view.GoOnline(5, drive()).empty());
    EXPECT_FALSE(view.online());
    EXPECT_EQ(view.view().title, "DevPar1");
}

TEST_F(ParameterViewTest, TheStationChosenInTheNetworkDialogTakesANewViewOnline)
{
    state().devices.setIdentification(5, 8, 1, 3);
    state().devices.setName(5, "Pump 5");
    state().selectedStation = 5;
    ParameterView view(set, link, "DevPar1", modified);
    EXPECT_TRUE(view.Show().empty());
    EXPECT_EQ(view.station(), 5);
    EXPECT_EQ(state().selectedStation, 0);
    EXPECT_EQ(view.view().driveName, "Pump 5");
}

TEST_F(ParameterViewTest, OnlineEditingReadsFirstAndWritesAfterConfirming)
{
    ParameterView view(set, link, "DevPar1", modified);
    view.Show();
    view.GoOnline(5, drive());
    link.setRegister(5, 203, 2000);
    view.BeginEdit(0);
    EXPECT_EQ(set.Value(0, 0), 2000);
    EXPECT_EQ(view.view().entryText, "20.00");
    EXPECT_EQ(view.view().rows[0].cells[2], "20.00");

    link.clearCalls();
    EXPECT_TRUE(view.ConfirmNumeric("25").empty());
    ASSERT_EQ(link.writes().size(), 1u);
    EXPECT_EQ(link.writes()[0].registerOffset, 203);
    EXPECT_EQ(link.writes()[0].value, 2500);
    EXPECT_EQ(link.registerValue(5, 203), 2500);

    // An entry the limits refuse sends nothing.
    link.clearCalls();
    view.BeginEdit(0);
    EXPECT_FALSE(view.ConfirmNumeric("999").empty());
    EXPECT_TRUE(link.writes().empty());

    // A drive that refuses the write: the user is told.
    link.setWriteResult(5, 104, kLinkWriteRefused);
    view.BeginEdit(1);
    EXPECT_EQ(view.ConfirmNumeric("12"), (std::vector<Notice>{{"Comm Error: 8201 33281", MsgIcon::Exclamation}}));
    EXPECT_EQ(view.view().deviceStatus, "Comm Error: 8201 33281");
}

TEST_F(ParameterViewTest, ProtectedRegisterIsNeverStoredOrSent)
{
    CDpfParSet& protectedSet = ownSet(
              "[Revision]\n1,8,'LM3'\n2,1,'Normal'\n3,3,'V3'\n\n[Strings]\n1,Safety\n2,Lock\n3,Off\n4,On\n\n"
              "[Groups]\n1,1,0,a,0,0\n\n[Parameters]\n1,2,1,0,1,1,0,40981,0\n\n[Parameter List]\n1,1,1\n\n"
              "[Enum]\n1,1,0,3\n2,1,1,4\n\n[End]\n");
    ParameterView view(protectedSet, link, "DevPar2", modified);
    view.Show();
    view.GoOnline(5, drive());
    link.setRegister(5, 981, 0);
    link.clearCalls();
    view.BeginEdit(0);
    EXPECT_EQ(view.ConfirmChoice(1),
              (std::vector<Notice>{{"This parameter is explicitly protected !", MsgIcon::Exclamation}}));
    EXPECT_TRUE(link.writes().empty());
    EXPECT_EQ(protectedSet.Value(0, 0), 0);
    EXPECT_FALSE(view.view().editing);
}

TEST_F(ParameterViewTest, ScanReadsOneShownRowPerTickAndPacesItself)
{
    ParameterView view(set, link, "DevPar1", modified);
    view.Show();
    EXPECT_EQ(view.Tick(true), ParameterView::kActiveScanMs);
    EXPECT_EQ(view.view().deviceStatus, "Scanning OFF !");
    EXPECT_TRUE(link.calls().empty());

    view.GoOnline(5, drive());
    link.setRegister(5, 203, 1000);
    EXPECT_EQ(view.Tick(true), 50);
    EXPECT_EQ(view.view().rows[0].cells[2], "10.00");
    EXPECT_EQ(view.view().deviceStatus, "Scanning ON !");
    EXPECT_EQ(view.view().position, "G1 / P1");
    EXPECT_EQ(view.Tick(true), 50);
    EXPECT_EQ(view.view().position, "G1 / P2");
    view.Tick(true);
    view.Tick(true);  // wraps to the first row
    ASSERT_EQ(reads().size(), 4u);
    EXPECT_EQ(reads()[3].registerOffset, 203);

    // A second view: inactive views wait 200 ms per open view.
    bool otherModified = false;
    CDpfParSet other = set;
    ParameterView second(other, link, "DevPar2", otherModified);
    EXPECT_EQ(view.Tick(false), 400);

    // A selected row that is not the scanned one keeps the position field.
    view.SelectRow(0);
    view.Tick(true);
    EXPECT_EQ(view.view().position, "G1 / P2");
    view.Tick(true);
    EXPECT_EQ(view.view().position, "G1 / P1");
}

TEST_F(ParameterViewTest, ScanReportsErrorsWithoutStoringAndRecovers)
{
    set.SetValue(0, 2, 0);
    ParameterView view(set, link, "DevPar1", modified);
    view.Show();
    view.GoOnline(5, drive());

    link.setReadResult(5, 203, kLinkTimeout);
    EXPECT_EQ(view.Tick(true), ParameterView::kCommErrorScanMs);
    EXPECT_EQ(view.view().deviceStatus, "Comm Error: 0201 513");
    EXPECT_EQ(set.Value(0, 0), 5000);

    link.setRegister(5, 104, 601);  // above the limit of Accel time
    EXPECT_EQ(view.Tick(true), 50);
    EXPECT_EQ(view.view().deviceStatus, "Parameter Error !");
    EXPECT_EQ(set.Value(0, 1), 30);

    link.setRegister(5, 105, 2);
    view.Tick(true);
    EXPECT_EQ(view.view().rows[2].cells[2], "Auto");
    EXPECT_EQ(view.view().deviceStatus, "Scanning ON !");

    link.setReadResult(5, 203, 0);
    link.setRegister(5, 203, 700);
    view.Tick(true);
    EXPECT_EQ(view.view().rows[0].cells[2], "7.00");
}

TEST_F(ParameterViewTest, ScanSkipsPasswordsTheEditedRowAndPausesForTransfers)
{
    ParameterView view(set, link, "DevPar1", modified);
    view.Show();
    view.GoOnline(5, drive());
    view.BeginEdit(0);
    link.clearCalls();
    view.Tick(true);                 // row 0 is being edited
    EXPECT_TRUE(reads().empty());
    EXPECT_EQ(view.scanPosition(), 1);
    view.CancelEdit();

    view.SelectGroup(1);
    link.clearCalls();
    view.Tick(true);                 // row 0 is the password register
    EXPECT_TRUE(reads().empty());

    {
        BusyScope busy;
        EXPECT_EQ(view.Tick(true), -1);
        EXPECT_EQ(view.scanPosition(), 1);
    }
    EXPECT_FALSE(state().transferBusy);
    view.Tick(true);
    ASSERT_EQ(reads().size(), 1u);
    EXPECT_EQ(reads()[0].registerOffset, 106);
}

TEST_F(ParameterViewTest, ValuesFromTheDriveUseTheRegisterAsRaw)
{
    // A choice parameter offering positions 2..4: the register holds the
    // raw value, not the position among the offered texts.
    CDpfParSet& choiceSet = ownSet(
              "[Revision]\n1,8,'LM3'\n2,1,'Normal'\n3,3,'V3'\n\n[Strings]\n1,G\n2,Ramp\n3,a\n4,b\n5,c\n6,d\n7,e\n8,Offset\n\n"
              "[Groups]\n1,1,0,a,0,0\n\n[Parameters]\n1,2,1,2,4,1,0,40107,2\n2,8,10,-100,100,0,0,40108,0\n\n"
              "[Parameter List]\n1,1,1\n2,1,2\n\n[Enum]\n1,1,0,3\n2,1,1,4\n3,1,2,5\n4,1,3,6\n5,1,4,7\n\n[End]\n");
    ParameterView view(choiceSet, link, "DevPar3", modified);
    view.Show();
    view.GoOnline(5, drive());
    link.setRegister(5, 107, 3);
    link.setRegister(5, 108, 0xFFFF);
    view.Tick(true);
    view.Tick(true);
    EXPECT_EQ(view.view().rows[0].cells[2], "d");
    EXPECT_EQ(choiceSet.Value(0, 0), 3);
    EXPECT_EQ(choiceSet.Value(0, 1), -1);
}

TEST(MerlinCustomList, ChecksFlipSelectionBitsAndOkStoresTheSwitches)
{
    merlin::testing::DefinitionDir definitions;
    CDpfParSet set;
    definitions.load(set);
    CustomList list(set);
    EXPECT_EQ(list.tabs(), (std::vector<std::string>{"Motor", "Drive"}));
    auto rows = list.rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].registerText, "203");
    EXPECT_EQ(rows[0].checked, (std::array<bool, 3>{true, true, true}));

    list.toggle(1, CustomList::Download);
    EXPECT_EQ(set.GetSelectionFlags(0, 1), kSelNoDownload);  // stored at once
    list.toggleGroup(CustomList::Download);  // not all checked: check them all
    EXPECT_EQ(set.GroupSelectionFlags(0), 0);
    EXPECT_EQ(set.GetSelectionFlags(0, 1), 0);
    list.toggleGroup(CustomList::Upload);    // all checked: clear them all
    EXPECT_EQ(set.GroupSelectionFlags(0), kSelNoUpload);
    EXPECT_EQ(set.GetSelectionFlags(1, 0), 0);  // other group untouched

    list.selectGroup(1);
    EXPECT_EQ(list.rows().size(), 5u);
    list.hideReadOnly = true;
    EXPECT_EQ(set.ViewFlags(), 0u);  // only OK stores the switches
    list.accept();
    EXPECT_EQ(set.ViewFlags(), kHideReadOnly);
}
