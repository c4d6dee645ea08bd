#include <tern/gateway/CTcpServer.h>

#include <tern/gateway/GatewayClient.h>

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

namespace tern::gateway {

CTcpServer::CTcpServer(std::shared_ptr<server::CConnection> line, QObject* parent)
    : QObject(parent), line_(std::move(line))
{
}

CTcpServer::~CTcpServer() { Stop(); }

bool CTcpServer::Start(std::string& error)
{
    Stop();
    QHostAddress address;
    if (!address.setAddress(QString::fromStdString(settings_.address)))
        return error = "not an address: " + settings_.address, false;
    for (const auto& entry : settings_.allow) {
        const auto subnet = QHostAddress::parseSubnet(QString::fromStdString(entry));
        if (subnet.first.isNull() && QHostAddress(QString::fromStdString(entry)).isNull())
            return error = "not an address or network: " + entry, false;
    }
    listener_ = new QTcpServer(this);
    listener_->setMaxPendingConnections(settings_.maxClients + 4);
    connect(listener_, &QTcpServer::newConnection, this, &CTcpServer::acceptClients);
    if (!listener_->listen(address, settings_.port)) {
        error = listener_->errorString().toStdString();
        delete listener_;
        listener_ = nullptr;
        return false;
    }
    return true;
}

void CTcpServer::Stop()
{
    if (listener_) {
        listener_->close();
        delete listener_;
        listener_ = nullptr;
    }
    for (auto* client : findChildren<GatewayClient*>(Qt::FindDirectChildrenOnly)) client->close();
}

CTcpServer::Status CTcpServer::GetStatus() const
{
    Status s;
    s.listening = listener_ && listener_->isListening();
    s.port = s.listening ? listener_->serverPort() : 0;
    s.clients = clients_;
    s.served = served_;
    s.errors = errors_;
    return s;
}

bool CTcpServer::allowed(const QHostAddress& peer) const
{
    if (settings_.allow.empty()) return true;
    for (const auto& entry : settings_.allow) {
        const QString text = QString::fromStdString(entry);
        if (text.contains('/')) {
            if (peer.isInSubnet(QHostAddress::parseSubnet(text))) return true;
        } else if (peer.isEqual(QHostAddress(text), QHostAddress::TolerantConversion)) {
            return true;
        }
    }
    return false;
}

void CTcpServer::acceptClients()
{
    while (QTcpSocket* socket = listener_ ? listener_->nextPendingConnection() : nullptr) {
        if (clients_ >= settings_.maxClients || !allowed(socket->peerAddress())) {
            ++errors_;
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++clients_;
        new GatewayClient(socket, *this);
    }
}

void CTcpServer::clientGone(GatewayClient*) { --clients_; }

}  // namespace tern::gateway
