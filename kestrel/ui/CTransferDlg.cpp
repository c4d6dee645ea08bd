#include <kestrel/ui/CTransferDlg.h>

#include <platform/Notice.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace kestrel {

CTransferDlg::CTransferDlg(CTelegram& telegram, TransferModel::Mode mode, QWidget* parent)
    : QDialog(parent), model_(telegram, mode)
{
    setWindowTitle(QString::fromStdString(model_.view().caption));
    auto* layout = new QVBoxLayout(this);
    status_ = new QLabel(QString::fromStdString(model_.view().statusLine), this);
    layout->addWidget(status_);
    progress_ = new QProgressBar(this);
    progress_->setObjectName("progress1065");
    progress_->setMinimumWidth(340);
    layout->addWidget(progress_);
    auto* row = new QHBoxLayout;
    elapsed_ = new QLabel(this);
    elapsed_->setObjectName("text1190");
    stop_ = new QPushButton(tr("STOP"), this);
    row->addWidget(elapsed_, 1);
    row->addWidget(stop_);
    layout->addLayout(row);
    connect(stop_, &QPushButton::clicked, this, [this] { model_.Stop(); });
    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    timer_->setInterval(2);
    connect(timer_, &QTimer::timeout, this, &CTransferDlg::onTick);
}

void CTransferDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (started_)
        return;
    started_ = true;
    // Opening runs its exchanges after the dialog is on the screen.
    QTimer::singleShot(0, this, [this] {
        const auto st = model_.Open();
        refresh();
        if (st == TransferModel::State::Ended)
            end();
        else
            timer_->start();
    });
}

void CTransferDlg::onTick()
{
    auto st = model_.Tick();
    while (st == TransferModel::State::Asking) {
        refresh();
        const auto a = platform::showMessage(model_.question(), platform::MsgIcon::Question,
                                             platform::MsgButtons::YesNo);
        st = model_.Answer(a == platform::MsgAnswer::Yes);
    }
    refresh();
    if (st == TransferModel::State::Ended)
        end();
    else
        timer_->start();
}

void CTransferDlg::refresh()
{
    const auto& v = model_.view();
    progress_->setRange(0, std::max(1, v.range));
    progress_->setValue(std::min(v.progress, std::max(1, v.range)));
    elapsed_->setText(QString::fromStdString(v.elapsed));
    emit statusText(QString::fromStdString(v.statusPane));
}

void CTransferDlg::end()
{
    for (const auto& n : model_.notices())
        platform::show(n);
    done(model_.result() == 0 ? Accepted : Rejected);
}

int runTransferDialog(CTelegram& telegram, TransferModel::Mode mode, QWidget* parent)
{
    CTransferDlg dlg(telegram, mode, parent);
    dlg.exec();
    return dlg.model().result();
}

}  // namespace kestrel
