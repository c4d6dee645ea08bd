#include <kestrel/core/CKeypadControl.h>

#include <kestrel/core/DeviceStatus.h>
#include <kestrel/core/ExaminationModel.h>
#include <kestrel/core/HexText.h>
#include <kestrel/core/KestrelState.h>
#include <kestrel/core/ParameterNumbers.h>

#include <cmath>
#include <cstdio>

namespace kestrel {

using platform::MsgIcon;

const char* const CKeypadControl::kNotSioText =
    "This unit is not configured in SIO control mode !\nPlease select REMOTE - SIO mode.\n\n"
    "( Refer parameters 29 and 9B. )";

namespace {

constexpr double kSetpointLimit = 32500;
constexpr char kNoState = 100;

struct RunCommand {
    const char* text;
    const char* startLine;
    const char* endLine;
};

RunCommand runCommand(int c)
{
    switch (c) {
    case CKeypadControl::Fwd: return {"00AD0080", "FWD COMMAND - START", "FWD COMMAND - END"};
    case CKeypadControl::Rev: return {"00AD0040", "REV COMMAND - START", "REV COMMAND - END"};
    default: return {"00AD0000", "STOP COMMAND - START", "STOP COMMAND - END"};
    }
}

// The flag is set for one exchange sequence and always cleared after it.
// The sequence goes to the window's own drive: other windows move the
// current device address between two ticks.
class OperationScope {
public:
    explicit OperationScope(const std::string& address)
    {
        state().currentAddress = address;
        state().operationInProgress = true;
    }
    ~OperationScope() { state().operationInProgress = false; }
    OperationScope(const OperationScope&) = delete;
    OperationScope& operator=(const OperationScope&) = delete;
};

}  // namespace

CKeypadControl::CKeypadControl(CTelegram& telegram) : telegram_(telegram), address_(state().currentAddress) {}

std::optional<platform::Notice> CKeypadControl::OpenCheck(const std::string& address)
{
    if (auto other = ExaminationModel::PortTestNotice())
        return other;
    int a = 0;
    for (char c : address)
        a = (c >= '0' && c <= '9' && a < 100) ? a * 10 + (c - '0') : a;
    if (address.empty() || a >= kAddressCount)
        return platform::Notice{"No inverter selected.", MsgIcon::Exclamation};
    const char presence = state().windowPresence[static_cast<size_t>(a)];
    if (presence == '2' || presence == '3')
        return platform::Notice{"Control window for this device already exists !", MsgIcon::Exclamation};
    return std::nullopt;
}

int CKeypadControl::address() const
{
    int a = 0;
    for (char c : address_) {
        if (c < '0' || c > '9' || a > 100)
            break;
        a = a * 10 + (c - '0');
    }
    return a;
}

bool CKeypadControl::busy() const
{
    return state().operationInProgress;
}

std::string CKeypadControl::errorRegisterText(int code)
{
    switch (code) {
    case 0x02: return "Time-out !";
    case 0x04: return "Inverter Busy !";
    case 0x08: return "Invalid SIO mode !";
    case 0x10: return "Invalid Checksum !";
    case 0x20: return "Unknown Parameter !";
    case 0x40: return "Invalid write attempt !";
    case 0x80: return "Value range exceeded !";
    default: return "Unknown error occured !";
    }
}

// ---- opening ---------------------------------------------------------------

bool CKeypadControl::Open(std::vector<platform::Notice>& notices)
{
    KestrelState& s = state();
    view_.title = "Keypad Controls - Addr. : " + address_ + " -- " + s.deviceTitle;
    if (busy())
        return false;
    std::optional<std::string> status;
    {
        OperationScope op(address_);
        telegram_.OpenPort(false);
        telegram_.ReadParameter(param::kErrorRegister.digits());
        if (telegram_.ReadParameter(param::kStatusWord.digits()))
            status = telegram_.valueText();
        else
            notices.push_back({"Error Inverter state", MsgIcon::Stop});
        if (status && !(parseHex4(*status).value_or(0) & 0x2000)) {
            notInSio_ = true;
            notices.push_back({kNotSioText, MsgIcon::Information});
        }
        DecodeStatusWord(address(), status);
        if (telegram_.ReadParameter(param::kSetpointSource.digits()))
            p31_ = parseHex4(telegram_.valueText()).value_or(0);
        telegram_.ClosePort(false);
    }
    view_.p31Text = std::to_string(p31_);
    view_.sioSourceChecked = false;
    view_.setpointText = "0";
    view_.incDecEnabled = view_.downloadEnabled = false;
    view_.fwdIcon = kFwdIcon;
    view_.revIcon = kRevIcon;
    view_.stopIcon = kStopIcon;
    lastState_ = kNoState;
    closeRequested_ = false;
    char& presence = s.windowPresence[static_cast<size_t>(address() & 31)];
    presence = presence == '1' ? '2' : '3';
    open_ = true;
    return true;
}

// ---- poll ----------------------------------------------------------------------

CKeypadControl::TickResult CKeypadControl::Tick(bool windowActive)
{
    TickResult r;
    if (closeRequested_) {
        if (closeCheck(r.notices)) {
            r.destroy = true;
            return r;
        }
        closeRequested_ = false;
        return r;
    }
    if (pending_ != None) {
        const int c = pending_;
        pending_ = None;
        std::vector<platform::Notice> n;
        switch (c) {
        case Fwd: case Rev: case Stop: n = Run(static_cast<Command>(c)); break;
        case SourceInitial: n = SelectInitialSource(); break;
        case SourceSio: n = SelectSioSource(); break;
        case Download: n = DownloadSetpoint(); break;
        case Reset: n = ErrorReset(); break;
        default: break;
        }
        r.notices.insert(r.notices.end(), n.begin(), n.end());
    }
    if (!windowActive) {
        view_.statusLine = "Scanning OFF";
        lastState_ = kNoState;
    } else if (!busy()) {
        pollStatus();
    }
    return r;
}

void CKeypadControl::pollStatus()
{
    std::optional<std::string> status;
    {
        OperationScope op(address_);
        telegram_.OpenPort(false);
        if (telegram_.ReadParameter(param::kStatusWord.digits()))
            status = telegram_.valueText();
        telegram_.ClosePort(false);
    }
    DecodeStatusWord(address(), status);
    showState(state().deviceStatus[static_cast<size_t>(address() & 31)]);
}

void CKeypadControl::showState(char c)
{
    if (c == lastState_)
        return;
    lastState_ = c;
    view_.statusLine = statusText(c);
    if (c == '9')
        return;
    const int n = (c >= 'A') ? c - 'A' : c - '0';
    struct Look { int fwd, rev, stop; bool reset, running; };
    static constexpr Look kLooks[] = {
        {kFwdIcon, kRevIcon, kStopLit, true, false},  {kFwdIcon, kRevIcon, kStopLit, false, false},
        {kFwdLit, kRevLit, kStopIcon, false, true},   {kFwdLit, kRevLit, kStopIcon, false, true},
        {kFwdIcon, kRevLit, kStopIcon, false, true},  {kFwdLit, kRevIcon, kStopIcon, false, true},
    };
    if (n < 0 || n > 5)
        return;
    const Look& l = kLooks[n];
    view_.fwdIcon = l.fwd;
    view_.revIcon = l.rev;
    view_.stopIcon = l.stop;
    view_.errorResetEnabled = l.reset;
    running_ = l.running;
}

// ---- the window's clicks -------------------------------------------------------

std::vector<platform::Notice> CKeypadControl::Press(Button button)
{
    switch (button) {
    case Button::Fwd: return Run(Fwd);
    case Button::Rev: return Run(Rev);
    case Button::Stop: return Run(Stop);
    case Button::ErrorReset: return ErrorReset();
    case Button::SourceInitial: return SelectInitialSource();
    case Button::SourceSio: return SelectSioSource();
    case Button::Inc: return Increment();
    case Button::Dec: return Decrement();
    case Button::Download: return DownloadSetpoint();
    case Button::Standard: SetControlType(ControlType::Standard); return {};
    case Button::Broadcast: SetControlType(ControlType::Broadcast); return {};
    }
    return {};
}

// ---- run commands ------------------------------------------------------------

bool CKeypadControl::sioCheck(std::vector<platform::Notice>& notices) const
{
    const char c = state().deviceStatus[static_cast<size_t>(address() & 31)];
    if (c < ';')
        return true;
    notices.push_back({kNotSioText, MsgIcon::Information});
    return false;
}

std::vector<platform::Notice> CKeypadControl::Run(Command command)
{
    std::vector<platform::Notice> notices;
    if (state().noDevice || !sioCheck(notices))
        return notices;
    const RunCommand rc = runCommand(command);
    state().logLine(rc.startLine);
    if (busy()) {
        pending_ = command;
        return notices;
    }
    {
        OperationScope op(address_);
        if (command != Fwd)
            telegram_.WaitForPort();
        telegram_.OpenPort(false);
        telegram_.ReadParameter(param::kErrorRegister.digits());
        telegram_.WriteParameter(rc.text);
        telegram_.ClosePort(false);
    }
    state().logLine(rc.endLine);
    return notices;
}

std::vector<platform::Notice> CKeypadControl::ErrorReset()
{
    state().logLine("RESET COMMAND - START");
    if (busy()) {
        pending_ = Reset;
        return {};
    }
    {
        OperationScope op(address_);
        telegram_.OpenPort(false);
        telegram_.ReadParameter(param::kErrorRegister.digits());
        telegram_.ReadParameter(param::kErrorReset.digits());
        telegram_.WriteParameter("00AD0000");
        telegram_.ClosePort(false);
    }
    state().logLine("RESET COMMAND - END");
    return {};
}

// ---- speed source and setpoint ---------------------------------------------------

std::vector<platform::Notice> CKeypadControl::SelectInitialSource()
{
    if (running_ && view_.sioSourceChecked)
        return {{"You cannot change the Setpoint while the unit is in running condition !", MsgIcon::Stop}};
    view_.sioSourceChecked = false;
    view_.setpointEditable = false;
    view_.setpointText = "0";
    setpoint_ = 0.0f;
    char text[16];
    std::snprintf(text, sizeof text, "0031%.4x", static_cast<unsigned>(p31_) & 0xFFFFu);
    if (busy()) {
        pending_ = SourceInitial;
        return {};
    }
    {
        OperationScope op(address_);
        telegram_.OpenPort(false);
        telegram_.WriteParameter(text);
        telegram_.ClosePort(false);
    }
    view_.incDecEnabled = view_.downloadEnabled = false;
    return {};
}

std::vector<platform::Notice> CKeypadControl::SelectSioSource()
{
    if (running_ && !view_.sioSourceChecked)
        return {{"You cannot change the Setpoint while the unit is in running condition !", MsgIcon::Stop}};
    view_.sioSourceChecked = true;
    view_.setpointEditable = true;
    if (busy()) {
        pending_ = SourceSio;
        return {};
    }
    std::optional<std::string> value;
    {
        OperationScope op(address_);
        telegram_.OpenPort(false);
        telegram_.WriteParameter("0031000B");
        if (telegram_.ReadParameter(param::kSioSetpoint.digits()))
            value = telegram_.valueText();
        telegram_.ClosePort(false);
    }
    if (value) {
        view_.setpointText = setpointFieldText(parseHex4(*value).value_or(0));
        setpoint_ = parseSetpoint(view_.setpointText).value_or(0.0f);
    } else {
        setpointShown();
    }
    view_.incDecEnabled = view_.downloadEnabled = true;
    return {};
}

// The drive keeps the setpoint in hundredths of a hertz; the field shows
// whole hertz of it, and only values above 0x8000 count as negative.
std::string CKeypadControl::setpointFieldText(std::uint16_t value)
{
    const long signedValue = value > 0x8000 ? static_cast<long>(value) - 0x10000 : static_cast<long>(value);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0.2f", static_cast<double>(signedValue / 100));
    return buf;
}

std::optional<float> CKeypadControl::parseSetpoint(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::nullopt;
    const auto last = text.find_last_not_of(" \t");
    const std::string t = text.substr(first, last - first + 1);
    size_t i = (t[0] == '+' || t[0] == '-') ? 1 : 0;
    size_t digits = 0;
    bool point = false;
    for (; i < t.size(); ++i) {
        if (t[i] >= '0' && t[i] <= '9')
            ++digits;
        else if (t[i] == '.' && !point)
            point = true;
        else
            return std::nullopt;
    }
    // Long digit strings overflow a float; the limits check refuses them.
    if (digits == 0 || digits > 12)
        return std::nullopt;
    return std::strtof(t.c_str(), nullptr);
}

bool CKeypadControl::takeSetpoint(std::vector<platform::Notice>& notices)
{
    const auto hz = parseSetpoint(view_.setpointText);
    if (!hz) {
        notices.push_back({kValueError, MsgIcon::Exclamation});
        setpointShown();
        return false;
    }
    setpoint_ = *hz;
    return true;
}

void CKeypadControl::setpointShown()
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0.2f", static_cast<double>(setpoint_));
    view_.setpointText = buf;
}

