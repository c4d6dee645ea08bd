#include <merlin/testing/CFakeLink.h>

namespace merlin {

CFakeLink::CFakeLink(LinkSettings settings) : settings_(settings), retries_(settings.retries) {}

bool CFakeLink::OpenLink()
{
    return OpenLinkWithTimeout(settings_.timeoutMs);
}

bool CFakeLink::OpenLinkWithTimeout(uint32_t timeoutMs)
{
    if (serverMissing_)
        return false;
    open_ = true;
    openTimeoutMs_ = timeoutMs;
    retries_ = settings_.retries;
    return true;
}

void CFakeLink::CloseLink()
{
    open_ = false;
}

int CFakeLink::readResult(int station, int registerOffset) const
{
    if (serverMissing_)
        return kLinkCallFailed;
    if (!open_)
        return kLinkPortNotOpen;
    auto drive = drives_.find(station);
    if (station == 0 || drive == drives_.end())
        return kLinkTimeout;
    if (auto forced = readResults_.find({station, registerOffset}); forced != readResults_.end())
        return forced->second;
    return drive->second.count(registerOffset) ? kLinkOk : linkException(2);
}

int CFakeLink::ReadRegister(int station, int registerOffset, uint16_t& value)
{
    const int result = readResult(station, registerOffset);
    if (result == kLinkOk)
        value = drives_[station][registerOffset];
    return record(Call::Kind::Read, station, registerOffset, result == kLinkOk ? value : 0, result);
}

int CFakeLink::writeResult(int station, int registerOffset, uint16_t value) const
{
    if (serverMissing_)
        return kLinkCallFailed;
    if (!open_)
        return kLinkPortNotOpen;
    if (station != 0 && !drives_.count(station))
        return kLinkTimeout;
    if (auto forced = writeResults_.find({station, registerOffset}); forced != writeResults_.end())
        return forced->second;
    return writeHook_ ? writeHook_(station, registerOffset, value) : kLinkOk;
}

int CFakeLink::WriteRegister(int station, int registerOffset, uint16_t value)
{
    const int result = writeResult(station, registerOffset, value);
    if (result == kLinkOk && station != 0)
        drives_[station][registerOffset] = value;
    if (station == 0 && open_ && !serverMissing_) {
        // Every drive takes a broadcast; none of them answers it.
        for (auto& drive : drives_)
            drive.second[registerOffset] = value;
        return record(Call::Kind::Write, station, registerOffset, value, kLinkTimeout);
    }
    return record(Call::Kind::Write, station, registerOffset, value, result);
}

int CFakeLink::record(Call::Kind kind, int station, int registerOffset, uint16_t value, int result)
{
    calls_.push_back({kind, station, registerOffset, value, result, retries_});
    return result;
}

void CFakeLink::addStation(int station)
{
    drives_[station];
}

void CFakeLink::setRegister(int station, int registerOffset, uint16_t value)
{
    drives_[station][registerOffset] = value;
}

std::optional<uint16_t> CFakeLink::registerValue(int station, int registerOffset) const
{
    auto drive = drives_.find(station);
    if (drive == drives_.end())
        return std::nullopt;
    auto reg = drive->second.find(registerOffset);
    if (reg == drive->second.end())
        return std::nullopt;
    return reg->second;
}

void CFakeLink::setReadResult(int station, int registerOffset, int result)
{
    if (result == kLinkOk)
        readResults_.erase({station, registerOffset});
    else
        readResults_[{station, registerOffset}] = result;
}

void CFakeLink::setWriteResult(int station, int registerOffset, int result)
{
    if (result == kLinkOk)
        writeResults_.erase({station, registerOffset});
    else
        writeResults_[{station, registerOffset}] = result;
}

std::vector<CFakeLink::Call> CFakeLink::writes() const
{
    std::vector<Call> out;
    for (const Call& call : calls_)
        if (call.kind == Call::Kind::Write)
            out.push_back(call);
    return out;
}

}  // namespace merlin
