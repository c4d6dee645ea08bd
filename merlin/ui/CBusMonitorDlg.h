#pragma once
// The "Bus Monitor" window over BusMonitor: the frames of Merlin's line,
// live; Pause, a station filter, Save Capture. It watches the line through
// its own link object of the connection every Merlin window shares.
#include <merlin/core/BusMonitor.h>

#include <QDialog>

#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QSpinBox;
class QTableWidget;
class QTimer;

namespace merlin::ui {

// Makes the window's frame source (Tern's monitor of "XYZ"; tests and the
// demo put their own in).
using MonitorSourceFactory = std::function<std::unique_ptr<MonitorSource>()>;
MonitorSourceFactory setMonitorSourceFactory(MonitorSourceFactory factory);
std::unique_ptr<MonitorSource> makeMonitorSource();

class CBusMonitorDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTickMs = 200;

    CBusMonitorDlg(std::unique_ptr<MonitorSource> source, QWidget* parent = nullptr);
    ~CBusMonitorDlg() override;

    BusMonitor& monitor() { return monitor_; }
    QTableWidget* table() const { return table_; }
    void saveCapture();

private:
    void onTick();
    void render();

    std::unique_ptr<MonitorSource> source_;
    BusMonitor monitor_;
    QTableWidget* table_;
    QCheckBox* pause_;
    QSpinBox* station_;
    QLabel* status_;
    QTimer* timer_;
    uint64_t shownChange_ = 0;
};

}  // namespace merlin::ui
