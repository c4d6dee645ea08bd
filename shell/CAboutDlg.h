#pragma once
// The About box (resource 100).
#include <QDialog>

#include <string>

namespace shell {

// The text line: program name, version, and the build date while "Dummy" is set.
std::string aboutText(const std::string& softwareName, bool dummy);

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    CAboutDlg(bool dummy, QWidget* parent = nullptr);
};

}  // namespace shell
