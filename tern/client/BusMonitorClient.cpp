#include <tern/client/BusMonitorClient.h>

#include <tern/automation/BusFrameWire.h>
#include <tern/automation/ModBusLinkIdentity.h>

#include <QDBusArgument>
#include <QDBusMessage>

namespace tern {

namespace {

constexpr int kCallTimeOutMs = 10000;

}  // namespace

BusMonitorClient::BusMonitorClient(std::string connection, QDBusConnection bus)
    : connection_(std::move(connection)), bus_(bus), link_(bus)
{
    registerBusFrameWireTypes();
}

BusMonitorClient::~BusMonitorClient()
{
    if (attached_) link_.CloseConnection();
}

bool BusMonitorClient::attach(std::string& error)
{
    if (attached_) return true;
    VARIANT_BOOL ok = VARIANT_FALSE;
    if (!link_.isAttached() && FAILED(link_.CreateInstance())) return error = "Unable to Start Link Server", false;
    attached_ = SUCCEEDED(link_.OpenConnection(connection_, 1, &ok)) && ok != VARIANT_FALSE;
    if (!attached_) error = "Cannot open the connection " + connection_;
    return attached_;
}

bool BusMonitorClient::framesSince(uint64_t sequence, std::vector<MonitoredFrame>& frames, std::string& error)
{
    if (!attach(error)) return false;
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(identity::kBusName), link_.objectPath(),
                                                       QLatin1String(identity::kBusMonitorInterface),
                                                       QStringLiteral("FramesSince"));
    call.setArguments({QVariant::fromValue(static_cast<qulonglong>(sequence))});
    const QDBusMessage reply = bus_.call(call, QDBus::Block, kCallTimeOutMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2)
        return error = reply.errorMessage().toStdString(), false;
    BusFrameList list;
    reply.arguments().at(1).value<QDBusArgument>() >> list;
    for (const BusFrame& f : list)
        frames.push_back({f.sequence, f.exchange, f.timeUs, f.gapUs, f.direction, f.outcome, f.ascii,
                          std::vector<uint8_t>(f.bytes.begin(), f.bytes.end())});
    return true;
}

bool BusMonitorClient::outcome(const char* member, const QVariantList& args, std::string& error)
{
    if (!attach(error)) return false;
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(identity::kBusName), link_.objectPath(),
                                                       QLatin1String(identity::kBusMonitorInterface),
                                                       QLatin1String(member));
    call.setArguments(args);
    const QDBusMessage reply = bus_.call(call, QDBus::Block, kCallTimeOutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) return error = reply.errorMessage().toStdString(), false;
    if (reply.arguments().value(0).toBool()) return true;
    error = reply.arguments().value(1).toString().toStdString();
    return false;
}

bool BusMonitorClient::startCapture(const std::string& path, std::string& error)
{
    return outcome("StartCapture", {QString::fromStdString(path)}, error);
}

bool BusMonitorClient::stopCapture(std::string& error) { return outcome("StopCapture", {}, error); }

bool BusMonitorClient::saveCapture(const std::string& path, std::string& error)
{
    return outcome("SaveCapture", {QString::fromStdString(path)}, error);
}

}  // namespace tern
