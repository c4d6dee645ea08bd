#include <tern/client/ModBusLinkClient.h>

#include <tern/client/TernServerLocator.h>
#include <tern/automation/AutomationReply.h>
#include <tern/automation/ErrorInfo.h>
#include <tern/automation/ModBusLinkMembers.h>
#include <tern/automation/VariantWire.h>

#include <QDBusMessage>
#include <QDBusObjectPath>

namespace tern {

namespace {

constexpr int kCreateAttempts = 3;
constexpr auto kServerChangeWait = std::chrono::seconds(5);

QVariant wireOrMissing(const COleVariant* v) { return toWire(v ? *v : COleVariant::Missing()); }

HRESULT failure(HRESULT hr, const std::string& text)
{
    SetErrorInfo(ErrorInfo{text, {}, {}, {}});
    return hr;
}

}  // namespace

ModBusLinkClient::ModBusLinkClient(QDBusConnection bus) : bus_(std::move(bus)) { registerAutomationWireTypes(); }

ModBusLinkClient::~ModBusLinkClient() { Release(); }

HRESULT ModBusLinkClient::CreateInstance(const std::string& progId)
{
    Release();
    client::RegisteredClass cls;
    if (HRESULT hr = client::findRegisteredClass(progId, cls); FAILED(hr)) return failure(hr, "Class not registered");
    HRESULT hr = CO_E_SERVER_EXEC_FAILURE;
    // A server that is just ending refuses new objects; the next one is
    // started once it has given up the bus name.
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        if (hr = client::startServer(bus_, cls); FAILED(hr)) return failure(hr, "Unable to start the link server");
        const QString server = client::serverOwner(bus_);
        hr = createOnce();
        // Refused by a server on its way out, or lost with it: the next
        // attempt goes to the one started after it.
        const bool serverEnding = hr == CO_E_SERVER_STOPPING || hr == RPC_E_DISCONNECTED || hr == RPC_E_TIMEOUT;
        if (SUCCEEDED(hr) || !serverEnding || server.isEmpty()) return hr;
        if (!client::waitForOwnerChange(bus_, server, kServerChangeWait)) return hr;
    }
    return hr;
}

HRESULT ModBusLinkClient::createOnce()
{
    QDBusMessage msg =
        QDBusMessage::createMethodCall(QLatin1String(identity::kBusName), QLatin1String(identity::kClassObjectPath),
                                       QLatin1String(identity::kClassFactoryInterface), QStringLiteral("CreateInstance"));
    const QDBusMessage reply = bus_.call(msg, QDBus::Block, timeoutMs_);
    ErrorInfo info;
    const HRESULT hr = replyResult(reply, &info);
    if (FAILED(hr)) return failure(hr, info.description);
    if (reply.signature() != QLatin1String("o")) return failure(RPC_E_SERVERFAULT, "Unexpected answer of the server");
    path_ = reply.arguments().value(0).value<QDBusObjectPath>().path();
    server_ = reply.service();
    ClearErrorInfo();
    return S_OK;
}

void ModBusLinkClient::Release()
{
    if (!isAttached()) return;
    QDBusMessage msg = QDBusMessage::createMethodCall(server_, path_, QLatin1String(identity::kUnknownInterface),
                                                      QStringLiteral("Release"));
    // A server that has gone has released the object already.
    bus_.call(msg, QDBus::Block, timeoutMs_);
    path_.clear();
    server_.clear();
}

HRESULT ModBusLinkClient::call(const char* member, const QVariantList& args, QVariantList* outs)
{
    if (!isAttached()) return failure(CO_E_OBJNOTCONNECTED, "The link object has not been created");
    QDBusMessage msg = QDBusMessage::createMethodCall(server_, path_, QLatin1String(identity::kModBusLinkInterface),
                                                      QLatin1String(member));
    msg.setArguments(args);
    const QDBusMessage reply = bus_.call(msg, QDBus::Block, timeoutMs_);
    ErrorInfo info;
    const HRESULT hr = replyResult(reply, &info);
    if (FAILED(hr)) {
        SetErrorInfo(std::move(info));
        return hr;
    }
    const MemberInfo* m = findModBusLinkMember(member);
    if (!m || reply.signature() != QString::fromStdString(m->outSignature()))
        return failure(RPC_E_SERVERFAULT, "Unexpected answer of the server");
    ClearErrorInfo();
    if (outs) *outs = reply.arguments();
    return S_OK;
}

