#include <kestrel/ui/CExamDlg.h>

#include <QApplication>

namespace kestrel {

CExamDlg::CExamDlg(CTelegram& telegram, QWidget* parent)
    : shell::CProgressDlg(QString::fromStdString(ExaminationModel::View{}.title), parent), model_(telegram)
{
    setObjectName("examDialog");
    setStatus(tr("Examining addresses 0 to 31 ..."));
    setRange(0, ExaminationModel::kLastAddress);
    setStepper([this] { return step(); });
    setStopHandler([this] { stopRequested_ = true; });
}

int CExamDlg::exec()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    start();
    shell::CProgressDlg::exec();
    QApplication::restoreOverrideCursor();
    return model_.result();
}

CExamDlg::Step CExamDlg::step()
{
    auto st = ExaminationModel::State::Running;
    if (!started_) {
        started_ = true;
        st = model_.Start();
    } else {
        st = stopRequested_ ? model_.Stop() : model_.Tick();
    }
    setValue(model_.view().progress);
    emit statusText(QString::fromStdString(model_.view().statusPane));
    return st == ExaminationModel::State::Running ? Step::Continue : Step::Done;
}

}  // namespace kestrel
