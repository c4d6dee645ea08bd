#include <merlin/link/CTernLink.h>

#include <platform/MappedSerialPort.h>
#include <platform/PortMap.h>
#include <platform/PortProblem.h>

#include <tern/automation/COleSafeArray.h>

#include <platform/MessageBox.h>

#include <algorithm>

namespace merlin {

namespace {

using tern::COleVariant;
using tern::HRESULT;
using tern::VARIANT_BOOL;
using tern::VARIANT_FALSE;
using tern::FAILED;
using tern::SUCCEEDED;
using tern::VT_I2;
using tern::VT_I4;

constexpr int16_t kSerialLine = 1;
// The result-type argument of a read: 4-byte integers, no sign to undo.
constexpr int16_t kLongIntegers = 3;
// Time a call may need beyond the exchanges themselves: the bus, the
// server's scheduling, a server being started.
constexpr int kCallMarginMs = 5000;
// How long Tern lets one exchange wait for a line another client is using.
constexpr int kServerLineWaitMs = 1000;

}  // namespace

CTernLink::CTernLink(const LinkSettings& settings, const std::string& progId) : progId_(progId), settings_(settings)
{
    StartLinkServer();
}

CTernLink::~CTernLink() = default;

int CTernLink::StartLinkServer()
{
    if (client_.isAttached()) return 1;
    // The server may have to be started first; creating the object must not
    // be cut short by a time-out meant for register calls.
    client_.setCallTimeout(-1);
    if (FAILED(client_.CreateInstance(progId_))) {
        platform::showMessage("Unable to Start Link Server", platform::MsgIcon::Exclamation);
        return 0;
    }
    timeoutMs_ = settings_.timeoutMs;
    retries_ = settings_.retries;
    updateCallTimeout();
    return 1;
}

void CTernLink::updateCallTimeout()
{
    // Every attempt may wait for the line (Tern's lock), the request delay,
    // the silent interval and the response time-out.
    const int attempts = std::max(retries_, 1);
    const long long perAttempt = static_cast<long long>(timeoutMs_) + settings_.requestDelayMs +
                                 settings_.silentIntervalMs + kServerLineWaitMs + 500;
    const long long total = attempts * perAttempt + kCallMarginMs;
    client_.setCallTimeout(static_cast<int>(std::min<long long>(total, 0x7FFFFFFF)));
}

bool CTernLink::openConnection()
{
    VARIANT_BOOL ok = VARIANT_FALSE;
    return SUCCEEDED(client_.OpenConnection(connectionName_, kSerialLine, &ok)) && ok != VARIANT_FALSE;
}

void CTernLink::writeTiming(uint32_t timeoutMs)
{
    client_.put_Delay(static_cast<int32_t>(settings_.requestDelayMs));
    client_.put_SilentInterval(static_cast<int32_t>(settings_.silentIntervalMs));
    client_.put_TimeOut(static_cast<int32_t>(timeoutMs));
    client_.put_Retries(static_cast<int16_t>(settings_.retries));
    client_.put_RaiseError(VARIANT_FALSE);
    timeoutMs_ = timeoutMs;
    retries_ = settings_.retries;
    updateCallTimeout();
}

bool CTernLink::OpenLink()
{
    if (!client_.isAttached()) return false;
    const bool opened = openConnection();
    // The server's values are read before they are set, as the link always
    // has; only the settings written matter.
    int16_t s16 = 0;
    int32_t s32 = 0;
    client_.get_ComPort(&s16);
    client_.get_BaudRate(&s32);
    client_.get_StopBits(&s16);
    client_.get_ByteSize(&s16);
    client_.get_Parity(&s16);
    client_.get_FlowControl(&s16);
    client_.get_SilentInterval(&s32);
    client_.put_BaudRate(static_cast<int32_t>(settings_.baudRate));
    client_.get_BaudRate(&s32);
    client_.put_ComPort(static_cast<int16_t>(settings_.comPort));
    client_.get_ComPort(&s16);
    client_.get_Delay(&s32);
    client_.get_SilentInterval(&s32);
    writeTiming(settings_.timeoutMs);
    // A port that cannot be opened shows up as failing register calls.
    connect();
    return opened;
}

bool CTernLink::OpenLinkWithTimeout(uint32_t timeoutMs)
{
    if (!client_.isAttached()) return false;
    const bool opened = openConnection();
    client_.put_TimeOut(static_cast<int32_t>(timeoutMs));
    client_.put_BaudRate(static_cast<int32_t>(settings_.baudRate));
    client_.put_ComPort(static_cast<int16_t>(settings_.comPort));
    writeTiming(timeoutMs);
    connect();
    return opened;
}

void CTernLink::connect()
{
    VARIANT_BOOL connected = VARIANT_FALSE;
    problem_.clear();
    // The server knows only that the open failed; the reason (rights, a
    // missing adapter, another program on the line) is found from here.
    if (FAILED(client_.Connect(&connected)) || connected == VARIANT_FALSE)
        problem_ = platform::withPortName(platform::comPortName(settings_.comPort),
                                          platform::diagnosePort(platform::comPortDevice(settings_.comPort)));
}

void CTernLink::CloseLink()
{
    if (client_.isAttached()) client_.CloseConnection();
}

void CTernLink::SetRetries(int retries)
{
    if (!client_.isAttached()) return;
    client_.put_Retries(static_cast<int16_t>(retries));
    retries_ = retries;
    updateCallTimeout();
}

void CTernLink::RestoreRetries() { SetRetries(settings_.retries); }

int CTernLink::resultOf(tern::HRESULT hr, int32_t value)
{
    // Only a failing call itself is -1; Modbus failures come back as the
    // low half of Tern's value (0x0201 time-out, 0x8200 + n exception n).
    if (FAILED(hr)) return kLinkCallFailed;
    return static_cast<int>(static_cast<uint16_t>(static_cast<uint32_t>(value)));
}

int CTernLink::ReadRegister(int station, int registerOffset, uint16_t& value)
{
    if (!client_.isAttached()) return kLinkCallFailed;
    COleVariant values;
    int32_t ret = 0;
    const HRESULT hr = client_.ReadOutputRegisters(static_cast<int16_t>(station), registerOffset - 1, 1, &values,
                                                   COleVariant::I2(kLongIntegers), COleVariant::I4(0), &ret);
    const int result = resultOf(hr, ret);
    // Tern fills the array with zeros when the read fails: those are no
    // drive value, so the caller's value stays as it was.
    if (result != kLinkOk) return result;
    // 2- or 4-byte integers hold the word; any other element type gives no value.
    const tern::COleSafeArray* array = values.isArray() ? values.array() : nullptr;
    if (array && array->size() > 0 && (array->elementType() == VT_I2 || array->elementType() == VT_I4))
        value = static_cast<uint16_t>(array->integerAt(0));
    return result;
}

int CTernLink::WriteRegister(int station, int registerOffset, uint16_t value)
{
    if (!client_.isAttached()) return kLinkCallFailed;
    int32_t ret = 0;
    const HRESULT hr = client_.PresetSingleRegister(static_cast<int16_t>(station), registerOffset - 1,
                                                    COleVariant::I2(static_cast<int16_t>(value)), COleVariant::I4(0),
                                                    &ret);
    return resultOf(hr, ret);
}

}  // namespace merlin