template <typename T>
HRESULT ModBusLinkClient::getValue(const char* member, T* out)
{
    QVariantList outs;
    const HRESULT hr = call(member, {}, &outs);
    if (SUCCEEDED(hr)) *out = outs.value(0).value<T>();
    return hr;
}

HRESULT ModBusLinkClient::getBool(const char* member, VARIANT_BOOL* out)
{
    QVariantList outs;
    const HRESULT hr = call(member, {}, &outs);
    if (SUCCEEDED(hr)) *out = toVariantBool(outs.value(0).toBool());
    return hr;
}

HRESULT ModBusLinkClient::getPath(const char* member, std::string* out)
{
    QVariantList outs;
    const HRESULT hr = call(member, {}, &outs);
    if (SUCCEEDED(hr)) {
        const QString path = outs.value(0).value<QDBusObjectPath>().path();
        *out = path == QLatin1String("/") ? std::string() : path.toStdString();
    }
    return hr;
}

HRESULT ModBusLinkClient::readVariants(const QVariantList& outs, std::initializer_list<COleVariant*> targets,
                                       int32_t* retval)
{
    int index = 0;
    for (COleVariant* target : targets) {
        COleVariant value;
        if (!fromWire(outs.value(index++), value)) return failure(RPC_E_SERVERFAULT, "Unexpected answer of the server");
        if (target) *target = std::move(value);
    }
    *retval = outs.value(index).toInt();
    return S_OK;
}

HRESULT ModBusLinkClient::CloseConnection() { return call("CloseConnection", {}); }

HRESULT ModBusLinkClient::OpenConnection(const std::string& Name, int16_t Type, VARIANT_BOOL* pbOk)
{
    QVariantList outs;
    const HRESULT hr = call("OpenConnection", {QString::fromStdString(Name), QVariant::fromValue(Type)}, &outs);
    if (SUCCEEDED(hr)) *pbOk = toVariantBool(outs.value(0).toBool());
    return hr;
}

HRESULT ModBusLinkClient::Connect(VARIANT_BOOL* pbConnected) { return getBool("Connect", pbConnected); }
HRESULT ModBusLinkClient::get_IsActive(VARIANT_BOOL* pVal) { return getBool("get_IsActive", pVal); }
HRESULT ModBusLinkClient::get_RaiseError(VARIANT_BOOL* pVal) { return getBool("get_RaiseError", pVal); }
HRESULT ModBusLinkClient::put_RaiseError(VARIANT_BOOL v) { return call("put_RaiseError", {v != VARIANT_FALSE}); }
HRESULT ModBusLinkClient::get_ComPort(int16_t* pVal) { return getValue("get_ComPort", pVal); }
HRESULT ModBusLinkClient::put_ComPort(int16_t v) { return call("put_ComPort", {QVariant::fromValue(v)}); }
HRESULT ModBusLinkClient::get_BaudRate(int32_t* pVal) { return getValue("get_BaudRate", pVal); }
HRESULT ModBusLinkClient::put_BaudRate(int32_t v) { return call("put_BaudRate", {QVariant::fromValue(v)}); }
HRESULT ModBusLinkClient::get_Parity(int16_t* pVal) { return getValue("get_Parity", pVal); }
HRESULT ModBusLinkClient::put_Parity(int16_t v) { return call("put_Parity", {QVariant::fromValue(v)}); }
HRESULT ModBusLinkClient::get_FlowControl(int16_t* pVal) { return getValue("get_FlowControl", pVal); }
HRESULT ModBusLinkClient::put_FlowControl(int16_t v) { return call("put_FlowControl", {QVariant::fromValue(v)}); }
HRESULT ModBusLinkClient::get_StopBits(int16_t* pVal) { return getValue("get_StopBits", pVal); }
HRESULT ModBusLinkClient::put_StopBits(int16_t v) { return call("put_StopBits", {QVariant::fromValue(v)}); }
HRESULT ModBusLinkClient::get_ByteSize(int16_t* pVal) { return getValue("get_ByteSize", pVal); }
HRESULT ModBusLinkClient::put_ByteSize(int16_t v) { return call("put_ByteSize", {QVariant::fromValue(v)}); }
HRESULT ModBusLinkClient::get_TransmissionMode(int16_t* pVal) { return getValue("get_TransmissionMode", pVal); }
HRESULT ModBusLinkClient::put_TransmissionMode(int16_t v)
{
    return call("put_TransmissionMode", {QVariant::fromValue(v)});
}
HRESULT ModBusLinkClient::get_SilentInterval(int32_t* pVal) { return getValue("get_SilentInterval", pVal); }
HRESULT ModBusLinkClient::put_SilentInterval(int32_t v) { return call("put_SilentInterval", {QVariant::fromValue(v)}); }

