#include <merlin/core/TransferDialog.h>

#include <platform/ParseInt.h>

namespace merlin {

TransferDialog::TransferDialog(TransferDirection direction, CModbusLink& link, int station, CParSet& set,
                               CBulkTransfer::DebugLog log)
    : direction_(direction), set_(set), transfer_(direction, link, station, set, std::move(log))
{
    view_.title = transfer_.title();
}

void TransferDialog::Start(uint32_t nowMs)
{
    endCode_.reset();
    silent_ = 0;
    transfer_.start(nowMs);
    view_.barMaximum = transfer_.total();
    view_.barValue = 0;
    view_.progress.clear();
    view_.errors.clear();
    view_.elapsed = transfer_.elapsedText(nowMs);
}

void TransferDialog::showProgress(uint32_t nowMs)
{
    view_.elapsed = transfer_.elapsedText(nowMs);
    view_.progress = transfer_.progressText();
    view_.barValue = transfer_.position();
    view_.errors = transfer_.errorCount() > 0 ? platform::strFormat("%d", transfer_.errorCount()) : std::string();
}

TransferDialog::Step TransferDialog::end(int code)
{
    endCode_ = code;
    return Step::Done;
}

TransferDialog::Step TransferDialog::Tick(uint32_t nowMs)
{
    if (endCode_)
        return Step::Done;
    const int index = transfer_.position();
    const bool uploading = direction_ == TransferDirection::Upload && index < set_.Count();
    const int valueBefore = uploading ? set_.ValueAt(index) : 0;
    const size_t failuresBefore = transfer_.failures().size();
    const int result = transfer_.step();
    showProgress(nowMs);
    if (transfer_.failures().size() > failuresBefore)
        silent_ = isLineFailure(transfer_.failures().back().result) ? silent_ + 1 : 0;
    else if (transfer_.position() > index)
        silent_ = 0;
    if (uploading && set_.ValueAt(index) != valueBefore)
        documentChanged_ = true;
    if (result == 1 && silent_ >= kSilentBeforeNoConnection)
        return end(kEndNoConnection);
    if (result == 1)
        return Step::Continue;
    if (result == kEndPasswordNeeded)
        return Step::AskPassword;
    return end(result);
}

void TransferDialog::AnswerPassword(std::optional<uint16_t> password, uint32_t nowMs)
{
    if (!password) {
        end(kEndAborted);
        return;
    }
    transfer_.restart(*password, nowMs);
    silent_ = 0;
    view_.barMaximum = transfer_.total();
    view_.barValue = 0;
    view_.errors.clear();
}

std::optional<uint16_t> TransferDialog::parsePassword(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    const size_t last = text.find_last_not_of(" \t");
    if (first == std::string::npos)
        return std::nullopt;
    return platform::parseInt<uint16_t>(std::string_view(text).substr(first, last + 1 - first));
}

std::vector<platform::Notice> TransferDialog::Finish()
{
    std::vector<platform::Notice> notices;
    if (auto notice = transfer_.endMessage(endCode()))
        notices.push_back(*notice);
    return notices;
}

std::string TransferDialog::errorText(int result)
{
    if (result == kLinkCallFailed)
        return "link server not reachable";
    const std::string code = platform::strFormat("%04X", static_cast<unsigned>(result) & 0xFFFFu);
    if (result > 0x8200 && result <= 0x82FF)
        return code + platform::strFormat("  refused (exception %d)", result - 0x8200);
    // The link server's result codes of the line itself.
    switch (result) {
    case kLinkTimeout: return code + "  no answer";
    case kLinkBadResponse: return code + "  bad answer";
    case kLinkChecksumError: return code + "  checksum error";
    case kLinkWriteError: return code + "  cannot send on the port";
    case kLinkReadError: return code + "  cannot receive from the port";
    case kLinkPortNotOpen: return code + "  port not open";
    case kLinkBusy: return code + "  line busy";
    default: return code + "  link error";
    }
}

bool TransferDialog::everyValueRead() const
{
    return direction_ == TransferDirection::Upload && completed() && transfer_.failures().empty() &&
           !(set_.ViewFlags() & kFilterActive);
}

std::vector<TransferDialog::FailureRow> TransferDialog::failureRows() const
{
    std::vector<FailureRow> rows;
    for (const TransferFailure& failure : transfer_.failures())
        rows.push_back({platform::strFormat("%d  %s", failure.registerOffset, failure.name.c_str()),
                        errorText(failure.result)});
    return rows;
}

}  // namespace merlin
