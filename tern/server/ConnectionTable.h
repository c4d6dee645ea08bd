#pragma once
// The server's table of open connections by name (case-sensitive). Objects
// that open the same name share one connection; the table holds it while
// any object does. OpenConnection and CloseConnection may arrive on
// different threads at the same time, so every change is made under one
// lock.
#include <tern/server/CConnection.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace tern::server {

class ConnectionTable {
public:
    // Makes the engine of a new connection; tests put serial engines on
    // memory lines this way. Without one the real engines are made.
    using EngineFactory = std::function<std::unique_ptr<CModbus>(const std::string& name, int16_t type)>;

    // The process-wide table.
    static ConnectionTable& instance();
    ConnectionTable();

    void setEngineFactory(EngineFactory factory);
    // A further reference to the connection of that name, whatever its
    // type; a new connection of the type when there is none.
    std::shared_ptr<CConnection> open(const std::string& name, int16_t type);
    // Drops one reference; the last one takes the connection out of the
    // table. Its engine goes (closing the line) when the last call still
    // using it has finished.
    void release(const std::shared_ptr<CConnection>& connection);

    std::shared_ptr<CConnection> find(const std::string& name) const;
    size_t size() const;

private:
    mutable std::mutex mutex_;
    std::unordered_map<std::string, std::shared_ptr<CConnection>> connections_;
    EngineFactory factory_;
};

}  // namespace tern::server
