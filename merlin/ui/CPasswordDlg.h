#pragma once
// "Enter Password": asked when a download keeps being refused. OK is only
// offered for a whole number 0..65535.
#include <QDialog>

#include <cstdint>
#include <optional>

class QLineEdit;
class QPushButton;

namespace merlin::ui {

class CPasswordDlg : public QDialog {
    Q_OBJECT
public:
    explicit CPasswordDlg(QWidget* parent = nullptr);

    QLineEdit* entry() const { return entry_; }
    std::optional<uint16_t> password() const;

    // Shows the dialog; the password, or nullopt on Cancel.
    static std::optional<uint16_t> ask(QWidget* parent);

private:
    QLineEdit* entry_ = nullptr;
    QPushButton* ok_ = nullptr;
};

}  // namespace merlin::ui
