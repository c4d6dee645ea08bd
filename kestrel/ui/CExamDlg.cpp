#include <kestrel/ui/CExamDlg.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

namespace kestrel {

CExamDlg::CExamDlg(CTelegram& telegram, QWidget* parent) : QDialog(parent), model_(telegram)
{
    setWindowTitle(QString::fromStdString(model_.view().title));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Examining addresses 0 to 31 ..."), this));
    progress_ = new QProgressBar(this);
    progress_->setObjectName("progress1008");
    progress_->setRange(0, ExaminationModel::kLastAddress);
    progress_->setMinimumWidth(320);
    layout->addWidget(progress_);
    timer_ = new QTimer(this);
    timer_->setInterval(2);
    connect(timer_, &QTimer::timeout, this, &CExamDlg::onTick);
}

void CExamDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (started_)
        return;
    started_ = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const auto st = model_.Start();
    refresh();
    if (st == ExaminationModel::State::Ended) {
        QApplication::restoreOverrideCursor();
        QTimer::singleShot(0, this, [this] { done(model_.result()); });
        return;
    }
    timer_->start();
}

void CExamDlg::onTick()
{
    timer_->stop();
    const auto st = model_.Tick();
    refresh();
    if (st == ExaminationModel::State::Running) {
        timer_->start();
        return;
    }
    QApplication::restoreOverrideCursor();
    done(model_.result());
}

void CExamDlg::refresh()
{
    progress_->setValue(model_.view().progress);
    emit statusText(QString::fromStdString(model_.view().statusPane));
}

}  // namespace kestrel
