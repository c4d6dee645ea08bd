#pragma once
// The "Ports..." dialog: where COM1..COM8 go. Each COM number takes an
// adapter from the list of devices found, or a typed path or server
// address. The decisions are PortsDialogModel's.
#include <shell/PortsDialogModel.h>

#include <QDialog>
#include <vector>

class QComboBox;
class QLabel;

namespace shell {

class CPortsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CPortsDlg(PortsDialogModel& model, QWidget* parent = nullptr);

private:
    void onOk();
    PortsDialogModel& model_;
    std::vector<QComboBox*> choices_;
    std::vector<QLabel*> presence_;
};

}  // namespace shell