HRESULT ModBusLinkClient::get_Host(std::string* pVal)
{
    QVariantList outs;
    const HRESULT hr = call("get_Host", {}, &outs);
    if (SUCCEEDED(hr)) *pVal = outs.value(0).toString().toStdString();
    return hr;
}

HRESULT ModBusLinkClient::put_Host(const std::string& v) { return call("put_Host", {QString::fromStdString(v)}); }
HRESULT ModBusLinkClient::get_TcpPort(int32_t* pVal) { return getValue("get_TcpPort", pVal); }
HRESULT ModBusLinkClient::put_TcpPort(int32_t v) { return call("put_TcpPort", {QVariant::fromValue(v)}); }
HRESULT ModBusLinkClient::get_TimeOut(int32_t* pVal) { return getValue("get_TimeOut", pVal); }
HRESULT ModBusLinkClient::put_TimeOut(int32_t v) { return call("put_TimeOut", {QVariant::fromValue(v)}); }
HRESULT ModBusLinkClient::get_Retries(int16_t* pVal) { return getValue("get_Retries", pVal); }
HRESULT ModBusLinkClient::put_Retries(int16_t v) { return call("put_Retries", {QVariant::fromValue(v)}); }
HRESULT ModBusLinkClient::get_Delay(int32_t* pVal) { return getValue("get_Delay", pVal); }
HRESULT ModBusLinkClient::put_Delay(int32_t v) { return call("put_Delay", {QVariant::fromValue(v)}); }
HRESULT ModBusLinkClient::get_TcpServer(std::string* pVal) { return getPath("get_TcpServer", pVal); }
HRESULT ModBusLinkClient::CreateTCPServer(std::string* pVal) { return getPath("CreateTCPServer", pVal); }

HRESULT ModBusLinkClient::PresetSingleRegister(int16_t Addr, int32_t Register, const COleVariant& RegValue,
                                               const COleVariant& vRealType, int32_t* lRetval)
{
    QVariantList outs;
    const HRESULT hr = call("PresetSingleRegister",
                            {QVariant::fromValue(Addr), QVariant::fromValue(Register), toWire(RegValue), toWire(vRealType)},
                            &outs);
    return FAILED(hr) ? hr : readVariants(outs, {}, lRetval);
}

HRESULT ModBusLinkClient::ForceSingleCoil(int16_t Addr, int32_t Register, VARIANT_BOOL CoilValue, int32_t* plRetVal)
{
    QVariantList outs;
    const HRESULT hr = call("ForceSingleCoil",
                            {QVariant::fromValue(Addr), QVariant::fromValue(Register), CoilValue != VARIANT_FALSE}, &outs);
    return FAILED(hr) ? hr : readVariants(outs, {}, plRetVal);
}

HRESULT ModBusLinkClient::ReadOutputRegisters(int16_t Addr, int32_t DataStart, int16_t Quantity,
                                              COleVariant* vRegValues, const COleVariant& vVarType,
                                              const COleVariant& vRealType, int32_t* lpRetVal)
{
    QVariantList outs;
    const HRESULT hr = call("ReadOutputRegisters",
                            {QVariant::fromValue(Addr), QVariant::fromValue(DataStart), QVariant::fromValue(Quantity),
                             toWire(*vRegValues), toWire(vVarType), toWire(vRealType)},
                            &outs);
    return FAILED(hr) ? hr : readVariants(outs, {vRegValues}, lpRetVal);
}

HRESULT ModBusLinkClient::ReadInputRegisters(int16_t Addr, int32_t DataStart, int16_t Quantity,
                                             COleVariant* vRegValues, const COleVariant& vVarType,
                                             const COleVariant& vRealType, int32_t* plRetVal)
{
    QVariantList outs;
    const HRESULT hr = call("ReadInputRegisters",
                            {QVariant::fromValue(Addr), QVariant::fromValue(DataStart), QVariant::fromValue(Quantity),
                             toWire(*vRegValues), toWire(vVarType), toWire(vRealType)},
                            &outs);
    return FAILED(hr) ? hr : readVariants(outs, {vRegValues}, plRetVal);
}

