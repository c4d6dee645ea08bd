#pragma once
// Merlin's "Program Parameters" dialog: the four link settings.
#include <merlin/core/LinkParameters.h>

#include <QDialog>

class QSpinBox;

namespace merlin::ui {

class CMerlinParamsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CMerlinParamsDlg(const LinkParameters& values, QWidget* parent = nullptr);
    LinkParameters values() const;
    void setValues(const LinkParameters& values);
    // Shows the dialog; OK stores the values into live.
    static bool run(LinkSettings& live, QWidget* parent);

private:
    QSpinBox* repeats_;
    QSpinBox* timeout_;
    QSpinBox* delay_;
    QSpinBox* silent_;
};

}  // namespace merlin::ui
