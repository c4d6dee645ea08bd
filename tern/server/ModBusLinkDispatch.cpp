#include <tern/server/ModBusLinkDispatch.h>

#include <tern/automation/AutomationReply.h>
#include <tern/automation/ErrorInfo.h>
#include <tern/automation/ModBusLinkMembers.h>
#include <tern/automation/VariantWire.h>

#include <QDBusObjectPath>

#include <unordered_map>

namespace tern::server {

namespace {

QDBusMessage reply(const QDBusMessage& call, HRESULT hr, const QVariantList& outs = {})
{
    if (FAILED(hr)) return automationErrorReply(call, hr, GetErrorInfo().value_or(ErrorInfo{}));
    return call.createReply(outs);
}

// A (qv) argument whose value does not fit its type code never reaches the
// object, as an argument that cannot be coerced never reaches a member.
QDBusMessage badVariant(const QDBusMessage& call, const char* name)
{
    ErrorInfo info;
    info.description = std::string("Argument ") + name + " is not a VARIANT of its type code";
    return automationErrorReply(call, DISP_E_TYPEMISMATCH, info);
}

bool variantArg(const QVariantList& args, int index, COleVariant& out) { return fromWire(args.value(index), out); }

QVariant pathOrNone(const std::string& path)
{
    return QVariant::fromValue(QDBusObjectPath(path.empty() ? QStringLiteral("/") : QString::fromStdString(path)));
}

template <typename T, HRESULT (CModBusLink::*Get)(T*)>
QDBusMessage get(CModBusLink& link, const QDBusMessage& call)
{
    T value{};
    const HRESULT hr = (link.*Get)(&value);
    return reply(call, hr, {QVariant::fromValue(value)});
}

template <typename T, HRESULT (CModBusLink::*Put)(T)>
QDBusMessage put(CModBusLink& link, const QDBusMessage& call)
{
    return reply(call, (link.*Put)(call.arguments().value(0).value<T>()));
}

template <HRESULT (CModBusLink::*Get)(VARIANT_BOOL*)>
QDBusMessage getBool(CModBusLink& link, const QDBusMessage& call)
{
    VARIANT_BOOL value = VARIANT_FALSE;
    const HRESULT hr = (link.*Get)(&value);
    return reply(call, hr, {QVariant::fromValue(value != VARIANT_FALSE)});
}

QDBusMessage putRaiseError(CModBusLink& link, const QDBusMessage& call)
{
    return reply(call, link.put_RaiseError(toVariantBool(call.arguments().value(0).toBool())));
}

QDBusMessage getHost(CModBusLink& link, const QDBusMessage& call)
{
    std::string host;
    const HRESULT hr = link.get_Host(&host);
    return reply(call, hr, {QString::fromStdString(host)});
}

QDBusMessage putHost(CModBusLink& link, const QDBusMessage& call)
{
    return reply(call, link.put_Host(call.arguments().value(0).toString().toStdString()));
}

template <HRESULT (CModBusLink::*Get)(std::string*)>
QDBusMessage getObject(CModBusLink& link, const QDBusMessage& call)
{
    std::string path;
    const HRESULT hr = (link.*Get)(&path);
    return reply(call, hr, {pathOrNone(path)});
}

QDBusMessage closeConnection(CModBusLink& link, const QDBusMessage& call)
{
    return reply(call, link.CloseConnection());
}

QDBusMessage openConnection(CModBusLink& link, const QDBusMessage& call)
{
    const QVariantList a = call.arguments();
    VARIANT_BOOL ok = VARIANT_FALSE;
    const HRESULT hr = link.OpenConnection(a.value(0).toString().toStdString(), a.value(1).value<short>(), &ok);
    return reply(call, hr, {ok != VARIANT_FALSE});
}

QDBusMessage presetSingleRegister(CModBusLink& link, const QDBusMessage& call)
{
    const QVariantList a = call.arguments();
    COleVariant value, realType;
    if (!variantArg(a, 2, value)) return badVariant(call, "RegValue");
    if (!variantArg(a, 3, realType)) return badVariant(call, "vRealType");
    int32_t ret = 0;
    const HRESULT hr = link.PresetSingleRegister(a.value(0).value<short>(), a.value(1).toInt(), value, realType, &ret);
    return reply(call, hr, {ret});
}

QDBusMessage forceSingleCoil(CModBusLink& link, const QDBusMessage& call)
{
    const QVariantList a = call.arguments();
    int32_t ret = 0;
    const HRESULT hr =
        link.ForceSingleCoil(a.value(0).value<short>(), a.value(1).toInt(), toVariantBool(a.value(2).toBool()), &ret);
    return reply(call, hr, {ret});
}

template <HRESULT (CModBusLink::*Read)(int16_t, int32_t, int16_t, COleVariant*, const COleVariant&,
                                       const COleVariant&, int32_t*)>
QDBusMessage readRegisters(CModBusLink& link, const QDBusMessage& call)
{
    const QVariantList a = call.arguments();
    COleVariant values, varType, realType;
    if (!variantArg(a, 3, values)) return badVariant(call, "vRegValues");
    if (!variantArg(a, 4, varType)) return badVariant(call, "vVarType");
    if (!variantArg(a, 5, realType)) return badVariant(call, "vRealType");
    int32_t ret = 0;
    const HRESULT hr =
        (link.*Read)(a.value(0).value<short>(), a.value(1).toInt(), a.value(2).value<short>(), &values, varType,
                     realType, &ret);
    return reply(call, hr, {toWire(values), ret});
}

template <HRESULT (CModBusLink::*Read)(int16_t, int32_t, int16_t, COleVariant*, int32_t*)>
QDBusMessage readStatus(CModBusLink& link, const QDBusMessage& call)
{
    const QVariantList a = call.arguments();
    COleVariant values;
    if (!variantArg(a, 3, values)) return badVariant(call, "vCoilValues");
    int32_t ret = 0;
    const HRESULT hr =
        (link.*Read)(a.value(0).value<short>(), a.value(1).toInt(), a.value(2).value<short>(), &values, &ret);
    return reply(call, hr, {toWire(values), ret});
}

QDBusMessage presetMultipleRegisters(CModBusLink& link, const QDBusMessage& call)
{
    const QVariantList a = call.arguments();
    COleVariant values, realType;
    if (!variantArg(a, 3, values)) return badVariant(call, "vRegValues");
    if (!variantArg(a, 4, realType)) return badVariant(call, "vRealType");
    int32_t ret = 0;
    const HRESULT hr = link.PresetMultipleRegisters(a.value(0).value<short>(), a.value(1).toInt(),
                                                    a.value(2).value<short>(), values, realType, &ret);
    return reply(call, hr, {ret});
}

QDBusMessage forceMultipleCoils(CModBusLink& link, const QDBusMessage& call)
{
    const QVariantList a = call.arguments();
    COleVariant values;
    if (!variantArg(a, 3, values)) return badVariant(call, "vCoilValues");
    int32_t ret = 0;
    const HRESULT hr = link.ForceMultipleCoils(a.value(0).value<short>(), a.value(1).toInt(),
                                               a.value(2).value<short>(), values, &ret);
    return reply(call, hr, {ret});
}

QDBusMessage connect(CModBusLink& link, const QDBusMessage& call)
{
    VARIANT_BOOL ok = VARIANT_FALSE;
    const HRESULT hr = link.Connect(&ok);
    return reply(call, hr, {ok != VARIANT_FALSE});
}

// TxRxMessage and TxRxRawData: the same arguments, TxRxRawData with its
// time-out between the response length and the byte count.
template <bool Raw>
QDBusMessage txRx(CModBusLink& link, const QDBusMessage& call)
{
    const QVariantList a = call.arguments();
    const int countIndex = Raw ? 5 : 4;
    COleVariant query, response, count;
    if (!variantArg(a, 0, query)) return badVariant(call, "vQuery");
    if (!variantArg(a, 2, response)) return badVariant(call, "vResponse");
    if (!variantArg(a, countIndex, count)) return badVariant(call, "vNumOfBytesRead");
    int32_t ret = 0;
    const auto queryLength = a.value(1).value<short>();
    const auto respLength = a.value(3).value<short>();
    const HRESULT hr = Raw ? link.TxRxRawData(query, queryLength, &response, respLength, a.value(4).toInt(), &count, &ret)
                           : link.TxRxMessage(query, queryLength, &response, respLength, &count, &ret);
    return reply(call, hr, {toWire(response), toWire(count), ret});
}

struct Binding {
    const char* busName;
    ModBusLinkDispatch::Handler handler;
    bool usesLine;
};

using L = CModBusLink;

const Binding kBindings[] = {
    {"CloseConnection", closeConnection, false},
    {"get_ComPort", get<int16_t, &L::get_ComPort>, false},
    {"put_ComPort", put<int16_t, &L::put_ComPort>, false},
    {"get_BaudRate", get<int32_t, &L::get_BaudRate>, false},
    {"put_BaudRate", put<int32_t, &L::put_BaudRate>, false},
    {"get_Parity", get<int16_t, &L::get_Parity>, false},
    {"put_Parity", put<int16_t, &L::put_Parity>, false},
    {"get_FlowControl", get<int16_t, &L::get_FlowControl>, false},
    {"put_FlowControl", put<int16_t, &L::put_FlowControl>, false},
    {"Connect", connect, true},
    {"OpenConnection", openConnection, false},
    {"get_RaiseError", getBool<&L::get_RaiseError>, false},
    {"put_RaiseError", putRaiseError, false},
    {"PresetSingleRegister", presetSingleRegister, true},
    {"ForceSingleCoil", forceSingleCoil, true},
    {"ReadOutputRegisters", readRegisters<&L::ReadOutputRegisters>, true},
    {"ReadInputRegisters", readRegisters<&L::ReadInputRegisters>, true},
    {"ReadOutputStatus", readStatus<&L::ReadOutputStatus>, true},
    {"ReadInputStatus", readStatus<&L::ReadInputStatus>, true},
    {"PresetMultipleRegisters", presetMultipleRegisters, true},
    {"ForceMultipleCoils", forceMultipleCoils, true},
    {"get_Retries", get<int16_t, &L::get_Retries>, false},
    {"put_Retries", put<int16_t, &L::put_Retries>, false},
    {"get_IsActive", getBool<&L::get_IsActive>, false},
    {"get_Host", getHost, false},
    {"put_Host", putHost, false},
    {"get_TcpPort", get<int32_t, &L::get_TcpPort>, false},
    {"put_TcpPort", put<int32_t, &L::put_TcpPort>, false},
    {"TxRxMessage", txRx<false>, true},
    {"get_TcpServer", getObject<&L::get_TcpServer>, false},
    {"CreateTCPServer", getObject<&L::CreateTCPServer>, false},
    {"get_SilentInterval", get<int32_t, &L::get_SilentInterval>, false},
    {"put_SilentInterval", put<int32_t, &L::put_SilentInterval>, false},
    {"get_TimeOut", get<int32_t, &L::get_TimeOut>, false},
    {"put_TimeOut", put<int32_t, &L::put_TimeOut>, false},
    {"get_StopBits", get<int16_t, &L::get_StopBits>, false},
    {"put_StopBits", put<int16_t, &L::put_StopBits>, false},
    {"get_TransmissionMode", get<int16_t, &L::get_TransmissionMode>, false},
    {"put_TransmissionMode", put<int16_t, &L::put_TransmissionMode>, false},
    {"get_ByteSize", get<int16_t, &L::get_ByteSize>, false},
    {"put_ByteSize", put<int16_t, &L::put_ByteSize>, false},
    {"TxRxRawData", txRx<true>, true},
    {"get_Delay", get<int32_t, &L::get_Delay>, false},
    {"put_Delay", put<int32_t, &L::put_Delay>, false},
};

std::unordered_map<QString, ModBusLinkDispatch::Entry> buildEntries()
{
    std::unordered_map<QString, ModBusLinkDispatch::Entry> entries;
    for (const auto& b : kBindings) {
        const MemberInfo* member = findModBusLinkMember(b.busName);
        if (!member) continue;  // the member table decides what exists
        entries[QString::fromLatin1(b.busName)] = {b.handler, b.usesLine, QString::fromStdString(member->inSignature())};
    }
    return entries;
}

}  // namespace

const ModBusLinkDispatch::Entry* ModBusLinkDispatch::find(const QString& busName)
{
    static const auto entries = buildEntries();
    auto it = entries.find(busName);
    return it == entries.end() ? nullptr : &it->second;
}

QDBusMessage ModBusLinkDispatch::invoke(const Entry& entry, CModBusLink& link, const QDBusMessage& call)
{
    ClearErrorInfo();
    return entry.handler(link, call);
}

}  // namespace tern::server
