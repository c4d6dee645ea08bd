#pragma once
// The list-selection dialog (resource 189, "Software Versions"): a prompt,
// a drop-down list, a hint line, OK and Cancel.
#include <shell/HelpViewer.h>

#include <QDialog>

class QComboBox;

namespace shell {

class CSelectListDlg : public QDialog {
    Q_OBJECT
public:
    CSelectListDlg(const SelectList& list, const std::string& hint, QWidget* parent = nullptr);
    QString shownText() const;

private:
    QComboBox* combo_ = nullptr;
};

}  // namespace shell
