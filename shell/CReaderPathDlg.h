#pragma once
// The "Parameter Help" dialog (resource 155): asks for the PDF reader when
// none was found. OK keeps the dialog open until the path is acceptable.
#include <QDialog>

class QLineEdit;

namespace shell {

class CReaderPathDlg : public QDialog {
    Q_OBJECT
public:
    explicit CReaderPathDlg(QWidget* parent = nullptr);
    QString path() const;
    void setPath(const QString& path);

    void accept() override;

private:
    void onBrowse();
    QLineEdit* edit_ = nullptr;
};

}  // namespace shell