void CKeypadControl::SetSetpoint(float hz)
{
    setpoint_ = hz;
    setpointShown();
}

std::vector<platform::Notice> CKeypadControl::Increment()
{
    std::vector<platform::Notice> notices;
    if (!takeSetpoint(notices))
        return notices;
    if (setpoint_ < kSetpointLimit)
        setpoint_ += 1.0f;
    setpointShown();
    return notices;
}

std::vector<platform::Notice> CKeypadControl::Decrement()
{
    std::vector<platform::Notice> notices;
    if (!takeSetpoint(notices))
        return notices;
    if (setpoint_ > -kSetpointLimit)
        setpoint_ -= 1.0f;
    setpointShown();
    return notices;
}

std::vector<platform::Notice> CKeypadControl::DownloadSetpoint()
{
    if (notInSio_)
        return {{"Invalid SIO mode !", MsgIcon::Stop}};
    std::vector<platform::Notice> notices;
    if (!takeSetpoint(notices))
        return notices;
    if (busy()) {
        pending_ = Download;
        return {};
    }
    OperationScope op(address_);
    return SendSetpoint(static_cast<double>(setpoint_) * 100.0);
}

std::string CKeypadControl::setpointTelegram(double hundredths, std::optional<platform::Notice>& refusal)
{
    const long v = std::lround(hundredths);
    const long magnitude = std::labs(v);
    if (magnitude > kSetpointLimit) {
        refusal = platform::Notice{v > 0 ? "Value exceeds upper limit" : "Value is below lower limit", MsgIcon::Stop};
        return {};
    }
    const unsigned wire = v < 0 ? static_cast<unsigned>(0x10000 - magnitude) : static_cast<unsigned>(magnitude);
    char text[16];
    std::snprintf(text, sizeof text, "003A%.4X", wire & 0xFFFFu);
    return text;
}

