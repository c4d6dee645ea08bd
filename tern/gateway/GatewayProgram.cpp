#include <tern/gateway/GatewayProgram.h>

#include <tern/gateway/CTcpServer.h>
#include <tern/gateway/TcpServerObjects.h>

#include <tern/server/CallQueue.h>
#include <tern/server/ConnectionTable.h>
#include <tern/server/LockCount.h>
#include <tern/server/ModBusLinkServer.h>
#include <tern/automation/ModBusLinkIdentity.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/socket.h>
#include <unistd.h>

namespace tern::gateway {

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = write(signalPipe[1], &c, 1);
}

// SIGTERM (systemd stopping the service) and SIGINT end the event loop.
bool quitOnSignals(QCoreApplication& app)
{
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) return false;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    return sigaction(SIGTERM, &action, nullptr) == 0 && sigaction(SIGINT, &action, nullptr) == 0;
}

void configureLine(CLocalModbus& line, const GatewayOptions& o)
{
    line.SetComPort(static_cast<uint8_t>(o.comPort));
    line.SetBaudRate(o.baudRate);
    line.SetParity(o.parity);
    line.SetStopBits(o.stopBits);
    line.SetTransmissionMode(o.ascii ? CLocalModbus::kAscii : CLocalModbus::kRtu);
    line.SetTimeOut(o.timeOutMs);
}

// A line that is not there yet (an adapter plugged in later) is tried
// again; until then every request is answered with exception 0x0A.
void keepLineOpen(QCoreApplication& app, server::CConnection& connection, int comPort)
{
    auto* timer = new QTimer(&app);
    auto tryOpen = [&connection, comPort] {
        CLocalModbus* line = connection.local();
        if (!line || line->IsOpen()) return;
        connection.calls().post([line, comPort] {
            if (!line->IsOpen() && !line->Open())
                std::fprintf(stderr, "tern: cannot open COM%d, trying again\n", comPort);
        }, "gateway");
    };
    QObject::connect(timer, &QTimer::timeout, &app, tryOpen);
    timer->start(5000);
    tryOpen();
}

}  // namespace

int runGateway(int argc, char** argv, const GatewayOptions& options)
{
    setenv("QT_NO_GLIB", "1", 1);
    QCoreApplication app(argc, argv);
    if (!quitOnSignals(app)) std::fprintf(stderr, "tern: signals not caught; stop with SIGKILL\n");
    auto& table = server::ConnectionTable::instance();
    auto connection = table.open(options.connection, server::kSerialConnection);
    if (!connection->local()) {
        std::fprintf(stderr, "tern: connection %s is not a serial line\n", options.connection.c_str());
        return 2;
    }
    configureLine(*connection->local(), options);
    keepLineOpen(app, *connection, options.comPort);

    int status = 0;
    {
        CTcpServer gateway(connection);
        gateway.setSettings(options.settings);
        std::string error;
        if (!gateway.Start(error)) {
            std::fprintf(stderr, "tern: cannot listen on %s:%u: %s\n", options.settings.address.c_str(),
                         options.settings.port, error.c_str());
            table.release(connection);
            return 1;
        }
        server::LockCount locks;
        std::unique_ptr<server::ModBusLinkServer> busServer;
        QDBusConnection bus = QDBusConnection::sessionBus();
        TcpServerObjects gateways(bus, locks, table);
        if (options.bus && bus.isConnected()) {
            busServer = std::make_unique<server::ModBusLinkServer>(bus, locks, table);
            busServer->setTcpServerProvider(&gateways);
            if (!busServer->registerObjects() || !bus.registerService(QLatin1String(identity::kBusName))) {
                std::fprintf(stderr, "tern: not serving the bus (%s): TCP only\n", qPrintable(bus.lastError().message()));
                busServer.reset();
            }
        }
        // Printed once everything serves, so whoever waits for it can go.
        std::printf("LISTEN %s:%u%s\n", options.settings.address.c_str(), gateway.GetStatus().port,
                    busServer ? " BUS" : "");
        std::fflush(stdout);
        app.exec();
        if (busServer) {
            bus.unregisterService(QLatin1String(identity::kBusName));
            busServer->unregisterObjects();
        }
        gateway.Stop();
        const auto s = gateway.GetStatus();
        std::printf("served %llu errors %llu\n", static_cast<unsigned long long>(s.served),
                    static_cast<unsigned long long>(s.errors));
    }
    server::CallQueue::waitForAll();
    table.release(connection);
    return status;
}

}  // namespace tern::gateway
