#pragma once
// "Examining Network....": the network examination on the shell's progress
// dialog, one address per 2 ms tick. exec() returns when it has ended; the
// caller shows model().notices(). STOP ends it early with what was found
// so far (the table is written all the same).
#include <kestrel/core/ExaminationModel.h>
#include <shell/CProgressDlg.h>

#include <functional>

namespace kestrel {

class CExamDlg : public shell::CProgressDlg {
    Q_OBJECT
public:
    CExamDlg(CTelegram& telegram, QWidget* parent = nullptr);
    const ExaminationModel& model() const { return model_; }
    int exec() override;

signals:
    // Pane 0 of the main window's status bar.
    void statusText(const QString& text);

private:
    Step step();

    ExaminationModel model_;
    bool started_ = false;
    bool stopRequested_ = false;
};

}  // namespace kestrel
