// Merlin's logic pieces against simulated drives: the network examination,
// bulk transfers with the password lock, the keypad, the fault list and the
// compare, each through a link into the drive model.
#include <merlin/core/CBulkTransfer.h>
#include <merlin/core/CCompare.h>
#include <merlin/core/CFaultList.h>
#include <merlin/core/CKeypadControl.h>
#include <merlin/core/CNetworkExamination.h>
#include <merlin/core/DeviceChoice.h>
#include <sim/modbusdrive/MerlinDriveLoader.h>
#include <sim/modbusdrive/MerlinDriveModel.h>
#include <sim/modbusdrive/SlaveLink.h>

#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

#include <filesystem>

using namespace merlin;

namespace {

const std::filesystem::path kProgramDir = std::filesystem::path(sim::defaultDefinitionDirectory()).parent_path();
constexpr const char* kNormal = "LM3_Normal_V3.dpf";
constexpr const char* kSequencer = "LM3 Dorrin_Sequencer_V12.dpf";

struct MerlinNetwork : ::testing::Test {
    void addDrive(uint8_t unit, const std::string& file, uint16_t password = 0)
    {
        std::string error;
        auto drive = sim::loadDrive(sim::defaultDefinitionDirectory(), file, password, error);
        ASSERT_TRUE(drive) << error;
        model.addDrive(unit, std::move(drive));
    }
    void document(CDpfParSet& set, const std::string& file)
    {
        set.SetProgramDirectory(kProgramDir);
        set.SetTrace(nullptr);
        ASSERT_EQ(set.LoadDefinition(file), kLoadOk);
    }
    static int run(CBulkTransfer& transfer)
    {
        int result;
        while ((result = transfer.step()) == 1) {
        }
        return result;
    }
    uint16_t driveValue(uint8_t unit, int offset)
    {
        uint16_t value = 0;
        model.withDrive(unit, [&](sim::MerlinDrive& d) { value = d.value(offset); });
        return value;
    }

    sim::MerlinDriveModel model;
    sim::SlaveLink link{model};
};

}  // namespace

TEST_F(MerlinNetwork, ExaminationFindsTheDrivesAndNamesTheirDefinitionFiles)
{
    addDrive(5, kNormal);
    addDrive(7, kSequencer);
    platform::testing::TempDir install;
    CDeviceTable table;
    CNetworkExamination exam(link, table, install.path());
    exam.start();
    int result;
    while ((result = exam.step()) == 1) {
    }
    EXPECT_EQ(result, kEndDone);
    EXPECT_TRUE(exam.finish(result).empty());

    const auto rows = table.presentRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].deviceType, "LM3");
    EXPECT_EQ(rows[0].application, "Normal V3");
    EXPECT_EQ(rows[1].deviceType, "LM3 Dorrin");
    EXPECT_EQ(rows[1].application, "Sequencer V12");
    for (const auto& row : rows) {
        const DeviceChoice choice = chooseDevice(table, row.station, 0);
        EXPECT_TRUE(std::filesystem::exists(kProgramDir / "DeviceData" / choice.definitionFile))
            << choice.definitionFile;
    }
    EXPECT_EQ(chooseDevice(table, 5, 0).definitionFile, kNormal);
}

TEST_F(MerlinNetwork, DownloadThenUploadGivesBackTheDocument)
{
    addDrive(5, kNormal);
    link.OpenLink();
    CDpfParSet doc;
    document(doc, kNormal);
    // Every writable numeric parameter one step above its minimum.
    std::vector<int> changed;
    for (int k = 0; k < doc.Count(); ++k) {
        const CPar& par = doc.At(k);
        const int offset = par.RegisterOffset();
        if (par.access == 0 && !par.IsChoice() && par.max > par.min && offset != 201 && offset != 202 && offset < 290) {
            doc.SetValueAt(k, par.min + 1);
            changed.push_back(k);
        }
    }
    ASSERT_GT(changed.size(), 20u);

    CBulkTransfer download(TransferDirection::Download, link, 5, doc);
    download.start(0);
    EXPECT_EQ(run(download), kEndDone);
    EXPECT_TRUE(download.failures().empty()) << download.failures().front().name;

    CDpfParSet fresh;
    document(fresh, kNormal);
    CBulkTransfer upload(TransferDirection::Upload, link, 5, fresh);
    upload.start(0);
    EXPECT_EQ(run(upload), kEndDone);
    EXPECT_TRUE(upload.failures().empty());
    for (int k : changed)
        EXPECT_EQ(fresh.ValueAt(k), doc.ValueAt(k)) << doc.NameAt(k);

    // What came back differs from the factory defaults exactly where it was changed.
    EXPECT_GE(CCompare::compare(fresh, nullptr, false).size(), changed.size());
}

