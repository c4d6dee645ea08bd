#pragma once
// "Compare Results - Differences": one grid row per difference, the count,
// what the document was compared with, the option to leave read-only
// parameters out, and "compare.txt" on request.
#include <merlin/core/CompareDialog.h>
#include <merlin/ui/Grid.h>

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace merlin::ui {

class CCompareDlg : public QDialog {
    Q_OBJECT
public:
    CCompareDlg(CompareDialog& model, QWidget* parent = nullptr);

    Grid* grid() const { return grid_; }
    QLabel* heading() const { return heading_; }
    QCheckBox* readOnlyOption() const { return readOnly_; }
    QPushButton* textButton() const { return text_; }

private:
    void render();
    void writeText();

    CompareDialog& model_;
    QLabel* heading_ = nullptr;
    QLabel* caption_ = nullptr;
    Grid* grid_ = nullptr;
    QCheckBox* readOnly_ = nullptr;
    QPushButton* text_ = nullptr;
};

}  // namespace merlin::ui
