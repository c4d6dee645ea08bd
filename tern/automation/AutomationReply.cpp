#include <tern/automation/AutomationReply.h>

#include <tern/automation/ModBusLinkIdentity.h>

#include <QString>

namespace tern {

namespace {

struct BusErrorMapping {
    const char* name;
    HRESULT hr;
};

// The bus's errors, as the failures of a remote call they correspond to.
constexpr BusErrorMapping kBusErrors[] = {
    {"org.freedesktop.DBus.Error.ServiceUnknown", RPC_E_DISCONNECTED},
    {"org.freedesktop.DBus.Error.NameHasNoOwner", RPC_E_DISCONNECTED},
    {"org.freedesktop.DBus.Error.Disconnected", RPC_E_DISCONNECTED},
    {"org.freedesktop.DBus.Error.NoServer", RPC_E_DISCONNECTED},
    {"org.freedesktop.DBus.Error.UnknownObject", CO_E_OBJNOTCONNECTED},
    {"org.freedesktop.DBus.Error.UnknownMethod", DISP_E_MEMBERNOTFOUND},
    {"org.freedesktop.DBus.Error.UnknownInterface", DISP_E_MEMBERNOTFOUND},
    {"org.freedesktop.DBus.Error.InvalidArgs", E_INVALIDARG},
    {"org.freedesktop.DBus.Error.InvalidSignature", E_INVALIDARG},
    {"org.freedesktop.DBus.Error.NoReply", RPC_E_TIMEOUT},
    {"org.freedesktop.DBus.Error.Timeout", RPC_E_TIMEOUT},
    {"org.freedesktop.DBus.Error.TimedOut", RPC_E_TIMEOUT},
    {"org.freedesktop.DBus.Error.NoMemory", E_OUTOFMEMORY},
};

QString argumentText(const QVariantList& args, int index)
{
    return index < args.size() && args[index].typeId() == QMetaType::QString ? args[index].toString() : QString();
}

}  // namespace

QDBusMessage automationErrorReply(const QDBusMessage& call, HRESULT hr, const ErrorInfo& info)
{
    QDBusMessage reply = call.createErrorReply(QString::fromLatin1(identity::kAutomationErrorName),
                                               QString::fromStdString(info.description));
    reply << QVariant::fromValue(static_cast<int>(hr)) << QString::fromStdString(info.source)
          << QString::fromStdString(info.interfaceGuid) << QString::fromStdString(info.helpFile);
    return reply;
}

HRESULT replyResult(const QDBusMessage& reply, ErrorInfo* info)
{
    if (reply.type() == QDBusMessage::ReplyMessage) return S_OK;
    const QVariantList args = reply.arguments();
    ErrorInfo taken;
    taken.description = (args.isEmpty() ? reply.errorMessage() : argumentText(args, 0)).toStdString();
    HRESULT hr = RPC_E_SERVERFAULT;
    if (reply.type() == QDBusMessage::ErrorMessage &&
        reply.errorName() == QLatin1String(identity::kAutomationErrorName) && args.size() >= 2 &&
        args[1].typeId() == QMetaType::Int) {
        hr = args[1].toInt();
        taken.source = argumentText(args, 2).toStdString();
        taken.interfaceGuid = argumentText(args, 3).toStdString();
        taken.helpFile = argumentText(args, 4).toStdString();
    } else if (reply.type() != QDBusMessage::ErrorMessage) {
        hr = RPC_E_DISCONNECTED;  // an invalid message: the call never reached anyone
    } else {
        for (const auto& m : kBusErrors)
            if (reply.errorName() == QLatin1String(m.name)) hr = m.hr;
    }
    if (info) *info = std::move(taken);
    return hr;
}

}  // namespace tern
