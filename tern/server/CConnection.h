#pragma once
// One named Modbus connection of the server: a serial line (type 1,
// CLocalModbus) or a TCP peer (type 2, CRemoteModbus), shared by every
// object that opened the same name. The reference count is the number of
// objects using it; the connection table drops the connection when it
// reaches 0, and destroying the engine closes the port or socket.
#include <tern/server/CallQueue.h>
#include <tern/server/FrameRecorder.h>

#include <tern/engine/CLocalModbus.h>
#include <tern/engine/CModbus.h>
#include <tern/engine/CRemoteModbus.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace tern::server {

enum ConnectionType : int16_t { kSerialConnection = 1, kTcpConnection = 2 };

class CConnection {
public:
    // A new engine of the type, settings at their defaults, port closed.
    CConnection(std::string name, int16_t type);
    // An engine supplied by the caller (tests: a serial engine on a memory line).
    CConnection(std::string name, std::unique_ptr<CModbus> engine);
    ~CConnection();
    CConnection(const CConnection&) = delete;
    CConnection& operator=(const CConnection&) = delete;

    const std::string& name() const { return name_; }
    int16_t type() const { return type_; }
    CModbus& engine() { return *engine_; }
    // The engine as its concrete class; null for the other type.
    CLocalModbus* local() { return local_; }
    CRemoteModbus* remote() { return remote_; }

    // The bus monitor of a serial line; null for a TCP peer.
    FrameRecorder* recorder() { return recorder_.get(); }

    // The exchanges of this connection, one at a time.
    CallQueue& calls() { return calls_; }

    long AddRef() { return ++refs_; }
    long Release() { return --refs_; }
    long references() const { return refs_; }

private:
    std::string name_;
    int16_t type_ = 0;
    std::unique_ptr<FrameRecorder> recorder_;  // outlives the engine that reports to it
    std::unique_ptr<CModbus> engine_;
    CLocalModbus* local_ = nullptr;
    CRemoteModbus* remote_ = nullptr;
    std::atomic<long> refs_{1};
    CallQueue calls_;
};

}  // namespace tern::server
