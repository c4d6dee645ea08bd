#pragma once
// The "Program Parameters" dialog (resource 219): telegram timing and RTS
// mode. The spin boxes refuse values outside the ranges; OK stores all five
// into the live settings, Cancel changes nothing.
#include <kestrel/ui/ProgramParameters.h>

#include <QDialog>

class QCheckBox;
class QSpinBox;

namespace kestrel {

class CProgramParamsDlg : public QDialog {
    Q_OBJECT
public:
    CProgramParamsDlg(const ProgramParameters& values, QWidget* parent = nullptr);
    ProgramParameters values() const;
    void setValues(const ProgramParameters& values);

    // Runs the dialog on the live settings; true when OK stored them.
    static bool run(TelegramSettings& live, QWidget* parent = nullptr);

private:
    QSpinBox* repeat_ = nullptr;
    QSpinBox* delay_ = nullptr;
    QSpinBox* tRts_ = nullptr;
    QSpinBox* tWait_ = nullptr;
    QCheckBox* rts_ = nullptr;
};

}  // namespace kestrel
