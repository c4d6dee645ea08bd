#pragma once
// The modal "Faults : " window: the drive's active faults and its history.
#include <merlin/core/CFaultList.h>
#include <merlin/ui/Grid.h>

#include <QDialog>

namespace merlin::ui {

class CFaultDlg : public QDialog {
    Q_OBJECT
public:
    // Reads the fault registers at once (the views' scans pause meanwhile).
    CFaultDlg(const CDpfParSet& set, CModbusLink& link, int station, QWidget* parent = nullptr);
    Grid* grid() const { return grid_; }

private:
    Grid* grid_ = nullptr;
};

}  // namespace merlin::ui
