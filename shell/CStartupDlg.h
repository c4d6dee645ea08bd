#pragma once
// The start-up dialog (resource 130): a reminder of the two network rules
// before the program goes on. YES goes on; NO shows the hint, whose No ends
// the program.
#include <QDialog>

namespace shell {

class CStartupDlg : public QDialog {
    Q_OBJECT
public:
    explicit CStartupDlg(QWidget* parent = nullptr);
    // Shows the dialog modally; false when the user ended the program.
    static bool showStartupDialog(QWidget* parent = nullptr);

    // Escape and the close box ask the same question as NO.
    void reject() override { onNo(); }

private:
    void onNo();
};

}  // namespace shell
