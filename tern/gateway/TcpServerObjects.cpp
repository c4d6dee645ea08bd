#include <tern/gateway/TcpServerObjects.h>

#include <QHostAddress>

namespace tern::gateway {

TcpServerObjects::TcpServerObjects(QDBusConnection bus, server::LockCount& locks, server::ConnectionTable& table)
    : bus_(std::move(bus)), locks_(locks), table_(table)
{
}

TcpServerObjects::~TcpServerObjects()
{
    for (auto& [name, entry] : byConnection_) {
        bus_.unregisterObject(QString::fromStdString(entry.path));
        delete entry.adaptor;
        entry.server.reset();
        if (auto c = table_.find(name)) table_.release(c);
    }
}

std::string TcpServerObjects::tcpServerFor(server::CConnection& connection, bool create)
{
    if (auto it = byConnection_.find(connection.name()); it != byConnection_.end()) return it->second.path;
    if (!create) return {};
    // A reference of its own: the line outlives the objects that opened it.
    auto line = table_.open(connection.name(), connection.type());
    Entry entry;
    entry.path = "/org/aviary/TcpServer/" + std::to_string(next_++);
    entry.server = std::make_unique<CTcpServer>(line);
    entry.adaptor = new TcpServerAdaptor(*entry.server, locks_, this);
    if (!bus_.registerObject(QString::fromStdString(entry.path), entry.adaptor,
                             QDBusConnection::ExportScriptableSlots)) {
        delete entry.adaptor;
        entry.server.reset();
        table_.release(line);
        return {};
    }
    const std::string path = entry.path;
    byConnection_.emplace(connection.name(), std::move(entry));
    return path;
}

TcpServerAdaptor::TcpServerAdaptor(CTcpServer& server, server::LockCount& locks, QObject* parent)
    : QObject(parent), server_(server), locks_(locks)
{
}

TcpServerAdaptor::~TcpServerAdaptor() { hold(false); }

void TcpServerAdaptor::hold(bool on)
{
    if (on == holding_) return;
    holding_ = on;
    if (on) locks_.Lock();
    else locks_.Unlock();
}

bool TcpServerAdaptor::Configure(const QString& address, ushort port, const QStringList& allow, bool readOnly,
                                 int maxClients, int maxInFlight, int idleTimeOutMs, QString& error)
{
    if (QHostAddress(address).isNull()) return error = QStringLiteral("not an address: ") + address, false;
    if (maxClients < 1 || maxInFlight < 1 || idleTimeOutMs < 0)
        return error = QStringLiteral("limits must be positive"), false;
    GatewaySettings s;
    s.address = address.toStdString();
    s.port = port;
    for (const QString& a : allow) s.allow.push_back(a.toStdString());
    s.readOnly = readOnly;
    s.maxClients = maxClients;
    s.maxInFlight = maxInFlight;
    s.idleTimeOutMs = idleTimeOutMs;
    server_.setSettings(s);
    return true;
}

bool TcpServerAdaptor::Start(QString& error)
{
    std::string why;
    const bool ok = server_.Start(why);
    error = QString::fromStdString(why);
    hold(ok);
    return ok;
}

void TcpServerAdaptor::Stop()
{
    server_.Stop();
    hold(false);
}

bool TcpServerAdaptor::Status(ushort& port, int& clients, qulonglong& served, qulonglong& errors)
{
    const auto s = server_.GetStatus();
    port = s.port;
    clients = s.clients;
    served = s.served;
    errors = s.errors;
    return s.listening;
}

}  // namespace tern::gateway
