#include <tern/gateway/MbapReader.h>

#include <algorithm>

namespace tern::gateway {

namespace {

uint16_t word(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }

}  // namespace

size_t requestPduLength(const uint8_t* pdu, size_t available)
{
    if (available < 1) return 0;
    switch (pdu[0]) {
    case 1: case 2: case 3: case 4: case 5: case 6:
        return 5;  // function, address, quantity or value
    case 15: case 16:
        // function, start, quantity, byte count, then that many bytes
        return available < 6 ? 0 : 6 + size_t{pdu[5]};
    default:
        return 0;
    }
}

bool MbapReader::feed(const uint8_t* data, size_t length)
{
    if (broken_ || buffered() + length > kMaxBuffered) return false;
    if (start_ > 0 && start_ == buffer_.size()) {
        buffer_.clear();
        start_ = 0;
    }
    buffer_.insert(buffer_.end(), data, data + length);
    return true;
}

MbapReader::Status MbapReader::refuse(std::string why)
{
    broken_ = true;
    fault_ = std::move(why);
    return Status::Malformed;
}

MbapReader::Status MbapReader::next(MbapRequest& request)
{
    if (broken_) return Status::Malformed;
    const uint8_t* p = buffer_.data() + start_;
    const size_t have = buffered();
    // The header is judged as soon as it is here, so a client sending
    // nonsense is cut off without waiting for a PDU that will never come.
    if (have < 6) return Status::NeedMore;
    if (word(p + 2) != 0) return refuse("protocol id " + std::to_string(word(p + 2)));
    const size_t length = word(p + 4);
    if (length < 2 || length > kMaxPdu + 1) return refuse("length " + std::to_string(length));
    if (have < 6 + length) return Status::NeedMore;
    const uint8_t* pdu = p + kHeaderSize;
    const size_t pduLength = length - 1;
    const size_t expected = requestPduLength(pdu, pduLength);
    if (expected != 0 && expected != pduLength)
        return refuse("length " + std::to_string(length) + " for a PDU of " + std::to_string(expected));
    request.transaction = word(p);
    request.unit = p[6];
    request.pdu.assign(pdu, pdu + pduLength);
    start_ += 6 + length;
    if (start_ == buffer_.size()) {
        buffer_.clear();
        start_ = 0;
    }
    return Status::Request;
}

std::vector<uint8_t> mbapFrame(uint16_t transaction, uint8_t unit, const std::vector<uint8_t>& pdu)
{
    const size_t length = pdu.size() + 1;
    std::vector<uint8_t> frame{static_cast<uint8_t>(transaction >> 8), static_cast<uint8_t>(transaction & 0xFF),
                               0, 0, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length & 0xFF), unit};
    frame.insert(frame.end(), pdu.begin(), pdu.end());
    return frame;
}

}  // namespace tern::gateway
