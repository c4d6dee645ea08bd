#include <tern/server/TernProgram.h>

#include <tern/server/ActivationFile.h>
#include <tern/server/CallQueue.h>
#include <tern/server/LockCount.h>
#include <tern/server/ModBusLinkServer.h>
#include <tern/server/ShutdownMonitor.h>
#include <tern/server/TernRegistration.h>
#include <tern/automation/ModBusLinkIdentity.h>

#include <platform/Clock.h>
#include <platform/LineOptions.h>
#include <platform/ParseInt.h>
#include <platform/RegistryStore.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QLoggingCategory>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <strings.h>

namespace tern::server {

namespace {

// Tern's debug output, off unless QT_LOGGING_RULES="tern.line.debug=true".
Q_LOGGING_CATEGORY(lineDebug, "tern.line", QtInfoMsg)

std::chrono::milliseconds environmentMs(const char* name, std::chrono::milliseconds fallback)
{
    const char* v = std::getenv(name);
    const auto ms = platform::parseInt<unsigned long>(v ? v : "", 0ul, 3600000ul);
    return ms ? std::chrono::milliseconds(*ms) : fallback;
}

std::string modulePath(const char* argv0)
{
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) return self.string();
    return std::filesystem::absolute(argv0, ec).string();
}

HRESULT registerProgram(const std::string& module)
{
    const HRESULT hr = RegisterServer(platform::RegistryStore::instance(), module);
    if (FAILED(hr)) return hr;
    // Without the activation file a client can still start the registered
    // program itself, so a failure here is worth a word, not a failure.
    const std::string dir = activationDirectory();
    if (!writeActivationFile(dir, module))
        std::fprintf(stderr, "tern: cannot write %s/%s: %s\n", dir.c_str(), activationFileName().c_str(),
                     std::strerror(errno));
    return hr;
}

HRESULT unregisterProgram()
{
    const HRESULT hr = UnregisterServer(platform::RegistryStore::instance());
    const std::string dir = activationDirectory();
    if (!removeActivationFile(dir))
        std::fprintf(stderr, "tern: cannot remove %s/%s: %s\n", dir.c_str(), activationFileName().c_str(),
                     std::strerror(errno));
    return hr;
}

HRESULT serve(QCoreApplication& app, const ServeTiming& timing, const ServeExtension& extend)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "tern: no session bus: %s\n", qPrintable(bus.lastError().message()));
        return CO_E_SERVER_EXEC_FAILURE;
    }
    LockCount locks;
    HRESULT result = S_OK;
    {
        ModBusLinkServer server(bus, locks);
        const std::shared_ptr<void> extension = extend ? extend(server, locks) : nullptr;
        // Decided on the thread that creates objects, so no object can be
        // created between the last look at the count and the end.
        ShutdownMonitor monitor(locks, timing.idleTime, [&] {
            QMetaObject::invokeMethod(&server, [&] {
                server.suspend();
                if (locks.value() == 0) app.quit();
                else server.resume();
            }, Qt::QueuedConnection);
        });
        locks.setOnZero([&monitor] { monitor.signal(); });
        // The bus going away (a private test bus ending, the session ending)
        // ends the server too.
        bus.connect(QString(), QStringLiteral("/org/freedesktop/DBus/Local"),
                    QStringLiteral("org.freedesktop.DBus.Local"), QStringLiteral("Disconnected"), &app, SLOT(quit()));
        if (!server.registerObjects() || !bus.registerService(QLatin1String(identity::kBusName))) {
            std::fprintf(stderr, "tern: cannot serve %s: %s\n", identity::kBusName,
                         qPrintable(bus.lastError().message()));
            result = CO_E_SERVER_EXEC_FAILURE;
        } else {
            monitor.start();
            monitor.signal();  // a server nobody comes to ends as well
            app.exec();
            monitor.stop();
            bus.unregisterService(QLatin1String(identity::kBusName));
        }
        locks.setOnZero({});
        server.unregisterObjects();
    }
    platform::sleepMs(static_cast<uint32_t>(timing.exitWait.count()));
    CallQueue::waitForAll();
    return result;
}

}  // namespace

TernCommand parseTernCommandLine(const std::vector<std::string>& args)
{
    for (const auto& a : args) {
        if (a.size() < 2 || (a[0] != '-' && a[0] != '/')) continue;
        const char* token = a.c_str() + 1;
        if (strcasecmp(token, "UnregServer") == 0) return TernCommand::UnregServer;
        if (strcasecmp(token, "RegServer") == 0) return TernCommand::RegServer;
    }
    return TernCommand::Serve;
}

ServeTiming ServeTiming::fromEnvironment()
{
    ServeTiming t;
    t.idleTime = environmentMs("AVIARY_TERN_IDLE_MS", t.idleTime);
    t.exitWait = environmentMs("AVIARY_TERN_EXIT_WAIT_MS", t.exitWait);
    return t;
}

HRESULT runTern(int argc, char** argv, const ServeExtension& extend)
{
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    switch (parseTernCommandLine(args)) {
    case TernCommand::RegServer: return registerProgram(modulePath(argc > 0 ? argv[0] : "tern"));
    case TernCommand::UnregServer: return unregisterProgram();
    case TernCommand::Serve: break;
    }
    // No windows here: Qt's own event dispatcher hands a call from thread to
    // thread faster than the GLib one, which is most of a call's cost.
    setenv("QT_NO_GLIB", "1", 1);
    QCoreApplication app(argc, argv);
    // A driver's refusal of RS-485 or low-latency mode is debug output, not an error.
    platform::setLineNoteSink([](const std::string& note) {
        if (!lineDebug().isDebugEnabled()) return false;
        qCDebug(lineDebug, "%s", note.c_str());
        return true;
    });
    return serve(app, ServeTiming::fromEnvironment(), extend);
}

int exitStatusOf(HRESULT hr)
{
    if (SUCCEEDED(hr)) return 0;
    const int low = static_cast<int>(static_cast<uint32_t>(hr) & 0xFF);
    return low != 0 ? low : 1;
}

}  // namespace tern::server
