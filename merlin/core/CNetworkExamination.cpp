#include <merlin/core/CNetworkExamination.h>

#include <platform/PortProblem.h>

namespace merlin {

CNetworkExamination::CNetworkExamination(CModbusLink& link, CDeviceTable& table, std::string installDir,
                                         DebugLog log)
    : link_(link), table_(table), installDir_(std::move(installDir)), log_(std::move(log))
{
}

void CNetworkExamination::start()
{
    table_.load(installDir_);
    table_.clearPresent();
    next_ = 1;
    link_.OpenLinkWithTimeout(kScanTimeoutMs);
    if (log_)
        log_("EXAM NETWORK - START");
}

std::string CNetworkExamination::stationText() const
{
    return platform::strFormat("%.2d", next_ - 1);
}

int CNetworkExamination::step()
{
    if (next_ > CDeviceTable::kStations)
        return kEndDone;
    const int result = examine(next_);
    ++next_;
    // An absent drive is normal; a link or port that does not work ends the search.
    if (result == kLinkCallFailed)
        return kEndNoConnection;
    if (result == kLinkPortNotOpen)
        return kEndPortError;
    return next_ > CDeviceTable::kStations ? kEndDone : 1;
}

int CNetworkExamination::examine(int station)
{
    uint16_t type = 0;
    link_.SetRetries(1);
    int result = link_.ReadRegister(station, identification::kDeviceType, type);
    link_.RestoreRetries();
    if (result != kLinkOk)
        return result;
    uint16_t application = 0;
    uint16_t version = 0;
    uint16_t presence = 0;
    result = link_.ReadRegister(station, identification::kApplication, application);
    if (result == kLinkOk)
        result = link_.ReadRegister(station, identification::kSoftwareVersion, version);
    if (result == kLinkOk)
        result = link_.ReadRegister(station, identification::kPresence, presence);
    if (result != kLinkOk)
        return result;
    table_.setIdentification(station, type, application, version);
    table_.setPresent(station, true);
    if (table_.name(station).empty())
        table_.setName(station, "NEW");
    return kLinkOk;
}

bool CNetworkExamination::anyPresent() const
{
    for (int station = 1; station <= CDeviceTable::kStations; ++station)
        if (table_.present(station))
            return true;
    return false;
}

platform::Notice CNetworkExamination::portErrorMessage()
{
    return {"There was some error on the port.The network search could not be completed.\nPlease try again.",
            platform::MsgIcon::Stop};
}

std::vector<platform::Notice> CNetworkExamination::finish(int endCode)
{
    std::vector<platform::Notice> messages;
    if (endCode == kEndPortError) {
        platform::Notice n = portErrorMessage();
        n.text = platform::addPortProblem(n.text, link_.PortProblem());
        messages.push_back(n);
    }
    link_.CloseLink();
    if (auto failed = table_.save(installDir_))
        messages.push_back(*failed);
    if (log_)
        log_("EXAM NETWORK - END");
    if (auto message = endCodeMessage(endCode))
        messages.push_back(*message);
    return messages;
}

}  // namespace merlin
