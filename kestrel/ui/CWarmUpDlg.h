#pragma once
// "Inverter warming up !": a small notice that closes itself at the
// seventh tick of its one-second timer, while the drive warms up after a
// parameter-set change.
#include <QDialog>

namespace kestrel {

class CWarmUpDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTicks = 7;
    explicit CWarmUpDlg(const QString& title, QWidget* parent = nullptr, int tickMs = 1000);
};

}  // namespace kestrel
