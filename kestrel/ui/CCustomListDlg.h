#pragma once
// The custom list editor ("Custom List"): the standard parameters of a
// version on the left, the customer's selection on the right, ">>" and
// "Delete parameter" between them, and a File menu of its own (Save,
// Save As, Print, Close). A thin window over CustomListModel.
#include <kestrel/core/CustomListModel.h>

#include <QDialog>

class QLabel;
class QMenuBar;
class QPushButton;
class QVBoxLayout;

namespace shell {
class CMSHFlexGrid;
}

namespace kestrel {

class CCustomListDlg : public QDialog {
    Q_OBJECT
public:
    explicit CCustomListDlg(CustomListModel model, QWidget* parent = nullptr);

    const CustomListModel& model() const { return model_; }
    shell::CMSHFlexGrid* standardGrid() const { return standard_; }
    shell::CMSHFlexGrid* customGrid() const { return custom_; }

public slots:
    // File, Close: asks to save a modified list first.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QMenuBar* buildMenu();
    void buildForm(QVBoxLayout* main);
    void refresh();
    void fillGrid(shell::CMSHFlexGrid* grid, const std::vector<EditorRow>& rows, int selected);
    void onStandardClicked();
    void onCustomClicked();

    CustomListModel model_;
    shell::CMSHFlexGrid* standard_ = nullptr;
    shell::CMSHFlexGrid* custom_ = nullptr;
    QLabel* version_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* delete_ = nullptr;
    bool closing_ = false;
};

}  // namespace kestrel
