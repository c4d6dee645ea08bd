#include <shell/CommDialogModel.h>
#include <shell/ShellContext.h>
#include <shell/ShellTexts.h>

#include <platform/MessageBox.h>

#include <algorithm>

namespace shell {

CommDialogModel::CommDialogModel(ShellContext& context, PortSource source, bool openedAtStart)
    : context_(context), source_(std::move(source)), openedAtStart_(openedAtStart)
{
}

const std::vector<std::string>& CommDialogModel::baudRates()
{
    static const std::vector<std::string> rates = {"1200", "2400", "4800", "9600", "14400", "19200", "38400"};
    return rates;
}

bool CommDialogModel::probe()
{
    available_ = context_.probePorts(source_);
    if (std::any_of(available_.begin(), available_.end(), [](bool a) { return a; })) return true;
    platform::showMessage(text::kNoComPort, platform::MsgIcon::Stop);
    return false;
}

CommChoice CommDialogModel::initialChoice() const
{
    const ShellSettings& s = context_.settings;
    CommChoice c;
    const auto& rates = baudRates();
    const bool known = std::find(rates.begin(), rates.end(), s.baud) != rates.end();
    c.baud = known ? s.baud : context_.usualBaud();
    c.port = 0;
    if (portAvailable(s.port)) {
        c.port = s.port;
    } else {
        for (int n = 1; n <= kDialogPorts && c.port == 0; ++n)
            if (portAvailable(n)) c.port = n;
    }
    c.protocol = s.protocol == "7E1" ? "7E1" : "8N1";
    c.dontShowAgain = false;
    return c;
}

int CommDialogModel::accept(const CommChoice& choice)
{
    ShellSettings& s = context_.settings;
    s.baud = choice.baud;
    s.port = choice.port;
    s.protocol = choice.protocol == "7E1" ? "7E1" : "8N1";
    const AppliedComm applied = context_.applySettings();
    if (choice.dontShowAgain) s.com = false;
    const int result = context_.testPort(source_, applied, timing_);
    context_.setPortTestResult(result);
    return result;
}

}  // namespace shell
