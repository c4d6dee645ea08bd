#include <tern/server/ConnectionTable.h>

namespace tern::server {

namespace {
constexpr size_t kBuckets = 17;
}

ConnectionTable& ConnectionTable::instance()
{
    static ConnectionTable table;
    return table;
}

ConnectionTable::ConnectionTable() : connections_(kBuckets) {}

void ConnectionTable::setEngineFactory(EngineFactory factory)
{
    std::lock_guard lock(mutex_);
    factory_ = std::move(factory);
}

std::shared_ptr<CConnection> ConnectionTable::open(const std::string& name, int16_t type)
{
    std::lock_guard lock(mutex_);
    if (auto it = connections_.find(name); it != connections_.end()) {
        it->second->AddRef();
        return it->second;
    }
    auto connection = factory_ ? std::make_shared<CConnection>(name, factory_(name, type))
                               : std::make_shared<CConnection>(name, type);
    connections_.emplace(name, connection);
    return connection;
}

void ConnectionTable::release(const std::shared_ptr<CConnection>& connection)
{
    if (!connection) return;
    std::lock_guard lock(mutex_);
    if (connection->Release() != 0) return;
    auto it = connections_.find(connection->name());
    if (it != connections_.end() && it->second == connection) connections_.erase(it);
}

std::shared_ptr<CConnection> ConnectionTable::find(const std::string& name) const
{
    std::lock_guard lock(mutex_);
    auto it = connections_.find(name);
    return it == connections_.end() ? nullptr : it->second;
}

size_t ConnectionTable::size() const
{
    std::lock_guard lock(mutex_);
    return connections_.size();
}

}  // namespace tern::server
