#include <tern/server/CModBusLink.h>

#include <tern/server/COleSafeArrayEx.h>
#include <tern/server/COleVariantEx.h>
#include <tern/server/ServerStrings.h>
#include <tern/automation/ErrorInfo.h>
#include <tern/automation/ModBusLinkIdentity.h>

#include <platform/RegistryStore.h>

#include <algorithm>
#include <bit>

namespace tern {

using server::CConnection;
namespace usage = server::usage;

namespace {

// The ProgID registered for the error source class, if any.
std::string errorSource()
{
    const std::string key = std::string("CLSID\\") + identity::kErrorSourceClsid + "\\ProgID";
    return platform::RegistryStore::instance().getString(platform::Hive::ClassesRoot, key, "").value_or("");
}

bool fits(CModBusLink::Needs needs, const CConnection& c)
{
    switch (needs) {
    case CModBusLink::Needs::Serial: return c.type() == server::kSerialConnection;
    case CModBusLink::Needs::Tcp: return c.type() == server::kTcpConnection;
    default: return true;
    }
}

}  // namespace

CModBusLink::CModBusLink(server::ConnectionTable& table, server::TcpServerProvider* tcpServers)
    : table_(table), tcpServers_(tcpServers)
{
}

CModBusLink::~CModBusLink() { CloseConnection(); }

std::shared_ptr<CConnection> CModBusLink::connection() const
{
    std::lock_guard lock(mutex_);
    return connection_;
}

HRESULT CModBusLink::fail(uint16_t code, const std::string& text)
{
    SetErrorInfo(ErrorInfo{text, errorSource(), identity::kErrorInterfaceGuid, {}});
    return server::resultHResult(code);
}

HRESULT CModBusLink::usageError(uint16_t code) { return fail(code, server::usageErrorText(code)); }

HRESULT CModBusLink::need(Needs needs, std::shared_ptr<CConnection>& out)
{
    out = connection();
    if (!out) return usageError(usage::kNotOpened);
    if (!fits(needs, *out)) return usageError(needs == Needs::Serial ? usage::kLocalOnly : usage::kRemoteOnly);
    return S_OK;
}

HRESULT CModBusLink::finish(uint16_t code, CConnection& c, int32_t* retval)
{
    *retval = server::resultValue(code);
    if (code == 0) return S_OK;
    if (server::isUsageError(code)) return usageError(code);
    if (!raiseError_) return S_OK;
    return fail(code, c.engine().GetErrorText(code));
}

template <typename T, typename Read>
HRESULT CModBusLink::readSetting(Needs needs, T* out, Read read)
{
    std::shared_ptr<CConnection> c;
    if (HRESULT hr = need(needs, c); FAILED(hr)) return hr;
    *out = static_cast<T>(read(*c));
    return S_OK;
}

template <typename Write>
HRESULT CModBusLink::writeSetting(Needs needs, Write write)
{
    std::shared_ptr<CConnection> c;
    if (HRESULT hr = need(needs, c); FAILED(hr)) return hr;
    write(*c);
    return S_OK;
}

// ---- connection -------------------------------------------------------------

HRESULT CModBusLink::CloseConnection()
{
    std::shared_ptr<CConnection> c;
    {
        std::lock_guard lock(mutex_);
        c.swap(connection_);
    }
    table_.release(c);
    return S_OK;
}

HRESULT CModBusLink::OpenConnection(const std::string& Name, int16_t Type, VARIANT_BOOL* pbOk)
{
    CloseConnection();
    *pbOk = VARIANT_FALSE;
    if (Type != server::kSerialConnection && Type != server::kTcpConnection) return S_OK;
    auto c = table_.open(Name, Type);
    std::shared_ptr<CConnection> replaced;
    {
        std::lock_guard lock(mutex_);
        replaced.swap(connection_);  // another thread's OpenConnection in between
        connection_ = std::move(c);
    }
    table_.release(replaced);
    *pbOk = VARIANT_TRUE;
    return S_OK;
}

HRESULT CModBusLink::Connect(VARIANT_BOOL* pbConnected)
{
    std::shared_ptr<CConnection> c;
    if (HRESULT hr = need(Needs::Any, c); FAILED(hr)) return hr;
    const bool ok = c->local() ? c->local()->Open(0, 0, 255) : c->remote()->Connect();
    *pbConnected = toVariantBool(ok);
    return S_OK;
}

HRESULT CModBusLink::get_IsActive(VARIANT_BOOL* pVal)
{
    return readSetting(Needs::Any, pVal, [](CConnection& c) { return toVariantBool(c.engine().IsOpen()); });
}

HRESULT CModBusLink::get_RaiseError(VARIANT_BOOL* pVal)
{
    *pVal = toVariantBool(raiseError_);
    return S_OK;
}

HRESULT CModBusLink::put_RaiseError(VARIANT_BOOL newVal)
{
    raiseError_ = newVal != VARIANT_FALSE;
    return S_OK;
}

// ---- settings ---------------------------------------------------------------

HRESULT CModBusLink::get_ComPort(int16_t* pVal)
{
    return readSetting(Needs::Serial, pVal, [](CConnection& c) { return c.local()->GetComPort(); });
}

HRESULT CModBusLink::put_ComPort(int16_t v)
{
    return writeSetting(Needs::Serial, [v](CConnection& c) { c.local()->SetComPort(static_cast<uint8_t>(v)); });
}

HRESULT CModBusLink::get_BaudRate(int32_t* pVal)
{
    return readSetting(Needs::Serial, pVal, [](CConnection& c) { return c.local()->GetBaudRate(); });
}

HRESULT CModBusLink::put_BaudRate(int32_t v)
{
    return writeSetting(Needs::Serial, [v](CConnection& c) { c.local()->SetBaudRate(static_cast<uint32_t>(v)); });
}

HRESULT CModBusLink::get_Parity(int16_t* pVal)
{
    return readSetting(Needs::Serial, pVal, [](CConnection& c) { return c.local()->GetParity(); });
}

HRESULT CModBusLink::put_Parity(int16_t v)
{
    return writeSetting(Needs::Serial, [v](CConnection& c) { c.local()->SetParity(static_cast<uint8_t>(v)); });
}

HRESULT CModBusLink::get_FlowControl(int16_t* pVal)
{
    return readSetting(Needs::Serial, pVal, [](CConnection& c) { return c.local()->GetFlowControl(); });
}

HRESULT CModBusLink::put_FlowControl(int16_t v)
{
    return writeSetting(Needs::Serial, [v](CConnection& c) { c.local()->SetFlowControl(static_cast<uint8_t>(v)); });
}

HRESULT CModBusLink::get_StopBits(int16_t* pVal)
{
    return readSetting(Needs::Serial, pVal, [](CConnection& c) { return c.local()->GetStopBits(); });
}

HRESULT CModBusLink::put_StopBits(int16_t v)
{
    return writeSetting(Needs::Serial, [v](CConnection& c) { c.local()->SetStopBits(static_cast<uint8_t>(v)); });
}

HRESULT CModBusLink::get_ByteSize(int16_t* pVal)
{
    return readSetting(Needs::Serial, pVal, [](CConnection& c) { return c.local()->GetByteSize(); });
}

HRESULT CModBusLink::put_ByteSize(int16_t v)
{
    return writeSetting(Needs::Serial, [v](CConnection& c) { c.local()->SetByteSize(static_cast<uint8_t>(v)); });
}

HRESULT CModBusLink::get_TransmissionMode(int16_t* pVal)
{
    return readSetting(Needs::Serial, pVal, [](CConnection& c) { return c.local()->GetTransmissionMode(); });
}

HRESULT CModBusLink::put_TransmissionMode(int16_t v)
{
    return writeSetting(Needs::Serial,
                        [v](CConnection& c) { c.local()->SetTransmissionMode(static_cast<uint16_t>(v)); });
}

HRESULT CModBusLink::get_SilentInterval(int32_t* pVal)
{
    return readSetting(Needs::Serial, pVal, [](CConnection& c) { return c.local()->GetSilentInterval(); });
}

HRESULT CModBusLink::put_SilentInterval(int32_t v)
{
    return writeSetting(Needs::Serial,
                        [v](CConnection& c) { c.local()->SetSilentInterval(static_cast<uint32_t>(v)); });
}

HRESULT CModBusLink::get_Host(std::string* pVal)
{
    return readSetting(Needs::Tcp, pVal, [](CConnection& c) { return c.remote()->GetHost(); });
}

HRESULT CModBusLink::put_Host(const std::string& v)
{
    return writeSetting(Needs::Tcp, [&v](CConnection& c) { c.remote()->SetHost(v); });
}

HRESULT CModBusLink::get_TcpPort(int32_t* pVal)
{
    return readSetting(Needs::Tcp, pVal, [](CConnection& c) { return c.remote()->GetTcpPort(); });
}

HRESULT CModBusLink::put_TcpPort(int32_t v)
{
    return writeSetting(Needs::Tcp, [v](CConnection& c) { c.remote()->SetTcpPort(static_cast<uint16_t>(v)); });
}

HRESULT CModBusLink::get_TimeOut(int32_t* pVal)
{
    return readSetting(Needs::Any, pVal, [](CConnection& c) {
        return c.local() ? c.local()->GetTimeOut() : c.remote()->GetTimeOut();
    });
}

HRESULT CModBusLink::put_TimeOut(int32_t v)
{
    return writeSetting(Needs::Any, [v](CConnection& c) {
        if (c.local()) c.local()->SetTimeOut(static_cast<uint32_t>(v));
        else c.remote()->SetTimeOut(static_cast<uint32_t>(v));
    });
}

HRESULT CModBusLink::get_Retries(int16_t* pVal)
{
    return readSetting(Needs::Any, pVal, [](CConnection& c) { return c.engine().GetRetries(); });
}

HRESULT CModBusLink::put_Retries(int16_t v)
{
    return writeSetting(Needs::Any, [v](CConnection& c) { c.engine().SetRetries(v); });
}

HRESULT CModBusLink::get_Delay(int32_t* pVal)
{
    return readSetting(Needs::Any, pVal, [](CConnection& c) { return c.engine().GetDelay(); });
}

HRESULT CModBusLink::put_Delay(int32_t v)
{
    return writeSetting(Needs::Any, [v](CConnection& c) { c.engine().SetDelay(static_cast<uint32_t>(v)); });
}

HRESULT CModBusLink::get_TcpServer(std::string* pVal)
{
    return readSetting(Needs::Serial, pVal,
                       [this](CConnection& c) { return tcpServers_ ? tcpServers_->tcpServerFor(c, false) : std::string(); });
}

HRESULT CModBusLink::CreateTCPServer(std::string* pVal)
{
    return readSetting(Needs::Serial, pVal,
                       [this](CConnection& c) { return tcpServers_ ? tcpServers_->tcpServerFor(c, true) : std::string(); });
}

}  // namespace tern