HRESULT ModBusLinkClient::ReadOutputStatus(int16_t Addr, int32_t DataStart, int16_t Quantity,
                                           COleVariant* vCoilValues, int32_t* plRetVal)
{
    QVariantList outs;
    const HRESULT hr = call("ReadOutputStatus",
                            {QVariant::fromValue(Addr), QVariant::fromValue(DataStart), QVariant::fromValue(Quantity),
                             toWire(*vCoilValues)},
                            &outs);
    return FAILED(hr) ? hr : readVariants(outs, {vCoilValues}, plRetVal);
}

HRESULT ModBusLinkClient::ReadInputStatus(int16_t Addr, int32_t DataStart, int16_t Quantity, COleVariant* vCoilValues,
                                          int32_t* plRetVal)
{
    QVariantList outs;
    const HRESULT hr = call("ReadInputStatus",
                            {QVariant::fromValue(Addr), QVariant::fromValue(DataStart), QVariant::fromValue(Quantity),
                             toWire(*vCoilValues)},
                            &outs);
    return FAILED(hr) ? hr : readVariants(outs, {vCoilValues}, plRetVal);
}

HRESULT ModBusLinkClient::PresetMultipleRegisters(int16_t Addr, int32_t DataStart, int16_t Quantity,
                                                  const COleVariant& vRegValues, const COleVariant& vRealType,
                                                  int32_t* plRetVal)
{
    QVariantList outs;
    const HRESULT hr = call("PresetMultipleRegisters",
                            {QVariant::fromValue(Addr), QVariant::fromValue(DataStart), QVariant::fromValue(Quantity),
                             toWire(vRegValues), toWire(vRealType)},
                            &outs);
    return FAILED(hr) ? hr : readVariants(outs, {}, plRetVal);
}

HRESULT ModBusLinkClient::ForceMultipleCoils(int16_t Addr, int32_t DataStart, int16_t Quantity,
                                             const COleVariant& vCoilValues, int32_t* plRetVal)
{
    QVariantList outs;
    const HRESULT hr = call("ForceMultipleCoils",
                            {QVariant::fromValue(Addr), QVariant::fromValue(DataStart), QVariant::fromValue(Quantity),
                             toWire(vCoilValues)},
                            &outs);
    return FAILED(hr) ? hr : readVariants(outs, {}, plRetVal);
}

HRESULT ModBusLinkClient::TxRxMessage(const COleVariant& vQuery, int16_t QueryLength, COleVariant* vResponse,
                                      int16_t RespLength, COleVariant* vNumOfBytesRead, int32_t* plRetVal)
{
    QVariantList outs;
    const HRESULT hr = call("TxRxMessage",
                            {toWire(vQuery), QVariant::fromValue(QueryLength), toWire(*vResponse),
                             QVariant::fromValue(RespLength), wireOrMissing(vNumOfBytesRead)},
                            &outs);
    const bool given = vNumOfBytesRead && !vNumOfBytesRead->isMissing();
    return FAILED(hr) ? hr : readVariants(outs, {vResponse, given ? vNumOfBytesRead : nullptr}, plRetVal);
}

HRESULT ModBusLinkClient::TxRxRawData(const COleVariant& vQuery, int16_t QueryLength, COleVariant* vResponse,
                                      int16_t RespLength, int32_t TimeOut, COleVariant* vNumOfBytesRead,
                                      int32_t* plRetVal)
{
    QVariantList outs;
    const HRESULT hr = call("TxRxRawData",
                            {toWire(vQuery), QVariant::fromValue(QueryLength), toWire(*vResponse),
                             QVariant::fromValue(RespLength), QVariant::fromValue(TimeOut),
                             wireOrMissing(vNumOfBytesRead)},
                            &outs);
    const bool given = vNumOfBytesRead && !vNumOfBytesRead->isMissing();
    return FAILED(hr) ? hr : readVariants(outs, {vResponse, given ? vNumOfBytesRead : nullptr}, plRetVal);
}

}  // namespace tern
