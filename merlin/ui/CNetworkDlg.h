#pragma once
// The "Network" dialog over NetworkDialog: the drives found, their names
// (a double-click on a name edits it) and OK to work with one of them.
#include <merlin/core/NetworkDialog.h>
#include <merlin/ui/Grid.h>

#include <QDialog>

namespace merlin::ui {

class CNetworkDlg : public QDialog {
    Q_OBJECT
public:
    CNetworkDlg(NetworkDialog& model, QWidget* parent = nullptr);

    Grid* grid() const { return grid_; }
    // The row of the grid (from 1) the user picks.
    void selectRow(int gridRow);
    void rename(int gridRow, const QString& name);
    const NetworkDialog::Outcome& outcome() const { return outcome_; }
    void accept() override;
    // Shows the opening message; false when there is nothing to choose from.
    bool prepare();

private:
    void fill();

    NetworkDialog& model_;
    Grid* grid_ = nullptr;
    NetworkDialog::Outcome outcome_;
};

}  // namespace merlin::ui
