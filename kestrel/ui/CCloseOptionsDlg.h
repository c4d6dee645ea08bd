#pragma once
// The close-options dialog (resource 184): shown when an online list with
// unsaved or drive-side changes closes. Four choices; the two that save are
// disabled for a list that has no file yet.
#include <kestrel/core/CloseList.h>

#include <QDialog>

class QRadioButton;

namespace kestrel {

class CCloseOptionsDlg : public QDialog {
    Q_OBJECT
public:
    CCloseOptionsDlg(const std::string& message, bool savingEnabled, QWidget* parent = nullptr);
    // The chosen action after OK.
    CloseAction choice() const;

    // Runs the dialog: the choice, or CloseAction::Keep for Cancel.
    static CloseAction ask(const std::string& message, bool savingEnabled, QWidget* parent);

private:
    QRadioButton* nothing_ = nullptr;
    QRadioButton* save_ = nullptr;
    QRadioButton* download_ = nullptr;
    QRadioButton* upload_ = nullptr;
};

}  // namespace kestrel
