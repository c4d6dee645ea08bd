#include <kestrel/core/TransferModel.h>

namespace kestrel {

TransferModel::TransferModel(CTelegram& telegram, Mode mode, TransferJob& job) : database_(mode == Mode::Database)
{
    if (mode != Mode::Database)
        job.direction = mode == Mode::Download ? TransferDirection::Download : TransferDirection::Upload;
    transfer_ = std::make_unique<CTransfer>(telegram, job, database_);
    view_.statusLine = transfer_->statusLine();
}

void TransferModel::refresh()
{
    view_.progress = transfer_->progress();
    view_.range = transfer_->progressRange();
    view_.elapsed = transfer_->elapsedText();
}

TransferModel::State TransferModel::Open()
{
    const int r = transfer_->Open();
    // The database upload names itself in the status bar; the value
    // transfers show their dialog's line there.
    view_.statusPane = database_ ? kDatabaseStatus : view_.statusLine;
    refresh();
    return r == 0 ? State::Running : end(r);
}

TransferModel::State TransferModel::follow(int r)
{
    refresh();
    if (r == CTransfer::GoOn)
        return state_ = State::Running;
    if (r == CTransfer::AskContinue)
        return state_ = State::Asking;
    return end(r);
}

TransferModel::State TransferModel::Tick()
{
    if (state_ != State::Running)
        return state_;
    return follow(transfer_->Tick());
}

TransferModel::State TransferModel::Answer(bool yes)
{
    if (state_ != State::Asking)
        return state_;
    return follow(transfer_->AnswerContinue(yes));
}

TransferModel::State TransferModel::end(int result)
{
    result_ = result;
    notices_ = transfer_->Finish(result);
    view_.statusPane = "Ready";
    refresh();
    return state_ = State::Ended;
}

}  // namespace kestrel
