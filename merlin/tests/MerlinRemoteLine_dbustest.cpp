// Merlin's windows on a drive in a far cabinet: the program on a private
// session bus with the real link server, COM5 leading through ports.ini to a
// real ser2net on loopback (RFC 2217, and raw TCP), the Modbus simulator on
// the pseudo-terminal behind it. Check Network finds the drive and opens it
// online, the scan runs, Upload All brings the drive's values into the
// document and File Save writes them: the same menus, the same file.
#include "MerlinTernWorld.h"

#include <merlin/core/CDpfParSet.h>
#include <merlin/ui/CNetworkDlg.h>
#include <merlin/ui/MerlinCommands.h>
#include <shell/CShellApp.h>
#include <sim/modbus/ModbusSlaveRunner.h>
#include <sim/modbusdrive/MerlinDriveLoader.h>
#include <sim/modbusdrive/MerlinDriveModel.h>

#include <platform/FileDialog.h>
#include <platform/PortMap.h>
#include <platform/testing/ScriptedResponder.h>
#include <platform/testing/Ser2netServer.h>

#include <QApplication>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

namespace merlin {
namespace {

using namespace tern::testkit;
using platform::testing::Ser2netServer;

const auto* const kWidgets = ::testing::AddGlobalTestEnvironment(new WidgetsEnvironment);
const auto* const kBus = ::testing::AddGlobalTestEnvironment(new TernBusEnvironment);

constexpr int kCom = 5;
constexpr int kUnit = 3;
constexpr const char* kDefinition = "LM3_Normal_V3.dpf";

class MerlinRemoteLine : public ::testing::TestWithParam<Ser2netServer::Kind> {
protected:
    void SetUp() override
    {
        if (!Ser2netServer::available())
            GTEST_SKIP() << "ser2net is not installed (scripts/install-deps.sh)";
        std::string error;
        model_.addDrive(kUnit, sim::loadDrive(binDir() + "/DeviceData", kDefinition, 0, error));
        ASSERT_TRUE(runner_.startPty(error)) << error;
        // A raw bridge keeps its own line settings: ser2net starts it at Merlin's rate.
        server_ = std::make_unique<Ser2netServer>(runner_.ptyPath(), GetParam(), "19200n81");
        ASSERT_TRUE(server_->ok()) << server_->error();
        ASSERT_TRUE(platform::setComPortDevice(kCom, server_->url()));
    }

    MerlinWorld world_{kCom};
    sim::MerlinDriveModel model_;
    sim::ModbusSlaveRunner runner_{model_, {}};
    std::unique_ptr<Ser2netServer> server_;
};

TEST_P(MerlinRemoteLine, CheckNetworkScanAndUploadAllThroughTern)
{
    ::shell::CShellApp app(merlin::shell(), merlinProgram(ternOptions()));
    ASSERT_EQ(app.start("", "/opt/aviary/merlin"), ::shell::StartupEnd::Started);
    ::shell::CMainFrame& frame = *app.mainFrame();

    QString listed;
    world_.modals.expect<ui::CNetworkDlg>([&listed](ui::CNetworkDlg* dialog) {
        listed = dialog->grid()->textMatrix(1, 0) + " " + dialog->grid()->textMatrix(1, 1) + " " +
                 dialog->grid()->textMatrix(1, 3);
        dialog->selectRow(1);
        dialog->accept();
    });
    frame.execute(cmd::CheckNetwork);
    EXPECT_EQ(listed, QString("%1 LM3 Normal V3").arg(kUnit));
    EXPECT_EQ(std::filesystem::file_size(world_.install() + "/netlist2.cfg"), 1792u);
    ui::CParameterFrame* doc = activeDocument(frame);
    ASSERT_NE(doc, nullptr);
    EXPECT_TRUE(waitFor([&] { return doc->view().statusText() == "Scanning ON !"; }));

    // Values changed at the drive come up in the document and in its file.
    CDpfParSet& set = doc->document().set();
    std::vector<int> changed;
    for (int k = 0; k < set.Count() && changed.size() < 3; ++k) {
        const CPar& p = set.At(k);
        if (!p.IsChoice() && p.max > p.min + 10 && p.min >= 0 && p.RegisterOffset() != 298 && p.RegisterOffset() != 299)
            changed.push_back(k);
    }
    ASSERT_EQ(changed.size(), 3u);
    for (int k : changed)
        model_.withDrive(kUnit, [&](sim::MerlinDrive& d) {
            d.setValue(set.RegisterOffsetAt(k), static_cast<uint16_t>(set.At(k).min + 7));
        });
    frame.execute(cmd::UploadAll);
    EXPECT_EQ(frame.paneText(::shell::CMainFrame::PaneMessage), QString("Ready"));
    for (int k : changed)
        EXPECT_EQ(set.ValueAt(k), set.At(k).min + 7) << set.At(k).name;

    const std::string path = world_.file("cabinet.par");
    const auto previous =
        platform::setFileDialogHandler([&path](const platform::FileDialogRequest&) { return std::optional(path); });
    frame.execute(cmd::FileSave);
    platform::setFileDialogHandler(previous);
    CDpfParSet stored(world_.install());
    stored.SetTrace(nullptr);
    ASSERT_EQ(stored.LoadParameterFile(std::filesystem::path(path)), 0);
    for (int k : changed)
        EXPECT_EQ(stored.ValueAt(k), set.At(k).min + 7) << set.At(k).name;
    doc->document().modified = false;
    app.exit();
    EXPECT_TRUE(world_.messages.verify());
}

INSTANTIATE_TEST_SUITE_P(Ser2net, MerlinRemoteLine,
                         ::testing::Values(Ser2netServer::Kind::Rfc2217, Ser2netServer::Kind::Raw),
                         [](const auto& info) { return info.param == Ser2netServer::Kind::Raw ? "Tcp" : "Rfc2217"; });

}  // namespace
}  // namespace merlin
