// Kestrel's windows on a drive in a far cabinet: COM7 leads, through
// ports.ini, to a real ser2net on loopback speaking RFC 2217, and the SIO
// simulator sits on the pseudo-terminal behind it. Check Network finds the
// drives, Connect uploads the missing database and opens the drive's list,
// Upload All brings the drive's values into that list: the same menus and
// dialogs as on a local port, and the same files at the end.
#include "KestrelOnPty.h"

#include <kestrel/core/CDeviceTable.h>
#include <kestrel/core/CWorkFile.h>
#include <kestrel/core/Connect.h>
#include <kestrel/core/DeviceConnection.h>
#include <kestrel/core/TransferCommands.h>
#include <kestrel/ui/CNetworkDlg.h>
#include <kestrel/ui/CommandIds.h>
#include <kestrel/ui/KestrelOnline.h>
#include <platform/PortMap.h>
#include <platform/testing/Ser2netServer.h>

#include <QAction>
#include <QApplication>
#include <QTest>

#include <cstdlib>
#include <filesystem>
#include <memory>

using namespace kestrel;
using platform::MsgAnswer;
using platform::MsgIcon;
using platform::testing::Ser2netServer;

class RemoteLineWindowsTest : public QObject, shelltest::KestrelOnPty {
    Q_OBJECT

    std::unique_ptr<Ser2netServer> server;
    KestrelOnline* online = nullptr;
    std::string openedList;

private slots:
    void initTestCase()
    {
        if (!Ser2netServer::available())
            QSKIP("ser2net is not installed (scripts/install-deps.sh)");
        std::string error;
        // A network hop takes longer than a pty: the reply wait of a plant
        // line, not the 4 ms the pty tests get by with.
        QVERIFY2(startLine("1:1808,2:1808", 30, error), error.c_str());
        server = std::make_unique<Ser2netServer>(drives->path(), Ser2netServer::Kind::Rfc2217);
        QVERIFY2(server->ok(), server->error().c_str());
        // Through ports.ini, as an engineer sets it up.
        ::unsetenv("AVIARY_COM7");
        QVERIFY(platform::setComPortDevice(7, server->url()));
        QCOMPARE(platform::comPortDevice(7), server->url());
        online = KestrelOnline::of(*frame);
        QVERIFY(online != nullptr);
        online->setListOpener([this](const TransferJob& list) { openedList = list.listFile; });
    }

    void cleanup() { world->modals.verify(); }

    void cleanupTestCase()
    {
        if (!server)
            return;
        stopLine();
        server.reset();
    }

    // Check Network lists both drives; Connect to drive 2 uploads its database.
    void checkNetworkAndConnectWithTheDatabaseUpload()
    {
        size_t listed = 0;
        world->modals.expect<CNetworkDlg>([&](CNetworkDlg* dlg) {
            listed = dlg->model().view().rows.size();
            dlg->selectRow(1);
            world->messages->expect(kDatabankQuestion, MsgIcon::Question, MsgAnswer::Yes);
            world->messages->expect("Information successfully uploaded", MsgIcon::Exclamation);
            dlg->clickConnect(false);
        });
        frame->updateCommandStates();
        QVERIFY(frame->action(kestrel::cmd::CheckNetwork)->isEnabled());
        frame->action(kestrel::cmd::CheckNetwork)->trigger();
        QCOMPARE(listed, size_t(2));
        QVERIFY(world->messages->pending() == 0);
        CDeviceTable table;
        QVERIFY(table.load(CDeviceTable::defaultPath()));
        QVERIFY(table.present(1));
        QVERIFY(table.present(2));
        QCOMPARE(openedList, CWorkFile::onlinePath(world->install, "2"));
        QCOMPARE(CWorkFile(openedList).recordCount(), size_t(194));
        QCOMPARE(state().databaseFileName, std::string("/tvk/RQ-1808.tvk"));
        QVERIFY(std::filesystem::exists(world->install + "/tvk/RQ-1808.tvk"));
        QVERIFY(!state().operationInProgress);
    }

    // Upload All: a value changed at the drive lands in the drive's list file.
    void uploadAllBringsTheDrivesValues()
    {
        bus->withDrive(2, [](sim::SioDrive& d) { d.setValue(0x0031, 0x0004); });
        world->messages->expect(
            BulkTransferFlow::confirmationText(BulkTransferFlow::Direction::Upload, "LIST  A", "ADDR=02\"NEW\""),
            MsgIcon::Question, MsgAnswer::Yes);
        const TransferList list{openedList, "/tvk/RQ-1808.tvk", "2", DeviceTitle("2").title, "LIST  A"};
        QVERIFY(online->uploadAll(list));
        QCOMPARE(CWorkFile(openedList).findValue(0x0031), std::optional<uint16_t>(4));
        QVERIFY(world->messages->pending() == 0);
        QVERIFY(!state().operationInProgress);
    }
};

QTEST_MAIN(RemoteLineWindowsTest)
#include "RemoteLineWindows_qtest.moc"
