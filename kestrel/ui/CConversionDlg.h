#pragma once
// "List Conversion": one parameter that is new, dropped or defined
// differently in the target version, both definitions side by side, and an
// entry for the new value. OK hands the entry back; Abort (or closing the
// dialog) asks the conversion to stop, which then asks the user to confirm.
#include <kestrel/core/ConversionQuestion.h>

#include <QDialog>

class QLineEdit;

namespace kestrel {

class CConversionDlg : public QDialog {
    Q_OBJECT
public:
    explicit CConversionDlg(const ConversionQuestion& question, QWidget* parent = nullptr);

    // Shows the dialog modally and returns what the user answered.
    static ConversionAnswer ask(const ConversionQuestion& question, QWidget* parent);
    ConversionAnswer answer() const;

private:
    ConversionQuestion question_;
    QLineEdit* entry_ = nullptr;
    bool abort_ = true;
};

}  // namespace kestrel
