#include <shell/CReaderPathDlg.h>
#include <shell/CSelectListDlg.h>
#include <shell/QtHelpUi.h>

namespace shell {

bool QtHelpUi::askReaderPath(std::string& readerPath)
{
    CReaderPathDlg dialog(parent_);
    if (dialog.exec() != QDialog::Accepted) return false;
    readerPath = dialog.path().toStdString();
    return true;
}

std::optional<std::string> QtHelpUi::chooseFromList(const SelectList& list, const std::string& hint)
{
    CSelectListDlg dialog(list, hint, parent_);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.shownText().toStdString();
}

}  // namespace shell
