#pragma once
// The link server on the bus: the class object (CreateInstance, LockServer)
// and every ModBusLink object below it, with their references.
//
// Each reference belongs to the bus name that took it. A client that leaves
// the bus, even by crashing, gives up all of its references, so its objects
// and server locks go with it. Every object and server lock holds the
// server's lock count.
//
// Calls arrive on the thread that owns this object. Members that talk on the
// line are queued on their connection's call queue and answered from there;
// everything else is answered at once, so a slow exchange never holds up
// property reads or calls on other connections.
#include <tern/server/CModBusLink.h>
#include <tern/server/LockCount.h>

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QDBusVirtualObject>

#include <map>
#include <memory>

namespace tern::server {

class ModBusLinkServer : public QDBusVirtualObject {
    Q_OBJECT
public:
    ModBusLinkServer(QDBusConnection bus, LockCount& locks, ConnectionTable& table = ConnectionTable::instance());
    ~ModBusLinkServer() override;

    // Registers the objects below the server path (not the bus name).
    bool registerObjects();
    void unregisterObjects();

    // Gives new objects their gateways; the provider must outlive them.
    void setTcpServerProvider(TcpServerProvider* provider) { tcpServers_ = provider; }

    // While suspended, the class object creates nothing.
    void suspend() { suspended_ = true; }
    void resume() { suspended_ = false; }
    bool suspended() const { return suspended_; }
    size_t objectCount() const { return objects_.size(); }

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    struct Instance {
        std::shared_ptr<CModBusLink> link;
        std::map<QString, unsigned> refs;  // by owning bus name
    };

    void classObjectCall(const QDBusMessage& message);
    void unknownCall(quint64 id, const QDBusMessage& message);
    void memberCall(const std::shared_ptr<CModBusLink>& link, const QDBusMessage& message);
    // Watches an owner; false when it has already left the bus.
    bool watchOwner(const QString& owner);
    void ownerLeft(const QString& owner);
    // Stops watching an owner that holds nothing any more.
    void forgetIfIdle(const QString& owner);
    void dropReference(quint64 id, const QString& owner);
    unsigned totalRefs(const Instance& instance) const;
    QString pathOf(quint64 id) const;
    // The object id of a path below the class object; 0 when there is none.
    quint64 idOf(const QString& path) const;

    QDBusConnection bus_;
    LockCount& locks_;
    ConnectionTable& table_;
    TcpServerProvider* tcpServers_ = nullptr;
    QDBusServiceWatcher watcher_;
    std::map<quint64, Instance> objects_;
    std::map<QString, unsigned> serverLocks_;
    quint64 nextId_ = 1;
    bool suspended_ = false;
    bool registered_ = false;
};

}  // namespace tern::server
