#include <kestrel/core/CNetworkExamination.h>

#include <kestrel/core/EndCodes.h>
#include <kestrel/core/HexText.h>
#include <kestrel/core/ParameterNumbers.h>
#include <platform/PortProblem.h>

#include <cstdio>

namespace kestrel {

int ExamineAddress(CTelegram& telegram, CDeviceTable& table, int address)
{
    char text[16];
    std::snprintf(text, sizeof text, "%.2d", address);
    state().currentAddress = text;
    table.setPresent(address, false);

    telegram.SetRepeat(2);
    bool ok = telegram.ReadParameter(param::kRecordCount.digits());
    telegram.ResetRepeat();
    if (telegram.portError())
        return CNetworkExamination::PortError;
    if (!ok)
        return telegram.status();
    ok = telegram.ReadParameter(param::kRatedPower.digits());
    if (telegram.portError())
        return CNetworkExamination::PortError;
    if (!ok)
        return 0;
    if (table.name(address).empty())
        table.setName(address, "NEW");
    table.setRatedPower(address, parseHex4(telegram.valueText()).value_or(0));
    table.setPresent(address, true);
    state().noDevice = false;
    return 1;
}

int CNetworkExamination::endCode(int result)
{
    switch (result) {
    case Done: return kEndDone;
    case NoLine: return kEndNoLine;
    case NoTimer: return kEndNoTimer;
    case PortError: return kEndPortError;
    default: return kEndUnknown;
    }
}

int CNetworkExamination::start()
{
    KestrelState& s = state();
    table_.load(CDeviceTable::defaultPath());
    s.noDevice = true;
    s.currentAddress = "0";
    next_ = 0;
    telegram_.WaitForPort();
    telegram_.OpenPort(false);
    if (s.settings.rtsMode && telegram_.ProbeAddress(param::kRecordCount.digits()) < 1) {
        table_.clearAllPresent();
        return NoLine;
    }
    s.logLine("EXAM NETWORK - START");
    return 0;
}

int CNetworkExamination::step()
{
    if (next_ >= kAddressCount)
        return Finished;
    const int r = ExamineAddress(telegram_, table_, next_);
    if (r < 0)
        return r;
    ++next_;
    return GoOn;
}

std::vector<platform::Notice> CNetworkExamination::finish(int result)
{
    using platform::MsgIcon;
    std::vector<platform::Notice> out;
    if (auto n = endCodeMessage(endCode(result))) {
        n->text = platform::addPortProblem(n->text, telegram_.portProblem());
        out.push_back(*n);
    }
    telegram_.ClosePort(false);
    state().logLine("EXAM NETWORK - END");
    const std::string path = CDeviceTable::defaultPath();
    if (!table_.save(path))
        out.push_back({"'" + path + "'\ncouldn't accessed !", MsgIcon::Stop});
    return out;
}

}  // namespace kestrel
