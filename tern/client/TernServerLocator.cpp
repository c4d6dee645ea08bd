#include <tern/client/TernServerLocator.h>

#include <tern/automation/ModBusLinkIdentity.h>

#include <platform/Clock.h>
#include <platform/ProcessLauncher.h>
#include <platform/RegistryStore.h>

#include <QDBusConnectionInterface>

#include <strings.h>

namespace tern::client {

namespace {

using platform::Hive;

constexpr uint32_t kPollMs = 10;

QString busName() { return QString::fromLatin1(identity::kBusName); }

}  // namespace

QString serverOwner(const QDBusConnection& bus)
{
    const QDBusReply<QString> owner = bus.interface()->serviceOwner(busName());
    return owner.isValid() ? owner.value() : QString();
}

namespace {

bool waitForOwner(const QDBusConnection& bus, std::chrono::milliseconds wait)
{
    const platform::Timeout timeout(static_cast<uint32_t>(wait.count()));
    while (serverOwner(bus).isEmpty()) {
        if (timeout.timedOut()) return false;
        platform::sleepMs(kPollMs);
    }
    return true;
}

}  // namespace

HRESULT findRegisteredClass(const std::string& progId, RegisteredClass& out)
{
    auto& store = platform::RegistryStore::instance();
    const auto clsid = store.getString(Hive::ClassesRoot, progId + "\\CLSID", "");
    if (!clsid || clsid->empty()) return CO_E_CLASSSTRING;
    // Only the ModBusLink class lives behind the server's bus name.
    if (strcasecmp(clsid->c_str(), identity::kClsid) != 0) return REGDB_E_CLASSNOTREG;
    const auto server = store.getString(Hive::ClassesRoot, "CLSID\\" + *clsid + "\\LocalServer32", "");
    if (!server || server->empty()) return REGDB_E_CLASSNOTREG;
    out = RegisteredClass{*clsid, *server};
    return S_OK;
}

HRESULT startServer(const QDBusConnection& bus, const RegisteredClass& cls, std::chrono::milliseconds wait)
{
    if (!bus.isConnected()) return CO_E_SERVER_EXEC_FAILURE;
    if (!serverOwner(bus).isEmpty()) return S_OK;
    // The bus serialises activation, so two clients starting at once get one server.
    if (bus.interface()->startService(busName()).isValid() && waitForOwner(bus, wait)) return S_OK;
    if (!serverOwner(bus).isEmpty()) return S_OK;
    platform::LaunchRequest request;
    request.kind = platform::LaunchKind::Program;
    request.program = cls.localServer;
    request.arguments = {"-Embedding"};
    if (platform::launch(request) <= 31) return CO_E_SERVER_EXEC_FAILURE;
    return waitForOwner(bus, wait) ? S_OK : CO_E_SERVER_EXEC_FAILURE;
}

bool waitForOwnerChange(const QDBusConnection& bus, const QString& leaving, std::chrono::milliseconds wait)
{
    const platform::Timeout timeout(static_cast<uint32_t>(wait.count()));
    while (serverOwner(bus) == leaving) {
        if (timeout.timedOut()) return false;
        platform::sleepMs(kPollMs);
    }
    return true;
}

}  // namespace tern::client
