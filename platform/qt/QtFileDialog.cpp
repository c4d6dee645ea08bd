#include <platform/qt/QtFileDialog.h>
#include <platform/qt/QtMessageBox.h>

#include <QFileDialog>
#include <QStringList>

namespace platform::qt {

QString qtFilter(const std::string& windowsFilter)
{
    const QStringList parts = QString::fromStdString(windowsFilter).split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QString patterns = parts[i + 1].trimmed();
        if (description.isEmpty() && patterns.isEmpty()) break;  // the closing "||"
        patterns.replace(';', ' ');
        if (patterns.isEmpty()) patterns = "*";
        filters << description + " (" + patterns + ")";
    }
    if (filters.isEmpty()) filters << "All Files (*)";
    return filters.join(";;");
}

FileDialogHandler installFileDialogHandler()
{
    return setFileDialogHandler([](const FileDialogRequest& r) -> std::optional<std::string> {
        QFileDialog dialog(frontWindow(), QString::fromStdString(r.title), QString::fromStdString(r.directory),
                           qtFilter(r.filter));
        dialog.setAcceptMode(r.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(r.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        std::string suffix = r.defaultExtension;
        while (!suffix.empty() && (suffix.front() == '*' || suffix.front() == '.')) suffix.erase(0, 1);
        if (!suffix.empty() && suffix != "exe") dialog.setDefaultSuffix(QString::fromStdString(suffix));
        if (!r.fileName.empty()) dialog.selectFile(QString::fromStdString(r.fileName));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
        return dialog.selectedFiles().front().toStdString();
    });
}

}  // namespace platform::qt
