#pragma once
// One Modbus/TCP client of the gateway: reads its requests, hands them to
// the line's queue under its own name (so the queue is fair to it), and
// writes each reply with the transaction id of its request.
//
// A client takes in at most maxInFlight requests before their replies: the
// rest wait in the socket, so a client that floods the gateway slows only
// itself. A header that cannot be trusted closes this connection; a client
// silent for the idle time with nothing in flight is closed too.
#include <tern/gateway/GatewayRequest.h>
#include <tern/gateway/MbapReader.h>

#include <QObject>
#include <QTimer>

#include <memory>
#include <mutex>
#include <string>

class QTcpSocket;

namespace tern::gateway {

class CTcpServer;

class GatewayClient : public QObject {
    Q_OBJECT
public:
    GatewayClient(QTcpSocket* socket, CTcpServer& server);
    ~GatewayClient() override;

    void close();

private:
    // Where the queue's threads send an answer; emptied when the client
    // goes, so a late answer finds nobody and a queued request is skipped.
    struct Mailbox {
        std::mutex mutex;
        GatewayClient* receiver = nullptr;
    };

    void pump();
    void submit(const MbapRequest& request);
    void answered(const MbapRequest& request, const LineAnswer& answer);
    void send(const MbapRequest& request, const std::vector<uint8_t>& pdu);
    void idle();

    QTcpSocket* socket_;
    CTcpServer& server_;
    MbapReader reader_;
    QTimer idleTimer_;
    std::shared_ptr<Mailbox> mailbox_;
    std::string queueName_;
    int inFlight_ = 0;
    bool closing_ = false;
};

}  // namespace tern::gateway
