#include <tern/server/ModBusLinkServer.h>

#include <tern/server/BusMonitorDispatch.h>
#include <tern/server/ModBusLinkDispatch.h>
#include <tern/server/ModBusLinkIntrospection.h>
#include <tern/automation/AutomationReply.h>
#include <tern/automation/ModBusLinkIdentity.h>
#include <tern/automation/VariantWire.h>

#include <QDBusConnectionInterface>
#include <QDBusObjectPath>

#include <new>

namespace tern::server {

namespace {

const QString kIntrospectable = QStringLiteral("org.freedesktop.DBus.Introspectable");

QDBusMessage busError(const QDBusMessage& call, const char* name, const QString& text)
{
    return call.createErrorReply(QString::fromLatin1(name), text);
}

QDBusMessage automationFailure(const QDBusMessage& call, HRESULT hr, const std::string& text)
{
    ErrorInfo info;
    info.description = text;
    return automationErrorReply(call, hr, info);
}

// No exception leaves a call: a failure the object could not report
// itself still reaches the caller as a failing HRESULT.
QDBusMessage safeInvoke(const ModBusLinkDispatch::Entry& entry, CModBusLink& link, const QDBusMessage& call)
{
    try {
        return ModBusLinkDispatch::invoke(entry, link, call);
    } catch (const std::bad_alloc&) {
        return automationFailure(call, E_OUTOFMEMORY, "Out of memory");
    } catch (...) {
        return automationFailure(call, E_UNEXPECTED, "Unexpected failure");
    }
}

void answer(const QDBusConnection& bus, const QDBusMessage& call, const QDBusMessage& reply)
{
    if (call.isReplyRequired()) bus.send(reply);
}

}  // namespace

ModBusLinkServer::ModBusLinkServer(QDBusConnection bus, LockCount& locks, ConnectionTable& table)
    : bus_(std::move(bus)), locks_(locks), table_(table)
{
    registerAutomationWireTypes();
    watcher_.setConnection(bus_);
    watcher_.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered, this, &ModBusLinkServer::ownerLeft);
}

ModBusLinkServer::~ModBusLinkServer()
{
    unregisterObjects();
    for (size_t i = 0; i < objects_.size(); ++i) locks_.Unlock();
    objects_.clear();
}

bool ModBusLinkServer::registerObjects()
{
    registered_ =
        bus_.registerVirtualObject(QLatin1String(identity::kServerPath), this, QDBusConnection::SubPath);
    return registered_;
}

void ModBusLinkServer::unregisterObjects()
{
    if (registered_) bus_.unregisterObject(QLatin1String(identity::kServerPath), QDBusConnection::UnregisterTree);
    registered_ = false;
}

QString ModBusLinkServer::pathOf(quint64 id) const
{
    return QLatin1String(identity::kObjectPathPrefix) + QString::number(id);
}

quint64 ModBusLinkServer::idOf(const QString& path) const
{
    const QLatin1String prefix(identity::kObjectPathPrefix);
    if (!path.startsWith(prefix)) return 0;
    bool ok = false;
    const quint64 id = path.mid(prefix.size()).toULongLong(&ok);
    return ok ? id : 0;
}

QString ModBusLinkServer::introspect(const QString& path) const
{
    if (path == QLatin1String(identity::kServerPath)) return QStringLiteral("  <node name=\"ModBusLink\"/>\n");
    if (path == QLatin1String(identity::kClassObjectPath)) {
        QStringList children;
        for (const auto& entry : objects_) children << QString::number(entry.first);
        return classObjectXml(children);
    }
    return objects_.count(idOf(path)) ? modBusLinkInterfaceXml() + busMonitorInterfaceXml() : QString();
}

bool ModBusLinkServer::handleMessage(const QDBusMessage& message, const QDBusConnection&)
{
    if (message.type() != QDBusMessage::MethodCallMessage) return false;
    if (message.interface().startsWith(QLatin1String("org.freedesktop.DBus."))) return false;
    const QString path = message.path();
    if (path == QLatin1String(identity::kClassObjectPath)) {
        classObjectCall(message);
        return true;
    }
    const quint64 id = idOf(path);
    auto it = objects_.find(id);
    if (it == objects_.end()) {
        if (id == 0) return false;
        answer(bus_, message, busError(message, "org.freedesktop.DBus.Error.UnknownObject",
                                       QStringLiteral("No object at %1").arg(path)));
        return true;
    }
    if (message.interface() == QLatin1String(identity::kUnknownInterface)) unknownCall(id, message);
    else if (message.interface() == QLatin1String(identity::kBusMonitorInterface))
        answer(bus_, message, busMonitorCall(it->second.link->connection().get(), message));
    else memberCall(it->second.link, message);
    return true;
}

