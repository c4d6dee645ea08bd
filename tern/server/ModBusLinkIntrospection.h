#pragma once
// Introspection data of the server's objects, built from the member table:
// every IModBusLink member with its arguments, dispatch id and help string
// (as annotations), so tools we did not write can find their way.
#include <QString>
#include <QStringList>

namespace tern::server {

// The interfaces of one ModBusLink object.
QString modBusLinkInterfaceXml();
// The class object, with a child node for each live object.
QString classObjectXml(const QStringList& childNodes);

}  // namespace tern::server
