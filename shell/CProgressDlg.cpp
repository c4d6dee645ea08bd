#include <shell/CProgressDlg.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace shell {

CProgressDlg::CProgressDlg(const QString& title, QWidget* parent) : QDialog(parent)
{
    setObjectName("progressDialog");
    setWindowTitle(title);
    setModal(true);
    status_ = new QLabel(this);
    status_->setObjectName("statusText");
    status_->setMinimumWidth(320);
    bar_ = new QProgressBar(this);
    bar_->setObjectName("progressBar");
    bar_->setTextVisible(false);
    elapsed_ = new QLabel(this);
    elapsed_->setObjectName("elapsedText");
    elapsed_->hide();
    stopButton_ = new QPushButton("STOP", this);
    stopButton_->setObjectName("stopButton");
    connect(stopButton_, &QPushButton::clicked, this, &CProgressDlg::onStop);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(elapsed_);
    buttons->addStretch();
    buttons->addWidget(stopButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addWidget(bar_);
    layout->addLayout(buttons);

    timer_ = new QTimer(this);
    timer_->setInterval(2);
    connect(timer_, &QTimer::timeout, this, &CProgressDlg::tick);
}

void CProgressDlg::setStatus(const QString& text) { status_->setText(text); }
QString CProgressDlg::status() const { return status_->text(); }
void CProgressDlg::setRange(int minimum, int maximum) { bar_->setRange(minimum, maximum); }
void CProgressDlg::setValue(int value) { bar_->setValue(value); }
int CProgressDlg::value() const { return bar_->value(); }
void CProgressDlg::setInterval(int ms) { timer_->setInterval(ms); }
bool CProgressDlg::ticking() const { return timer_->isActive(); }

void CProgressDlg::showElapsed(bool on)
{
    elapsed_->setVisible(on);
    updateElapsed();
}

QString CProgressDlg::elapsedText() const { return elapsed_->text(); }

void CProgressDlg::updateElapsed()
{
    const long seconds = clock_.isValid() ? static_cast<long>(clock_.elapsed() / 1000) : 0L;
    elapsed_->setText(QString::asprintf("%ld sec", seconds));
}

int CProgressDlg::run()
{
    start();
    return exec();
}

void CProgressDlg::start()
{
    ended_ = false;
    clock_.start();
    updateElapsed();
    timer_->start();
}

void CProgressDlg::pause() { timer_->stop(); }

void CProgressDlg::resume()
{
    if (!ended_) timer_->start();
}

void CProgressDlg::tick()
{
    // One step at a time: a step that opens a nested loop (a box, a dialog)
    // must not be re-entered by the next tick.
    timer_->stop();
    if (elapsed_->isVisible()) updateElapsed();
    const Step step = stepper_ ? stepper_() : Step::Done;
    if (ended_) return;
    switch (step) {
    case Step::Continue:
        resume();
        break;
    case Step::Ask:
        if (question_ && !question_()) end(Stopped);
        else resume();
        break;
    case Step::Done:
        end(Finished);
        break;
    case Step::Failed:
        end(Failed);
        break;
    }
}

void CProgressDlg::onStop()
{
    if (stop_) {
        // The stepper winds down at its next tick (a transfer closes its file).
        stop_();
        resume();
        return;
    }
    end(Stopped);
}

void CProgressDlg::end(int outcome)
{
    ended_ = true;
    timer_->stop();
    done(outcome);
}

}  // namespace shell