void ModBusLinkServer::classObjectCall(const QDBusMessage& message)
{
    const QString member = message.member();
    const QString owner = message.service();
    if (member == QLatin1String("CreateInstance") && message.signature().isEmpty()) {
        if (suspended_) return answer(bus_, message, automationFailure(message, CO_E_SERVER_STOPPING, "Server is stopping"));
        if (!watchOwner(owner)) return;  // the caller has already left
        const quint64 id = nextId_++;
        objects_[id] = Instance{std::make_shared<CModBusLink>(table_, tcpServers_), {{owner, 1u}}};
        locks_.Lock();
        return answer(bus_, message, message.createReply(QVariant::fromValue(QDBusObjectPath(pathOf(id)))));
    }
    if (member == QLatin1String("LockServer") && message.signature() == QLatin1String("b")) {
        if (message.arguments().value(0).toBool()) {
            if (suspended_) return answer(bus_, message, automationFailure(message, CO_E_SERVER_STOPPING, "Server is stopping"));
            if (!watchOwner(owner)) return;
            ++serverLocks_[owner];
            locks_.Lock();
        } else if (auto it = serverLocks_.find(owner); it != serverLocks_.end()) {
            if (--it->second == 0) serverLocks_.erase(it);
            locks_.Unlock();
            forgetIfIdle(owner);
        }
        return answer(bus_, message, message.createReply());
    }
    answer(bus_, message, busError(message, "org.freedesktop.DBus.Error.UnknownMethod",
                                   QStringLiteral("No method %1(%2)").arg(member, message.signature())));
}

void ModBusLinkServer::unknownCall(quint64 id, const QDBusMessage& message)
{
    const QString owner = message.service();
    Instance& instance = objects_[id];
    if (message.member() == QLatin1String("AddRef")) {
        if (!watchOwner(owner)) return;
        ++instance.refs[owner];
        return answer(bus_, message, message.createReply(QVariant::fromValue(totalRefs(instance))));
    }
    if (message.member() == QLatin1String("Release")) {
        if (!instance.refs.count(owner))
            return answer(bus_, message, automationFailure(message, E_UNEXPECTED, "The caller holds no reference"));
        const unsigned left = totalRefs(instance) - 1;
        dropReference(id, owner);
        forgetIfIdle(owner);
        return answer(bus_, message, message.createReply(QVariant::fromValue(left)));
    }
    answer(bus_, message, busError(message, "org.freedesktop.DBus.Error.UnknownMethod",
                                   QStringLiteral("No method %1").arg(message.member())));
}

void ModBusLinkServer::memberCall(const std::shared_ptr<CModBusLink>& link, const QDBusMessage& message)
{
    const ModBusLinkDispatch::Entry* entry = ModBusLinkDispatch::find(message.member());
    if (!entry) {
        return answer(bus_, message, busError(message, "org.freedesktop.DBus.Error.UnknownMethod",
                                              QStringLiteral("No member %1").arg(message.member())));
    }
    if (message.signature() != entry->inSignature) {
        return answer(bus_, message,
                      busError(message, "org.freedesktop.DBus.Error.InvalidArgs",
                               QStringLiteral("%1 takes (%2), not (%3)")
                                   .arg(message.member(), entry->inSignature, message.signature())));
    }
    auto connection = entry->usesLine ? link->connection() : nullptr;
    if (!connection) return answer(bus_, message, safeInvoke(*entry, *link, message));
    connection->calls().post([bus = bus_, link, message, entry] { answer(bus, message, safeInvoke(*entry, *link, message)); },
                            message.service().toStdString());
}

bool ModBusLinkServer::watchOwner(const QString& owner)
{
    if (watcher_.watchedServices().contains(owner)) return true;
    watcher_.addWatchedService(owner);
    // A client that left before the watch was in place sent its last word
    // already; the bus knows whether it is still there.
    if (bus_.interface()->isServiceRegistered(owner).value()) return true;
    watcher_.removeWatchedService(owner);
    return false;
}

void ModBusLinkServer::forgetIfIdle(const QString& owner)
{
    if (serverLocks_.count(owner)) return;
    for (const auto& entry : objects_)
        if (entry.second.refs.count(owner)) return;
    watcher_.removeWatchedService(owner);
}

void ModBusLinkServer::ownerLeft(const QString& owner)
{
    watcher_.removeWatchedService(owner);
    std::vector<quint64> ids;
    for (const auto& [id, instance] : objects_)
        if (instance.refs.count(owner)) ids.push_back(id);
    for (quint64 id : ids) {
        objects_[id].refs[owner] = 1;
        dropReference(id, owner);
    }
    if (auto it = serverLocks_.find(owner); it != serverLocks_.end()) {
        const unsigned n = it->second;
        serverLocks_.erase(it);
        for (unsigned i = 0; i < n; ++i) locks_.Unlock();
    }
}

void ModBusLinkServer::dropReference(quint64 id, const QString& owner)
{
    auto it = objects_.find(id);
    if (it == objects_.end()) return;
    auto ref = it->second.refs.find(owner);
    if (ref == it->second.refs.end()) return;
    if (--ref->second == 0) it->second.refs.erase(ref);
    if (!it->second.refs.empty()) return;
    objects_.erase(it);  // the object goes once a queued call still using it is done
    locks_.Unlock();
}

unsigned ModBusLinkServer::totalRefs(const Instance& instance) const
{
    unsigned n = 0;
    for (const auto& r : instance.refs) n += r.second;
    return n;
}

}  // namespace tern::server
