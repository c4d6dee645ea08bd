#pragma once
// The gateways handed out by ModBusLink objects (CreateTCPServer, the
// TcpServer property): one per serial connection, on the bus at
// /org/aviary/TcpServer/<n> with the interface org.aviary.Tern.ITcpServer:
//
//   Configure(s address, q port, as allow, b readOnly, i maxClients,
//             i maxInFlight, i idleTimeOutMs) -> (b ok, s error)   taken at the next Start
//   Start() -> (b ok, s error)     listen (loopback and port 502 unless configured)
//   Stop()
//   Status() -> (b listening, q port, i clients, t served, t errors)
//
// A listening gateway holds the server (it does not end while idle) and its
// connection (the line stays open though every object has closed it).
#include <tern/gateway/CTcpServer.h>

#include <tern/server/ConnectionTable.h>
#include <tern/server/LockCount.h>
#include <tern/server/TcpServerProvider.h>

#include <QDBusConnection>
#include <QObject>

#include <map>
#include <memory>

namespace tern::gateway {

class TcpServerAdaptor;

class TcpServerObjects : public QObject, public server::TcpServerProvider {
    Q_OBJECT
public:
    TcpServerObjects(QDBusConnection bus, server::LockCount& locks,
                     server::ConnectionTable& table = server::ConnectionTable::instance());
    ~TcpServerObjects() override;

    std::string tcpServerFor(server::CConnection& connection, bool create) override;

private:
    struct Entry {
        std::string path;
        std::unique_ptr<CTcpServer> server;
        TcpServerAdaptor* adaptor = nullptr;
    };

    QDBusConnection bus_;
    server::LockCount& locks_;
    server::ConnectionTable& table_;
    std::map<std::string, Entry> byConnection_;  // by connection name
    unsigned next_ = 1;
};

// The bus face of one gateway.
class TcpServerAdaptor : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.aviary.Tern.ITcpServer")
public:
    TcpServerAdaptor(CTcpServer& server, server::LockCount& locks, QObject* parent);
    ~TcpServerAdaptor() override;

public slots:
    Q_SCRIPTABLE bool Configure(const QString& address, ushort port, const QStringList& allow, bool readOnly,
                                int maxClients, int maxInFlight, int idleTimeOutMs, QString& error);
    Q_SCRIPTABLE bool Start(QString& error);
    Q_SCRIPTABLE void Stop();
    Q_SCRIPTABLE bool Status(ushort& port, int& clients, qulonglong& served, qulonglong& errors);

private:
    void hold(bool on);

    CTcpServer& server_;
    server::LockCount& locks_;
    bool holding_ = false;
};

}  // namespace tern::gateway
