#pragma once
// The members of org.aviary.Tern.IBusMonitor (see BusFrameWire.h) on the
// recorder of an object's serial line. Answered at once on the caller's
// thread: the recorder is safe to read beside the line's exchanges.
#include <tern/server/CConnection.h>

#include <QDBusMessage>
#include <QString>

namespace tern::server {

QDBusMessage busMonitorCall(CConnection* connection, const QDBusMessage& call);
QString busMonitorInterfaceXml();

}  // namespace tern::server