TEST_F(MerlinNetwork, LockedDriveAsksForThePasswordAndTakesTheDownloadAfterIt)
{
    addDrive(5, kNormal, 4711);
    link.OpenLink();
    CDpfParSet doc;
    document(doc, kNormal);
    CBulkTransfer download(TransferDirection::Download, link, 5, doc);
    download.start(0);
    EXPECT_EQ(run(download), kEndPasswordNeeded);
    EXPECT_EQ(download.errorCount(), 11);
    EXPECT_EQ(download.failures().back().result, kLinkWriteRefused);

    download.restart(4711, 0);
    EXPECT_EQ(run(download), kEndDone);
    EXPECT_EQ(download.errorCount(), 0);
    uint16_t word = 0;
    model.withDrive(5, [&](sim::MerlinDrive& d) { word = d.locked(); });
    EXPECT_EQ(word, 0);
}

TEST_F(MerlinNetwork, KeypadRunsTheDriveAndResetsItsFault)
{
    addDrive(3, kSequencer);
    link.OpenLink();
    CKeypadControl keypad(link, 3);
    ASSERT_EQ(keypad.selectSource(SpeedSource::Ext1), 0);
    ASSERT_EQ(keypad.forward(), 0);
    keypad.setSpeed(49.5f);
    ASSERT_EQ(keypad.changeSpeed(SpeedChange::Inc), 0);
    EXPECT_EQ(driveValue(3, 203), 5050);
    for (int i = 0; i < 4; ++i)
        ASSERT_EQ(keypad.pollNext().result, 0);
    EXPECT_EQ(keypad.statusWord1() & 0x0002, 0x0002) << "running";
    EXPECT_EQ(keypad.enableText(), "EN On");

    model.withDrive(3, [](sim::MerlinDrive& d) { d.raiseFault(3); });
    ASSERT_EQ(keypad.errorReset(), 0);
    bool faulted = true;
    model.withDrive(3, [&](sim::MerlinDrive& d) { faulted = d.faulted(); });
    EXPECT_FALSE(faulted);
    EXPECT_EQ(driveValue(3, 201) & 0x8000, 0);
}

TEST_F(MerlinNetwork, FaultListShowsTheDrivesFaults)
{
    addDrive(4, kNormal);
    link.OpenLink();
    CDpfParSet doc;
    document(doc, kNormal);
    model.withDrive(4, [](sim::MerlinDrive& d) { d.raiseFault(1); });
    model.withDrive(4, [](sim::MerlinDrive& d) { d.raiseFault(2); });
    const auto rows = CFaultList::read(doc, link, 4);
    ASSERT_EQ(rows.size(), doc.ActiveFaults().size() + doc.FaultHistory().size());
    const auto& codes = doc.FaultCodeTable();
    EXPECT_EQ(rows[0].message, codes[2].text);
    EXPECT_EQ(rows[0].type, "Active Fault 1");
    const size_t history = doc.ActiveFaults().size();
    EXPECT_EQ(rows[history].type, "Fault History 1");
    EXPECT_EQ(rows[history].message, codes[2].text);
    EXPECT_EQ(rows[history + 1].message, codes[1].text);
    EXPECT_EQ(rows[history + 2].faultNumber, std::to_string(codes[0].code)) << "an empty register is code 0";
}
