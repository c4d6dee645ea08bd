#pragma once
// The parameters a bulk transfer could not move, with the reason for each,
// shown after the transfer when there were failures.
#include <merlin/core/TransferDialog.h>
#include <merlin/ui/Grid.h>

#include <QDialog>

#include <vector>

namespace merlin::ui {

class CFailureListDlg : public QDialog {
    Q_OBJECT
public:
    CFailureListDlg(const QString& title, const std::vector<TransferDialog::FailureRow>& rows,
                    QWidget* parent = nullptr);
    Grid* grid() const { return grid_; }

private:
    Grid* grid_ = nullptr;
};

}  // namespace merlin::ui
