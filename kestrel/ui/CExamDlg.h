#pragma once
// "Examining Network....": the progress of the network examination, one
// address per 2 ms tick. exec() returns when the examination has ended;
// the caller shows model().notices().
#include <kestrel/core/ExaminationModel.h>

#include <QDialog>

class QProgressBar;
class QTimer;

namespace kestrel {

class CExamDlg : public QDialog {
    Q_OBJECT
public:
    CExamDlg(CTelegram& telegram, QWidget* parent = nullptr);
    const ExaminationModel& model() const { return model_; }

signals:
    // Pane 0 of the main window's status bar.
    void statusText(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override {}  // the examination cannot be cancelled half-way

private:
    void onTick();
    void refresh();

    ExaminationModel model_;
    QProgressBar* progress_ = nullptr;
    QTimer* timer_ = nullptr;
    bool started_ = false;
};

}  // namespace kestrel
