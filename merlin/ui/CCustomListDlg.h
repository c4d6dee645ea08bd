#pragma once
// The "Custom List" dialog over CustomList: per group, which parameters are
// shown with the filter on and which the bulk transfers take.
#include <merlin/core/CustomList.h>
#include <merlin/ui/Grid.h>

#include <QDialog>

class QCheckBox;
class QTabBar;

namespace merlin::ui {

class CCustomListDlg : public QDialog {
    Q_OBJECT
public:
    CCustomListDlg(CustomList& model, QWidget* parent = nullptr);
    Grid* grid() const { return grid_; }
    QTabBar* tabs() const { return tabs_; }
    // A click on a check cell (grid row from 1, column 2..4).
    void clickCell(int gridRow, int col);
    void wholeGroup(CustomList::Column column);
    QCheckBox* defaultsSwitch() const { return defaults_; }
    QCheckBox* readOnlySwitch() const { return readOnly_; }
    void accept() override;

private:
    void fill();

    CustomList& model_;
    QTabBar* tabs_ = nullptr;
    Grid* grid_ = nullptr;
    QCheckBox* defaults_ = nullptr;
    QCheckBox* readOnly_ = nullptr;
};

}  // namespace merlin::ui
