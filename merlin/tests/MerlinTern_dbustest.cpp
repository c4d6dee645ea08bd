// Merlin end to end: the program on a private session bus with the real link
// server, and simulated drives of two definitions on a pseudo-terminal that
// Tern reaches as COM2. The drives are served in this process so that a test
// can change a value at the drive or make it fall silent.
#include "MerlinTernWorld.h"

#include <merlin/core/MerlinState.h>
#include <merlin/link/CTernLink.h>
#include <merlin/ui/CFaultDlg.h>
#include <merlin/ui/CNetworkDlg.h>
#include <merlin/ui/CParameterFrame.h>
#include <merlin/ui/MerlinCommands.h>
#include <merlin/ui/MerlinProgram.h>
#include <shell/CMainFrame.h>
#include <shell/CShellApp.h>
#include <sim/modbusdrive/MerlinDriveLoader.h>
#include <sim/modbusdrive/MerlinDriveModel.h>
#include <tern/tests/ServerBusTesting.h>

#include <platform/FileDialog.h>
#include <platform/RegistryStore.h>
#include <platform/testing/ScriptedResponder.h>
#include <platform/testing/qt/ModalAnswerer.h>
#include <plumage/plumage.h>

#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>

#include <filesystem>

namespace merlin {
namespace {

using namespace tern::testkit;
using platform::MsgIcon;

const auto* const kWidgets = ::testing::AddGlobalTestEnvironment(new WidgetsEnvironment);
const auto* const kBus = ::testing::AddGlobalTestEnvironment(new TernBusEnvironment);

constexpr int kCom = 2;

// An LM3 Normal V3 drive at unit 1, an LT4 Vexal V2 drive at unit 2.
class Drives {
public:
    Drives() : runner_(model_)
    {
        const std::string dir = binDir() + "/DeviceData";
        std::string error;
        model_.addDrive(1, sim::loadDrive(dir, "LM3_Normal_V3.dpf", 0, error));
        model_.addDrive(2, sim::loadDrive(dir, "LT4_Vexal_V2.dpf", 0, error));
        ok_ = runner_.startPty(error) && platform::setComPortDevice(kCom, runner_.ptyPath());
    }
    bool ok() const { return ok_; }
    uint16_t value(int unit, int offset)
    {
        uint16_t v = 0;
        model_.withDrive(static_cast<uint8_t>(unit), [&](sim::MerlinDrive& d) { v = d.value(offset); });
        return v;
    }
    void setValue(int unit, int offset, uint16_t v)
    {
        model_.withDrive(static_cast<uint8_t>(unit), [&](sim::MerlinDrive& d) { d.setValue(offset, v); });
    }
    void raiseFault(int unit, uint16_t index)
    {
        model_.withDrive(static_cast<uint8_t>(unit), [&](sim::MerlinDrive& d) { d.raiseFault(index); });
    }
    sim::FaultInjector& faults() { return runner_.faults(); }

private:
    sim::MerlinDriveModel model_;
    sim::ModbusSlaveRunner runner_;
    bool ok_ = false;
};

QString cellOf(ui::CParameterFrame& doc, int offset)
{
    auto* grid = doc.view().grid();
    for (int r = 1; r < grid->rows(); ++r)
        if (grid->textMatrix(r, 0) == QString::number(offset))
            return grid->textMatrix(r, 2);
    return "?";
}

TEST(MerlinTern, CheckNetworkFindsBothDrivesAndConnectsToOne)
{
    Drives drives;
    ASSERT_TRUE(drives.ok());
    MerlinWorld world(kCom);
    ::shell::CShellApp app(merlin::shell(), merlinProgram(ternOptions()));
    ASSERT_EQ(app.start("", "/opt/aviary/merlin"), ::shell::StartupEnd::Started);
    ::shell::CMainFrame& frame = *app.mainFrame();

    QStringList listed;
    world.modals.expect<ui::CNetworkDlg>([&listed](ui::CNetworkDlg* dialog) {
        for (int r = 1; r <= 2; ++r)
            listed << dialog->grid()->textMatrix(r, 0) + " " + dialog->grid()->textMatrix(r, 1) + " " +
                          dialog->grid()->textMatrix(r, 3);
        dialog->selectRow(2);
        dialog->accept();
    });
    frame.execute(cmd::CheckNetwork);
    EXPECT_EQ(listed, (QStringList{"1 LM3 Normal V3", "2 LT4 Vexal V2"}));
    ui::CParameterFrame* doc = activeDocument(frame);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->document().set().DefinitionName(), "LT4_Vexal_V2.dpf");
    EXPECT_TRUE(waitFor([&] { return doc->view().statusText() == "Scanning ON !"; }));
    EXPECT_TRUE(doc->windowTitle().endsWith("  - ONLINE (2)[*]"));
    // The device table went to the program directory.
    EXPECT_EQ(std::filesystem::file_size(world.install() + "/netlist2.cfg"), 1792u);
    doc->document().modified = false;
    app.exit();
    EXPECT_TRUE(world.messages.verify());
}

// A document online with drive 1 through the main menu's device list.
ui::CParameterFrame* openOnline(MerlinWorld& world, ::shell::CMainFrame& frame)
{
    CDeviceTable& devices = state().devices;
    devices.setIdentification(1, 8, 1, 3);
    devices.setPresent(1, true);
    world.modals.expect<ui::CNetworkDlg>([](ui::CNetworkDlg* dialog) {
        dialog->selectRow(1);
        dialog->accept();
    });
    frame.execute(cmd::OpenDeviceList);
    return activeDocument(frame);
}

TEST(MerlinTern, ScanFollowsTheDriveEditsReachItAndFaultsAreRead)
{
    Drives drives;
    ASSERT_TRUE(drives.ok());
    MerlinWorld world(kCom);
    ::shell::CShellApp app(merlin::shell(), merlinProgram(ternOptions()));
    ASSERT_EQ(app.start("", "/opt/aviary/merlin"), ::shell::StartupEnd::Started);
    ::shell::CMainFrame& frame = *app.mainFrame();
    ui::CParameterFrame* doc = openOnline(world, frame);
    ASSERT_NE(doc, nullptr);
    ASSERT_TRUE(waitFor([&] { return doc->view().statusText() == "Scanning ON !"; }));

    // An editable whole-number parameter: a value changed at the drive
    // appears, an edit reaches the drive, one beyond the limit does not.
    auto& model = doc->view().model();
    CDpfParSet& set = doc->document().set();
    int editGroup = -1, editIndex = -1;
    for (int g = 0; g < set.NumberOfGroups() && editGroup < 0; ++g)
        for (int i = 0; i < set.GroupSize(g); ++i) {
            const CPar& p = set.At(set.FlatIndex(g, i));
            if (!p.IsChoice() && !p.IsReadOnly() && p.RegisterOffset() != 298 && p.RegisterOffset() != 299 &&
                p.RegisterOffset() != 981 && p.max > p.min + 10 && p.Decimals() == 0 && p.min >= 0) {
                editGroup = g;
                editIndex = i;
                break;
            }
        }
    ASSERT_GE(editGroup, 0);
    model.SelectGroup(editGroup);
    doc->view().render();
    const CPar par = set.At(set.FlatIndex(editGroup, editIndex));
    const int gridRow = editIndex + 1;  // no filter: every parameter is shown
    drives.setValue(1, par.RegisterOffset(), static_cast<uint16_t>(par.min + 1));
    EXPECT_TRUE(waitFor([&] { return cellOf(*doc, par.RegisterOffset()) == QString::number(par.min + 1); }));

    doc->view().beginEdit(gridRow);
    doc->view().entry()->setText(QString::number(par.min + 5));
    doc->view().confirmEntry();
    EXPECT_EQ(drives.value(1, par.RegisterOffset()), par.min + 5);

    world.messages.expect("Value exceeds upper limit", MsgIcon::Exclamation);
    doc->view().beginEdit(gridRow);
    doc->view().entry()->setText(QString::number(par.max + 1));
    doc->view().confirmEntry();
    EXPECT_EQ(drives.value(1, par.RegisterOffset()), par.min + 5);

    drives.raiseFault(1, 3);
    QString faultRow;
    world.modals.expect<ui::CFaultDlg>([&](ui::CFaultDlg* dialog) {
        faultRow = dialog->grid()->textMatrix(1, 1) + " / " + dialog->grid()->textMatrix(1, 3);
        dialog->accept();
    });
    frame.execute(cmd::FaultHistory);
    EXPECT_TRUE(faultRow.endsWith(" / Active Fault 1")) << faultRow.toStdString();
    EXPECT_NE(faultRow, " / Active Fault 1");

    // The drive falls silent: "Comm Error" and slower attempts, then recovery.
    drives.faults().add({sim::FaultKind::NoReply, 0});
    EXPECT_TRUE(waitFor([&] { return doc->view().statusText().startsWith("Comm Error: 0201"); }));
    drives.faults().clear();
    EXPECT_TRUE(waitFor([&] { return doc->view().statusText() == "Scanning ON !"; }, 6s));
    doc->document().modified = false;
    app.exit();
    EXPECT_TRUE(world.messages.verify());
}

TEST(MerlinTern, WithoutTheLinkServerTheViewStaysOfflineWithoutHanging)
{
    MerlinWorld world(kCom);
    MerlinOptions o;
    o.linkFactory = [] { return std::make_unique<CTernLink>(state().link, "Tern.Missing.1"); };
    ::shell::CShellApp app(merlin::shell(), merlinProgram(o));
    ASSERT_EQ(app.start("", "/opt/aviary/merlin"), ::shell::StartupEnd::Started);
    world.messages.expect("Unable to Start Link Server", MsgIcon::Exclamation);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_NE(app.mainFrame(), nullptr);
    ui::CParameterFrame* doc = openOnline(world, *app.mainFrame());
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(waitFor([&] { return doc->view().statusText() == "Scanning OFF !"; }));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_FALSE(doc->view().model().online());
    doc->document().modified = false;
    app.exit();
    EXPECT_TRUE(world.messages.verify());
}

}  // namespace
}  // namespace merlin
