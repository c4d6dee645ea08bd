// Feeds the input to the MBAP reader in pieces whose sizes come from the
// input itself (a TCP stream arrives cut anywhere) and checks what it hands
// on: whole requests that agree with their header, nothing after a refusal.
#include <tern/gateway/MbapReader.h>

#include <algorithm>
#include <cstdlib>

using tern::gateway::MbapReader;
using tern::gateway::MbapRequest;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    const size_t piece = 1 + data[0] % 64;
    MbapReader reader;
    bool refused = false;
    for (size_t at = 1; at < size; at += piece) {
        const size_t n = std::min(piece, size - at);
        if (!reader.feed(data + at, n) && !refused && reader.buffered() + n <= MbapReader::kMaxBuffered) std::abort();
        MbapRequest request;
        for (;;) {
            const auto status = reader.next(request);
            if (status == MbapReader::Status::NeedMore) break;
            if (status == MbapReader::Status::Malformed) {
                refused = true;
                break;
            }
            if (refused || request.pdu.empty() || request.pdu.size() > MbapReader::kMaxPdu) std::abort();
            const size_t expected = tern::gateway::requestPduLength(request.pdu.data(), request.pdu.size());
            if (expected != 0 && expected != request.pdu.size()) std::abort();
        }
    }
    return 0;
}
