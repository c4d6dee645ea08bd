#include <merlin/core/CBulkTransfer.h>

#include <platform/PortProblem.h>

namespace merlin {

CBulkTransfer::CBulkTransfer(TransferDirection direction, CModbusLink& link, int station, CParSet& set,
                             DebugLog log)
    : direction_(direction), link_(link), station_(station), set_(set), log_(std::move(log))
{
}

std::string CBulkTransfer::title() const
{
    return platform::strFormat("%s device %d ...", direction_ == TransferDirection::Upload ? "Uploading from" : "Downloading to",
                     station_);
}

void CBulkTransfer::reset(uint32_t nowMs)
{
    next_ = 0;
    total_ = set_.Count();
    skipped_ = 0;
    refusals_ = 0;
    startMs_ = nowMs;
    abortRequested_ = false;
    failures_.clear();
    progress_.clear();
}

void CBulkTransfer::start(uint32_t nowMs)
{
    reset(nowMs);
    if (direction_ == TransferDirection::Upload) {
        if (log_)
            log_("UPLOAD ALL - START");
        return;
    }
    password_ = 0;
    writePassword();
}

void CBulkTransfer::restart(uint16_t password, uint32_t nowMs)
{
    reset(nowMs);
    password_ = password;
    writePassword();
}

void CBulkTransfer::writePassword()
{
    // The drive takes writes only after its password register was written:
    // with the entered password, else with the value the set holds for it.
    // A set without that register and no entered password writes nothing.
    if (password_ != 0) {
        link_.WriteRegister(station_, kPasswordRegister, password_);
        return;
    }
    for (int k = 0; k < set_.Count(); ++k) {
        if (set_.RegisterOffsetAt(k) == kPasswordRegister) {
            link_.WriteRegister(station_, kPasswordRegister, rawToRegister(set_.ValueAt(k)));
            return;
        }
    }
}

namespace {

// The customer selection only counts while the document's filter is on.
bool selectedOut(const CParSet& set, const CPar& par, int bit)
{
    return (set.ViewFlags() & kFilterActive) && (par.selectionFlags & bit) != 0;
}

}  // namespace

bool CBulkTransfer::excluded(const CPar& par) const
{
    return selectedOut(set_, par, direction_ == TransferDirection::Upload ? kSelNoUpload : kSelNoDownload);
}

bool CBulkTransfer::DownloadWrites(const CParSet& set, const CPar& par)
{
    const int offset = par.RegisterOffset();
    return !(par.IsReadOnly() || par.access == 2 || par.access == 4 || selectedOut(set, par, kSelNoDownload) ||
             offset == kPasswordRegister || offset == kHiddenRegister);
}

void CBulkTransfer::fail(const CPar& par, int result)
{
    failures_.push_back({par.RegisterOffset(), par.name, result});
}

int CBulkTransfer::linkEnd(int result)
{
    // Without the link server or an open port no later parameter can get
    // through either: end now instead of failing every one of them.
    if (result == kLinkCallFailed)
        return kEndNoConnection;
    if (result == kLinkPortNotOpen)
        return kEndNoDevice;
    return 1;
}

int CBulkTransfer::step()
{
    if (abortRequested_)
        return kEndAborted;
    return direction_ == TransferDirection::Upload ? uploadStep() : downloadStep();
}

int CBulkTransfer::uploadStep()
{
    if (next_ >= total_)
        return kEndDone;
    progress_ = platform::strFormat("%4d / %d", next_ + 1, total_);
    CPar& par = set_.At(next_);
    const int offset = par.RegisterOffset();
    if (!excluded(par) && offset != kPasswordRegister && offset != kHiddenRegister) {
        uint16_t word = 0;
        const int result = link_.ReadRegister(station_, offset, word);
        if (result != kLinkOk) {
            fail(par, result);
            ++next_;
            return linkEnd(result);
        }
        par.value = registerToRaw(word, par.min);
    }
    ++next_;
    return 1;
}

int CBulkTransfer::downloadStep()
{
    // Every parameter is visited; skipped ones only shrink the count shown.
    if (next_ >= total_)
        return kEndDone;
    const CPar& par = set_.At(next_);
    progress_ = platform::strFormat("%4d / %d", next_ + 1 - skipped_, total_ - skipped_);
    ++next_;
    if (!DownloadWrites(set_, par)) {
        ++skipped_;
        return 1;
    }
    const int result = link_.WriteRegister(station_, par.RegisterOffset(), rawToRegister(par.value));
    if (result != kLinkOk)
        fail(par, result);
    refusals_ = result == kLinkWriteRefused ? refusals_ + 1 : result == kLinkOk ? 0 : refusals_;
    return refusals_ >= kRefusalsBeforePassword ? kEndPasswordNeeded : linkEnd(result);
}

std::string CBulkTransfer::elapsedText(uint32_t nowMs) const
{
    return platform::strFormat("%ld sec", static_cast<long>((nowMs - startMs_) / 1000));
}

std::optional<platform::Notice> CBulkTransfer::endMessage(int endCode) const
{
    if (endCode == kEndAborted && log_)
        log_("LOADING STOPPED");
    auto message = endCodeMessage(endCode);
    if (message && endCode == kEndNoDevice) message->text = platform::addPortProblem(message->text, link_.PortProblem());
    return message;
}

}  // namespace merlin
