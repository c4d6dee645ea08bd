#include <tern/server/BusMonitorDispatch.h>

#include <tern/automation/BusFrameWire.h>
#include <tern/automation/ModBusLinkIdentity.h>

namespace tern::server {

namespace {

QDBusMessage failure(const QDBusMessage& call, const QString& text)
{
    return call.createErrorReply(QStringLiteral("org.aviary.Tern.BusMonitorError"), text);
}

QDBusMessage outcomeReply(const QDBusMessage& call, bool ok, const std::string& error)
{
    return call.createReply({ok, QString::fromStdString(error)});
}

QDBusMessage framesSince(FrameRecorder& recorder, const QDBusMessage& call)
{
    BusFrameList list;
    for (const FrameRecord& r : recorder.since(call.arguments().value(0).toULongLong())) {
        BusFrame f;
        f.sequence = r.sequence;
        f.exchange = r.exchange;
        f.timeUs = r.timeUs;
        f.gapUs = r.gapUs;
        f.direction = static_cast<uchar>(r.direction);
        f.outcome = static_cast<uchar>(r.outcome);
        f.ascii = r.ascii;
        f.bytes = QByteArray(reinterpret_cast<const char*>(r.bytes.data()), static_cast<qsizetype>(r.bytes.size()));
        list.push_back(f);
    }
    return call.createReply({QVariant::fromValue(static_cast<quint64>(recorder.lastSequence())), QVariant::fromValue(list)});
}

}  // namespace

QDBusMessage busMonitorCall(CConnection* connection, const QDBusMessage& call)
{
    registerBusFrameWireTypes();
    FrameRecorder* recorder = connection ? connection->recorder() : nullptr;
    if (!recorder) return failure(call, QStringLiteral("The object has no serial line to watch"));
    const QString member = call.member();
    const QString signature = call.signature();
    std::string error;
    if (member == QLatin1String("FramesSince") && signature == QLatin1String("t")) return framesSince(*recorder, call);
    if (member == QLatin1String("StartCapture") && signature == QLatin1String("s")) {
        const bool ok = recorder->startCapture(call.arguments().value(0).toString().toStdString(), error);
        return outcomeReply(call, ok, error);
    }
    if (member == QLatin1String("StopCapture") && signature.isEmpty()) {
        const bool ok = recorder->stopCapture(error);
        return outcomeReply(call, ok, error);
    }
    if (member == QLatin1String("SaveCapture") && signature == QLatin1String("s")) {
        const bool ok = recorder->saveCapture(call.arguments().value(0).toString().toStdString(), error);
        return outcomeReply(call, ok, error);
    }
    return call.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.UnknownMethod"),
                                 QStringLiteral("No method %1(%2)").arg(member, signature));
}

QString busMonitorInterfaceXml()
{
    return QStringLiteral(
               "  <interface name=\"%1\">\n"
               "    <method name=\"FramesSince\">\n"
               "      <arg name=\"sequence\" type=\"t\" direction=\"in\"/>\n"
               "      <arg name=\"last\" type=\"t\" direction=\"out\"/>\n"
               "      <arg name=\"frames\" type=\"a(ttxxyybay)\" direction=\"out\"/>\n"
               "    </method>\n"
               "    <method name=\"StartCapture\">\n"
               "      <arg name=\"path\" type=\"s\" direction=\"in\"/>\n"
               "      <arg name=\"ok\" type=\"b\" direction=\"out\"/>\n"
               "      <arg name=\"error\" type=\"s\" direction=\"out\"/>\n"
               "    </method>\n"
               "    <method name=\"StopCapture\">\n"
               "      <arg name=\"ok\" type=\"b\" direction=\"out\"/>\n"
               "      <arg name=\"error\" type=\"s\" direction=\"out\"/>\n"
               "    </method>\n"
               "    <method name=\"SaveCapture\">\n"
               "      <arg name=\"path\" type=\"s\" direction=\"in\"/>\n"
               "      <arg name=\"ok\" type=\"b\" direction=\"out\"/>\n"
               "      <arg name=\"error\" type=\"s\" direction=\"out\"/>\n"
               "    </method>\n"
               "  </interface>\n")
        .arg(QLatin1String(identity::kBusMonitorInterface));
}

}  // namespace tern::server
