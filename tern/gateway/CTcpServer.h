#pragma once
// The Modbus/TCP gateway of one connection: a TCP server whose clients'
// requests (the MBAP unit id is the station) go through the connection's
// call queue, the same fair queue the bus clients' calls take, so TCP
// masters and local programs share the line frame by frame.
//
// Lives on the thread that runs its event loop; the exchanges run on the
// queue's threads and come back to it.
#include <tern/gateway/GatewaySettings.h>

#include <tern/server/CConnection.h>

#include <QObject>

#include <atomic>
#include <memory>
#include <string>

class QHostAddress;
class QTcpServer;

namespace tern::gateway {

class GatewayClient;

class CTcpServer : public QObject {
    Q_OBJECT
public:
    struct Status {
        bool listening = false;
        uint16_t port = 0;       // the port listened on
        int clients = 0;
        uint64_t served = 0;     // requests answered (broadcasts: sent)
        uint64_t errors = 0;     // refused clients, bad headers, requests the line could not answer
    };

    explicit CTcpServer(std::shared_ptr<server::CConnection> line, QObject* parent = nullptr);
    ~CTcpServer() override;

    // Taken at the next Start.
    void setSettings(const GatewaySettings& settings) { settings_ = settings; }
    const GatewaySettings& settings() const { return settings_; }

    // Listens on the settings' address and port; false with the reason.
    bool Start(std::string& error);
    // Stops listening and drops every client.
    void Stop();
    Status GetStatus() const;

    server::CConnection& line() { return *line_; }
    std::shared_ptr<server::CConnection> lineRef() const { return line_; }
    void countServed() { ++served_; }
    void countError() { ++errors_; }
    void clientGone(GatewayClient* client);

private:
    void acceptClients();
    bool allowed(const QHostAddress& peer) const;

    std::shared_ptr<server::CConnection> line_;
    GatewaySettings settings_;
    QTcpServer* listener_ = nullptr;
    int clients_ = 0;
    std::atomic<uint64_t> served_{0};
    std::atomic<uint64_t> errors_{0};
};

}  // namespace tern::gateway
