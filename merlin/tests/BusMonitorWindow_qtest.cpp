// The "Bus Monitor" window offscreen: reached from the Options menu beside
// "Modbus", it shows the frames as they come, errors in colour, holds still
// while paused, filters by station, and saves the capture where the user
// chose. A scripted frame source stands in for the link server.
#include "MerlinWorld.h"

#include <merlin/ui/CBusMonitorDlg.h>
#include <merlin/ui/MerlinCommands.h>
#include <merlin/ui/MerlinProgram.h>

#include <QCheckBox>
#include <QDir>
#include <QSpinBox>
#include <QTableWidget>
#include <QtTest>

#include <mutex>

using namespace merlin;

namespace {

using Bytes = std::vector<uint8_t>;

// Frames appear as a test adds them, as the server's ring fills.
class ScriptedSource : public MonitorSource {
public:
    struct Shared {
        std::mutex mutex;
        std::vector<MonitorFrame> frames;
        std::string savedTo;
    };
    explicit ScriptedSource(std::shared_ptr<Shared> s) : s_(std::move(s)) {}
    bool framesSince(uint64_t sequence, std::vector<MonitorFrame>& out) override
    {
        std::lock_guard lock(s_->mutex);
        for (const auto& f : s_->frames)
            if (f.sequence > sequence) out.push_back(f);
        return true;
    }
    bool saveCapture(const std::string& path, std::string&) override
    {
        s_->savedTo = path;
        return true;
    }

private:
    std::shared_ptr<Shared> s_;
};

void add(ScriptedSource::Shared& s, uint8_t direction, uint8_t outcome, Bytes bytes)
{
    std::lock_guard lock(s.mutex);
    MonitorFrame f;
    f.sequence = s.frames.size() + 1;
    f.exchange = (f.sequence + 1) / 2;
    f.timeUs = 5000000 + 12000 * static_cast<int64_t>(f.sequence);
    f.gapUs = direction == MonitorFrame::Request ? 8000 : 1900;
    f.direction = direction;
    f.outcome = outcome;
    f.bytes = std::move(bytes);
    s.frames.push_back(std::move(f));
}

void scan(ScriptedSource::Shared& s)
{
    add(s, 0, MonitorFrame::Sent, {0x01, 0x03, 0x00, 0x18, 0x00, 0x01, 0x04, 0x0D});
    add(s, 1, MonitorFrame::Reply, {0x01, 0x03, 0x02, 0x00, 0x2A, 0x39, 0x9B});
    add(s, 0, MonitorFrame::Sent, {0x02, 0x06, 0x00, 0x05, 0x00, 0x4D, 0x98, 0x0E});
    add(s, 1, MonitorFrame::ChecksumError, {0x02, 0x06, 0x00, 0x05, 0x00, 0x4D, 0x00, 0x00});
    add(s, 0, MonitorFrame::Sent, {0x03, 0x03, 0x03, 0xE7, 0x00, 0x02, 0x00, 0x00});
    add(s, 1, MonitorFrame::Exception, {0x03, 0x83, 0x02, 0x00, 0x00});
    add(s, 0, MonitorFrame::Sent, {0x07, 0x03, 0x00, 0x00, 0x00, 0x01, 0x84, 0x6C});
    add(s, 1, MonitorFrame::TimeOut, {});
}

}  // namespace

class BusMonitorWindowTest : public QObject {
    Q_OBJECT

private slots:
    void theOptionsMenuOffersItBesideModbus()
    {
        const shell::MenuLayout menu = merlinMainMenu();
        const auto& options = menu.popups.at(static_cast<size_t>(menu.optionsPopup)).entries;
        auto modbus = std::find_if(options.begin(), options.end(), [](const auto& e) { return e.id == cmd::ModbusTest; });
        QVERIFY(modbus != options.end() && modbus + 1 != options.end());
        QCOMPARE((modbus + 1)->text, std::string("Bus Monitor"));
        QCOMPARE((modbus + 1)->id, cmd::BusMonitor);
    }

    void liveFramesPauseFilterAndSave()
    {
        merlin::testing::ProgramWorld w;
        auto shared = std::make_shared<ScriptedSource::Shared>();
        ui::CBusMonitorDlg dialog(std::make_unique<ScriptedSource>(shared));
        dialog.show();
        QTableWidget* table = dialog.table();
        QCOMPARE(table->rowCount(), 0);
        scan(*shared);
        QTRY_COMPARE_WITH_TIMEOUT(table->rowCount(), 8, 5000);
        QCOMPARE(table->item(0, 4)->text(), QString("3 Read Holding Registers"));
        QCOMPARE(table->item(1, 6)->text(), QString("42"));
        QCOMPARE(table->item(3, 6)->text(), QString("checksum error"));
        QCOMPARE(table->item(5, 6)->text(), QString("exception 2: illegal data address"));
        QCOMPARE(table->item(7, 6)->text(), QString("no reply (time-out)"));
        QCOMPARE(table->item(7, 3)->text(), QString("7"));
        QVERIFY(table->item(1, 6)->foreground().color() != table->item(3, 6)->foreground().color());
        QCOMPARE(table->item(3, 6)->foreground().color(), table->item(7, 0)->foreground().color());

        if (const char* dir = std::getenv("AVIARY_SCREENSHOT_DIR")) {
            QDir().mkpath(dir);
            dialog.grab().save(QString(dir) + "/bus-monitor.png");
        }

        dialog.findChild<QCheckBox*>("pause")->setChecked(true);
        scan(*shared);
        dialog.monitor().tick();  // as the timer would: a paused window keeps its rows
        QCOMPARE(dialog.monitor().view().rows.size(), size_t{8});
        QCOMPARE(table->rowCount(), 8);
        dialog.findChild<QCheckBox*>("pause")->setChecked(false);
        QTRY_COMPARE_WITH_TIMEOUT(table->rowCount(), 16, 5000);

        dialog.findChild<QSpinBox*>("station")->setValue(2);
        QCOMPARE(table->rowCount(), 4);
        QCOMPARE(table->item(0, 3)->text(), QString("2"));

        w.files.answer(w.root.path() + "/line.pcapng");
        dialog.saveCapture();
        QCOMPARE(shared->savedTo, w.root.path() + "/line.pcapng");
        QCOMPARE(w.files.requests.back().defaultExtension, std::string("pcapng"));
        QVERIFY(w.messages.verify());
    }
};

QTEST_MAIN(BusMonitorWindowTest)
#include "BusMonitorWindow_qtest.moc"
