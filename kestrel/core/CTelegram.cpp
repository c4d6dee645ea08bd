#include <kestrel/core/CTelegram.h>

#include <kestrel/core/FormatValue.h>
#include <kestrel/core/KestrelState.h>
#include <kestrel/core/ParameterNumbers.h>
#include <platform/Clock.h>

#include <chrono>
#include <thread>

namespace kestrel {

namespace {

// The waits poll the control; a short nap between looks keeps a shared
// machine usable without costing the exchange measurable time.
void nap()
{
    std::this_thread::sleep_for(std::chrono::microseconds(100));
}

template <class Ready>
bool waitUntil(Ready ready, uint32_t ms)
{
    platform::Timeout t(ms);
    while (!ready()) {
        if (t.timedOut())
            return false;
        nap();
    }
    return true;
}


}  // namespace

CTelegram::CTelegram()
{
    control_.setEventHandler([this](int event) { OnComm(event); });
    repeat_ = state().settings.repeat;
}

bool CTelegram::rtsMode() const
{
    return state().settings.rtsMode;
}

// ---- telegram bytes ------------------------------------------------------

char CTelegram::addressCharacter(std::string_view decimalAddress)
{
    // Decimal string-to-integer: leading digits count, anything else is 0.
    int n = 0;
    for (char c : decimalAddress) {
        if (c < '0' || c > '9' || n > 1000)
            break;
        n = n * 10 + (c - '0');
    }
    return static_cast<char>(0x20 + n);
}

char CTelegram::bcc(std::string_view text)
{
    char x = 0;
    for (char c : text)
        x = static_cast<char>(x ^ c);
    return x;
}

std::string CTelegram::readRequest(char address, std::string_view number)
{
    return std::string{sio::EOT, address, sio::U} + std::string(number) + sio::ENQ;
}

std::string CTelegram::writeRequest(char address, std::string_view text)
{
    const std::string body = sio::U + std::string(text) + sio::ETX;
    return std::string{sio::EOT, address, sio::STX} + body + bcc(body);
}

std::string CTelegram::currentReadRequest(std::string_view number) const
{
    return readRequest(addressCharacter(state().currentAddress), number);
}

// ---- port use --------------------------------------------------------------

bool CTelegram::OpenPort(bool poll)
{
    KestrelState& s = state();
    if (poll)
        s.port.pollHolds = true;
    repeat_ = s.settings.repeat;
    control_.ClearError();
    control_.SetCommPort(static_cast<short>(s.settings.port));
    if (!control_.SetSettings(s.settings.commSettings))
        return false;
    control_.SetInBufferSize(kBufferSize);
    control_.SetOutBufferSize(kBufferSize);
    if (!control_.GetPortOpen() && !control_.SetPortOpen(true))
        return false;
    control_.SetHandshaking(0);
    control_.SetRThreshold(1);
    rtsShadow_ = false;
    return true;
}

bool CTelegram::ClosePort(bool poll)
{
    KestrelState& s = state();
    if (control_.GetPortOpen() && (s.port.pollHolds || !poll)) {
        dropRts();
        control_.SetPortOpen(false);
    }
    s.port.exchangeActive = false;
    if (poll)
        s.port.pollHolds = false;
    else
        s.port.foregroundActive = false;
    return true;
}

bool CTelegram::IsPortBusy(bool poll)
{
    PortFlags& f = state().port;
    if (!poll) {
        f.foregroundActive = true;
        return f.exchangeActive || f.pollHolds;
    }
    return f.exchangeActive || (f.foregroundActive && !f.pollHolds);
}

bool CTelegram::WaitForPort(uint32_t ms)
{
    return waitUntil([this] { return !IsPortBusy(false); }, ms);
}

void CTelegram::ResetRepeat()
{
    repeat_ = state().settings.repeat;
}

void CTelegram::DiscardInput()
{
    if (control_.GetPortOpen())
        control_.SetInBufferCount(0);
}

void CTelegram::OnComm(int event)
{
    if (event == comEventBreak)
        lineErrors_ |= 0x1;
    else if (event == comEventFrame)
        lineErrors_ |= 0x2;
}

// ---- one transmission ------------------------------------------------------

void CTelegram::raiseRts()
{
    if (rtsMode())
        control_.SetRTSEnable(true);
    else
        rtsShadow_ = true;
}

void CTelegram::dropRts()
{
    if (rtsMode())
        control_.SetRTSEnable(false);
    else
        rtsShadow_ = false;
}

bool CTelegram::lineReady()
{
    return rtsMode() ? control_.GetCTSHolding() : rtsShadow_;
}

int CTelegram::Send(const std::string& request)
{
    const TelegramSettings& s = state().settings;
    platform::Timeout t(kLineReadyMs);
    raiseRts();
    while (!lineReady()) {
        if (t.timedOut()) {
            dropRts();
            return SendLineNotReady;
        }
        nap();
    }
    // A port that cannot take the request is a line that is not there.
    if (!control_.SetOutput(request)) {
        dropRts();
        return SendLineNotReady;
    }
    while (control_.GetOutBufferCount() != 0) {
        if (t.timedOut()) {
            dropRts();
            return SendNotDrained;
        }
        nap();
    }
    platform::pause(static_cast<uint32_t>(s.tRts));
    dropRts();
    platform::pause(static_cast<uint32_t>(s.tWait));
    return SendDone;
}

void CTelegram::takeInput()
{
    // A line behind a network hop answers later than the wire alone would.
    waitUntil([this] { return control_.GetInBufferCount() >= 1; }, kFirstCharMs + control_.latencyAllowanceMs());
    reply_ = control_.GetInput();
    replyTail_ = reply_.size() >= 12 ? reply_.substr(10) : std::string();
}

size_t CTelegram::searchStart() const
{
    return rtsMode() ? 5 : 1;
}

bool CTelegram::framingOk(std::string_view number, int distance, bool checkNumber) const
{
    const size_t etx = reply_.find(sio::ETX, 1);
    const size_t stx = reply_.find(sio::STX, 1);
    if (etx == std::string::npos || stx == std::string::npos
        || static_cast<long>(etx) - static_cast<long>(stx) != distance)
        return false;
    if (!checkNumber)
        return true;
    std::string key(1, sio::U);
    key += number;
    if (reply_.find(key, 1) == std::string::npos)
        return false;
    return !rtsMode() || reply_.find(key, 8) != std::string::npos;
}

// ---- exchanges ---------------------------------------------------------------

bool CTelegram::receiveReadReply(std::string_view number)
{
    takeInput();
    state().logLine(FormatTelegram(reply_));
    if (reply_.size() < 10)
        return false;
    // A reply that is long enough but framed wrongly is a failed attempt: the
    // caller must never mistake the previous read's value for this one's.
    if (!framingOk(number, kReadReplyFrame, number != param::kChangedQuery.digits()))
        return false;
    const size_t u = reply_.find(sio::U, searchStart());
    if (u == std::string::npos || u + 10 >= reply_.size())
        return false;
    if (bcc(std::string_view(reply_).substr(u, 10)) != reply_[u + 10])
        return false;
    if (number == param::kChangedQuery.digits())
        paramNo_ = reply_.substr(u + 1, 4);
    valueText_ = reply_.substr(u + 5, 4);
    return true;
}

// The attempts of a read or a block read: the same request every time until
// one reply passes `receive`, or the line is found not ready.
bool CTelegram::readAttempts(std::string_view number, bool (CTelegram::*receive)(std::string_view))
{
    const std::string requested(number);  // may point into paramNo_
    KestrelState& s = state();
    s.port.exchangeActive = true;
    paramNo_ = requested;
    status_ = 0;
    const std::string request = currentReadRequest(requested);
    bool ok = false;
    for (int attempt = 0; attempt < repeat_ && !ok; ++attempt) {
        const int r = Send(request);
        if (r == SendLineNotReady) {
            status_ = -1;
            break;
        }
        if (r == SendDone)
            ok = (this->*receive)(requested);
    }
    s.port.exchangeActive = false;
    return ok;
}

bool CTelegram::ReadParameter(std::string_view number)
{
    return readAttempts(number, &CTelegram::receiveReadReply);
}

bool CTelegram::WriteParameter(std::string_view text)
{
    const std::string value(text);
    KestrelState& s = state();
    s.port.exchangeActive = true;
    status_ = 0;
    const size_t start = rtsMode() ? 5 : 0;
    bool ok = false;
    for (int attempt = 0; attempt < repeat_ && !ok; ++attempt) {
        const int r = Send(writeRequest(addressCharacter(s.currentAddress), value));
        if (r == SendLineNotReady) {
            status_ = -1;
            break;
        }
        if (r != SendDone)
            continue;
        takeInput();
        const bool ack = reply_.find(sio::ACK, start) != std::string::npos;
        if (ack || reply_.find(sio::NAK, start) != std::string::npos)
            s.logLine(FormatTelegram(reply_));
        ok = ack;
        // Refused or unanswered: let the drive settle and read its error
        // register (which clears it) before the next attempt.
        if (!ok && repeat_ > 1 && attempt + 1 < repeat_) {
            const int saved = repeat_;
            repeat_ = 1;
            platform::pause(static_cast<uint32_t>(s.settings.delayNak));
            ReadParameter(param::kErrorRegister.digits());
            ReadParameter(param::kErrorRegister.digits());
            repeat_ = saved;
            s.port.exchangeActive = true;
        }
    }
    s.port.exchangeActive = false;
    return ok;
}

int CTelegram::ProbeAddress(std::string_view number)
{
    KestrelState& s = state();
    s.port.exchangeActive = true;
    const std::string request = currentReadRequest(number);
    int answer = 0;
    for (int attempt = 0; attempt < repeat_; ++attempt) {
        const int r = Send(request);
        if (r == SendLineNotReady) {
            answer = -1;
            break;
        }
        if (r == SendDone) {
            takeInput();
            if (!reply_.empty()) {
                answer = 1;
                break;
            }
        }
    }
    s.port.exchangeActive = false;
    return answer;
}

bool CTelegram::receiveBlockReply(std::string_view)
{
    const int need = rtsMode() ? 57 : 49;
    if (!waitUntil([&] { return control_.GetInBufferCount() >= need; }, kBlockReplyMs)) {
        // Whatever came in part must not be read as the start of the next
        // attempt's reply.
        DiscardInput();
        return false;
    }
    reply_ = control_.GetInput();
    replyTail_ = reply_.size() >= 12 ? reply_.substr(10) : std::string();
    state().logLine(FormatTelegram(reply_));
    if (reply_.size() < 10 || !framingOk({}, kBlockReplyFrame, false))
        return false;
    const size_t u = reply_.find(sio::U, searchStart());
    if (u == std::string::npos)
        return false;
    valueText_ = reply_.substr(u, 48);
    return true;
}

bool CTelegram::ReadBlock(std::string_view number)
{
    return readAttempts(number, &CTelegram::receiveBlockReply);
}

}  // namespace kestrel
