#pragma once
// Cuts the byte stream of one Modbus/TCP client into requests. Every
// request starts with the 7-byte MBAP header: transaction id, protocol id
// (always 0 for Modbus), length (the bytes that follow it: unit id and PDU)
// and unit id; the PDU follows.
//
// A header that cannot be trusted leaves no way to find the next request in
// the stream, so it ends the reading for good: the gateway then closes that
// one connection. Untrusted means a protocol id other than 0, a length
// outside 2..254 (a PDU of 1 to 253 bytes), or a length that disagrees with
// what the PDU's own function code says its request is.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tern::gateway {

struct MbapRequest {
    uint16_t transaction = 0;
    uint8_t unit = 0;
    std::vector<uint8_t> pdu;  // function code and data
};

class MbapReader {
public:
    static constexpr size_t kHeaderSize = 7;
    static constexpr size_t kMaxPdu = 253;
    // More than one request's worth may wait unread; beyond this the client
    // is not waiting for replies and nothing more is taken in.
    static constexpr size_t kMaxBuffered = 8 * (kHeaderSize + kMaxPdu);

    enum class Status {
        NeedMore,   // no whole request yet
        Request,    // one request taken out of the stream
        Malformed,  // the stream cannot be read any further
    };

    // Appends received bytes; false (nothing taken) when the buffer is full.
    bool feed(const uint8_t* data, size_t length);
    // The next whole request, if one has arrived.
    Status next(MbapRequest& request);
    size_t buffered() const { return buffer_.size() - start_; }
    // Why the stream was refused (for the log); empty while it is sound.
    const std::string& fault() const { return fault_; }

private:
    Status refuse(std::string why);

    std::vector<uint8_t> buffer_;
    size_t start_ = 0;
    bool broken_ = false;
    std::string fault_;
};

// The length a request PDU must have by its function code and, for the
// multiple writes, its byte count; 0 when the function code does not fix it
// or the PDU is too short to tell.
size_t requestPduLength(const uint8_t* pdu, size_t available);

// The 7-byte header and PDU of a reply.
std::vector<uint8_t> mbapFrame(uint16_t transaction, uint8_t unit, const std::vector<uint8_t>& pdu);

}  // namespace tern::gateway
