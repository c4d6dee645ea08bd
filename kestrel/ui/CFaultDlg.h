#pragma once
// "Recent Failures": the last five faults of a drive in a grid.
#include <kestrel/core/FaultHistoryModel.h>

#include <QDialog>

#include <functional>
#include <string>

namespace shell {
class CMSHFlexGrid;
}  // namespace shell

namespace kestrel {

class CFaultDlg : public QDialog {
    Q_OBJECT
public:
    CFaultDlg(const FaultHistoryModel::View& view, QWidget* parent = nullptr);
    const shell::CMSHFlexGrid* grid() const { return grid_; }

private:
    shell::CMSHFlexGrid* grid_ = nullptr;
};

// The Fault History command for the list window of drive `address`: the
// warning, the collection (status bar text through `status`), the dialog.
void runFaultHistory(CTelegram& telegram, const std::string& address, QWidget* parent,
                     const std::function<void(const QString&)>& status);

}  // namespace kestrel
