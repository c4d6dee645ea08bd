#include <tern/server/CConnection.h>

namespace tern::server {

namespace {

std::unique_ptr<CModbus> engineFor(int16_t type)
{
    if (type == kTcpConnection) return std::make_unique<CRemoteModbus>();
    return std::make_unique<CLocalModbus>();
}

}  // namespace

CConnection::CConnection(std::string name, int16_t type) : CConnection(std::move(name), engineFor(type)) {}

CConnection::CConnection(std::string name, std::unique_ptr<CModbus> engine)
    : name_(std::move(name)), engine_(std::move(engine))
{
    local_ = dynamic_cast<CLocalModbus*>(engine_.get());
    remote_ = dynamic_cast<CRemoteModbus*>(engine_.get());
    // Whoever finds the line held learns which connection has it.
    if (local_) local_->SetLineHolder("connection " + name_);
    type_ = remote_ ? kTcpConnection : kSerialConnection;
    if (local_) {
        recorder_ = std::make_unique<FrameRecorder>(name_);
        local_->SetFrameTap(recorder_.get());
    }
}

CConnection::~CConnection()
{
    if (local_) local_->SetFrameTap(nullptr);
}

}  // namespace tern::server
