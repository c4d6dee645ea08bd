#include <kestrel/ui/CTransferDlg.h>

#include <platform/Notice.h>

namespace kestrel {

CTransferDlg::CTransferDlg(CTelegram& telegram, TransferModel::Mode mode, TransferJob& job, QWidget* parent)
    : shell::CProgressDlg(QString::fromStdString(TransferModel::View{}.caption), parent), model_(telegram, mode, job)
{
    setObjectName("transferDialog");
    setStatus(QString::fromStdString(model_.view().statusLine));
    showElapsed(true);
    setStepper([this] { return step(); });
    setStopHandler([this] { model_.Stop(); });
    setQuestionHandler([this] {
        const auto a = platform::showMessage(model_.question(), platform::MsgIcon::Question,
                                             platform::MsgButtons::YesNo);
        model_.Answer(a == platform::MsgAnswer::Yes);
        refresh();
        return true;  // the next tick ends the run if the answer ended it
    });
}

int CTransferDlg::exec()
{
    start();
    shell::CProgressDlg::exec();
    for (const auto& n : model_.notices())
        platform::show(n);
    return model_.result();
}

void CTransferDlg::refresh()
{
    const auto& v = model_.view();
    setRange(0, std::max(1, v.range));
    setValue(std::min(v.progress, std::max(1, v.range)));
    emit statusText(QString::fromStdString(v.statusPane));
}

CTransferDlg::Step CTransferDlg::step()
{
    TransferModel::State st = model_.state();
    if (!opened_) {
        opened_ = true;
        st = model_.Open();
    } else if (st == TransferModel::State::Running) {
        st = model_.Tick();
    }
    refresh();
    switch (st) {
    case TransferModel::State::Running: return Step::Continue;
    case TransferModel::State::Asking: return Step::Ask;
    case TransferModel::State::Ended: break;
    }
    return model_.result() == 0 ? Step::Done : Step::Failed;
}

int runTransferDialog(CTelegram& telegram, TransferModel::Mode mode, TransferJob& job, QWidget* parent)
{
    CTransferDlg dlg(telegram, mode, job, parent);
    return dlg.exec();
}

}  // namespace kestrel
