#pragma once
// The warm-up notice after a write that restarts the drive: "Inverter
// warming up !" and "  Please Wait...", closed by its own one-second timer
// at the seventh tick.
#include <QDialog>

class QTimer;

namespace kestrel {

class CWarmUpDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTicks = 7;

    explicit CWarmUpDlg(const QString& title, QWidget* parent = nullptr);
    // Shows the notice modally until it closes itself.
    static void run(const QString& title, QWidget* parent);
    // The tick period (1000 ms; tests shorten it).
    static void setTickMs(int ms);

private:
    QTimer* timer_ = nullptr;
    int ticks_ = 0;
};

}  // namespace kestrel