// After a refused write the register is read until it reads 0000 (at most
// five times). The drive clears the register when it is read, so the read
// that ends the loop is mostly 0000: the last non-zero value names the
// reason.
int CKeypadControl::readErrorRegister()
{
    int code = 0;
    for (int i = 0; i < 5; ++i) {
        if (!telegram_.ReadParameter(param::kErrorRegister.digits()))
            continue;
        const int v = parseHex4(telegram_.valueText()).value_or(0);
        if (v == 0)
            break;
        code = v;
    }
    return code;
}

std::vector<platform::Notice> CKeypadControl::SendSetpoint(double hundredths)
{
    std::optional<platform::Notice> refusal;
    const std::string text = setpointTelegram(hundredths, refusal);
    if (refusal)
        return {*refusal};
    telegram_.OpenPort(false);
    telegram_.SetRepeat(1);
    int code = 0;
    bool refused = false;
    if (!telegram_.WriteParameter(text)) {
        refused = true;
        code = readErrorRegister();
    }
    telegram_.ResetRepeat();
    telegram_.ClosePort(false);
    // A refusal without a reason in the register is still a refusal.
    if (code > 0 || refused)
        return {{"ERROR :\n\n" + errorRegisterText(code), MsgIcon::Stop}};
    return {};
}

void CKeypadControl::SetControlType(ControlType type)
{
    view_.controlType = type;
    view_.incDecEnabled = false;
    view_.downloadEnabled = false;
    view_.setpointEditable = false;
    view_.setpointText.clear();
    view_.sourceRadiosEnabled = type == ControlType::Standard;
    if (type == ControlType::Standard)
        view_.sioSourceChecked = false;
}

// ---- close ---------------------------------------------------------------------

bool CKeypadControl::closeCheck(std::vector<platform::Notice>& notices)
{
    KestrelState& s = state();
    if (busy())
        return false;
    std::optional<std::string> value;
    {
        OperationScope op(address_);
        telegram_.OpenPort(false);
        if (telegram_.ReadParameter(param::kStatusWord.digits()))
            value = telegram_.valueText();
        telegram_.ClosePort(false);
    }
    const bool ok = value.has_value();
    if (!ok) {
        notices.push_back({"The software was not able to know the current status of the selected unit.",
                           MsgIcon::Exclamation});
    } else if (value->size() >= 4
               && ((*value)[3] == '2' || (*value)[3] == '3' || (*value)[3] == '6' || (*value)[3] == '7')) {
        notices.push_back({"The selected device is not in STOP state! You cannot close this window.", MsgIcon::Stop});
        return false;
    }
    view_.setpointText = "0";
    char& presence = s.windowPresence[static_cast<size_t>(address() & 31)];
    presence = presence == '2' ? '1' : '0';
    open_ = false;
    return true;
}

}  // namespace kestrel
