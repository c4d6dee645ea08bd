#pragma once
// How a client finds the link server: the class registered for a ProgID in
// the registry store, and a server owning the bus name, started on demand
// by the bus (activation file) or, failing that, from the registered local
// server path.
#include <tern/automation/OleTypes.h>

#include <QDBusConnection>

#include <chrono>
#include <string>

namespace tern::client {

struct RegisteredClass {
    std::string clsid;
    std::string localServer;
};

// CO_E_CLASSSTRING for a ProgID that is not registered, REGDB_E_CLASSNOTREG
// when it names another class or its class has no local server.
HRESULT findRegisteredClass(const std::string& progId, RegisteredClass& out);

// S_OK once a server owns the bus name; CO_E_SERVER_EXEC_FAILURE when none
// could be started within the wait.
HRESULT startServer(const QDBusConnection& bus, const RegisteredClass& cls,
                    std::chrono::milliseconds wait = std::chrono::seconds(10));

// The unique name of the server owning the bus name now (empty: none).
QString serverOwner(const QDBusConnection& bus);

// Waits until the bus name is no longer owned by the given unique name (a
// server on its way out); false when it still is after the wait.
bool waitForOwnerChange(const QDBusConnection& bus, const QString& leaving, std::chrono::milliseconds wait);

}  // namespace tern::client
