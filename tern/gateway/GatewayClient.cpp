#include <tern/gateway/GatewayClient.h>

#include <tern/gateway/CTcpServer.h>

#include <QTcpSocket>

#include <algorithm>

namespace tern::gateway {

GatewayClient::GatewayClient(QTcpSocket* socket, CTcpServer& server)
    : QObject(&server), socket_(socket), server_(server), mailbox_(std::make_shared<Mailbox>())
{
    socket_->setParent(this);
    socket_->setReadBufferSize(static_cast<qint64>(MbapReader::kMaxBuffered));
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    mailbox_->receiver = this;
    queueName_ = "tcp:" + socket_->peerAddress().toString().toStdString() + ":" +
                 std::to_string(socket_->peerPort()) + "#" + std::to_string(reinterpret_cast<uintptr_t>(this));
    connect(socket_, &QTcpSocket::readyRead, this, &GatewayClient::pump);
    connect(socket_, &QTcpSocket::disconnected, this, &GatewayClient::close);
    connect(socket_, &QTcpSocket::errorOccurred, this, &GatewayClient::close);
    idleTimer_.setSingleShot(true);
    connect(&idleTimer_, &QTimer::timeout, this, &GatewayClient::idle);
    if (server_.settings().idleTimeOutMs > 0) idleTimer_.start(server_.settings().idleTimeOutMs);
    pump();
}

GatewayClient::~GatewayClient()
{
    std::lock_guard lock(mailbox_->mutex);
    mailbox_->receiver = nullptr;
}

void GatewayClient::close()
{
    if (closing_) return;
    closing_ = true;
    {
        std::lock_guard lock(mailbox_->mutex);
        mailbox_->receiver = nullptr;
    }
    idleTimer_.stop();
    socket_->disconnect(this);
    socket_->abort();
    server_.clientGone(this);
    deleteLater();
}

void GatewayClient::pump()
{
    while (!closing_ && inFlight_ < server_.settings().maxInFlight) {
        MbapRequest request;
        switch (reader_.next(request)) {
        case MbapReader::Status::Request:
            submit(request);
            continue;
        case MbapReader::Status::Malformed:
            server_.countError();
            close();
            return;
        case MbapReader::Status::NeedMore: break;
        }
        const qint64 room = static_cast<qint64>(MbapReader::kMaxBuffered - reader_.buffered());
        const QByteArray data = socket_->read(std::min(room, socket_->bytesAvailable()));
        if (data.isEmpty()) return;
        if (server_.settings().idleTimeOutMs > 0) idleTimer_.start(server_.settings().idleTimeOutMs);
        reader_.feed(reinterpret_cast<const uint8_t*>(data.constData()), static_cast<size_t>(data.size()));
    }
}

void GatewayClient::submit(const MbapRequest& request)
{
    if (const uint8_t refused = checkRequest(request.pdu, server_.settings().readOnly)) {
        server_.countServed();
        send(request, exceptionPdu(request.pdu.empty() ? 0 : request.pdu[0], refused));
        return;
    }
    ++inFlight_;
    auto line = server_.lineRef();
    line->calls().post(
        [mailbox = mailbox_, line, request] {
            {
                std::lock_guard lock(mailbox->mutex);
                if (!mailbox->receiver) return;  // the client has gone: its requests leave the line alone
            }
            const LineAnswer answer = exchangeOnLine(line->engine(), request.unit, request.pdu);
            std::lock_guard lock(mailbox->mutex);
            if (GatewayClient* client = mailbox->receiver)
                QMetaObject::invokeMethod(client, [client, request, answer] { client->answered(request, answer); },
                                          Qt::QueuedConnection);
        },
        queueName_);
}

void GatewayClient::answered(const MbapRequest& request, const LineAnswer& answer)
{
    --inFlight_;
    server_.countServed();
    if (answer.result != 0 && !isExceptionResult(answer.result)) server_.countError();
    if (answer.reply) send(request, answer.pdu);
    pump();
}

void GatewayClient::send(const MbapRequest& request, const std::vector<uint8_t>& pdu)
{
    if (closing_) return;
    const std::vector<uint8_t> frame = mbapFrame(request.transaction, request.unit, pdu);
    socket_->write(reinterpret_cast<const char*>(frame.data()), static_cast<qint64>(frame.size()));
}

void GatewayClient::idle()
{
    if (inFlight_ > 0) idleTimer_.start(server_.settings().idleTimeOutMs);
    else close();
}

}  // namespace tern::gateway
