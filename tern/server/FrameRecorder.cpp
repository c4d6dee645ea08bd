#include <tern/server/FrameRecorder.h>

#include <tern/engine/ModbusResult.h>

#include <algorithm>

namespace tern::server {

namespace {

// Wire time of n characters: start bit, data bits, one stop bit.
int64_t wireUs(size_t characters, const TappedExchange& e)
{
    if (e.baudRate == 0) return 0;
    return static_cast<int64_t>(characters) * (e.byteSize + 2) * 1000000 / e.baudRate;
}

// The length an RTU response to this request has: the 5-byte exception
// frame, or by function and quantity; 0 when the function does not tell.
size_t rtuResponseLength(const std::vector<uint8_t>& request, const std::vector<uint8_t>& response)
{
    if (response.size() >= 2 && (response[1] & 0x80) != 0) return 5;
    if (request.size() < 6) return 0;
    const size_t quantity = static_cast<size_t>(request[4] << 8 | request[5]);
    switch (request[1]) {
    case 1: case 2: return 5 + (quantity + 7) / 8;
    case 3: case 4: return 5 + 2 * quantity;
    case 5: case 6: case 15: case 16: return 8;
    default: return 0;
    }
}

// A frame that is all there but whose checksum is wrong, rather than
// bytes that do not make a frame at all.
bool wholeFrame(const TappedExchange& e)
{
    const auto& r = e.response;
    if (e.ascii) return r.size() >= 9 && r[0] == ':' && r[r.size() - 2] == '\r' && r[r.size() - 1] == '\n' && r.size() % 2 == 1;
    const size_t expected = rtuResponseLength(e.request, r);
    return expected == 0 ? r.size() >= 5 : r.size() == expected;
}

// What became of a request, judged by the exchange's result and what came.
FrameOutcome responseOutcome(const TappedExchange& e)
{
    if (e.result == result::kOk) return FrameOutcome::Reply;
    if (isExceptionResult(e.result)) return FrameOutcome::Exception;
    if (e.response.empty()) return FrameOutcome::TimeOut;
    if (e.result == result::kCrcError && wholeFrame(e)) return FrameOutcome::ChecksumError;
    return FrameOutcome::FramingError;
}

}  // namespace

FrameRecorder::FrameRecorder(std::string lineName, size_t capacity)
    : lineName_(std::move(lineName)), capacity_(std::max<size_t>(capacity, 2))
{
}

FrameRecorder::~FrameRecorder()
{
    std::string ignored;
    stopCapture(ignored);
}

void FrameRecorder::exchanged(const TappedExchange& e)
{
    if (e.request.empty()) return;
    std::vector<FrameRecord> made;
    std::lock_guard lock(mutex_);
    const uint64_t exchange = ++exchanges_;
    FrameRecord request;
    request.exchange = exchange;
    request.timeUs = e.startUs;
    request.gapUs = lastEndUs_ == 0 ? 0 : std::max<int64_t>(0, e.startUs - lastEndUs_);
    request.ascii = e.ascii;
    request.bytes = e.request;
    const int64_t requestEnd = e.startUs + wireUs(e.request.size(), e);
    lastEndUs_ = std::max(e.endUs, requestEnd);
    add(std::move(request), made);
    if (e.expectsReply || !e.response.empty()) addResponse(e, exchange, requestEnd, made);
    // A capture that cannot be written stops; the ring goes on.
    if (capture_ && !capture_->write(made)) capture_.reset();
}

void FrameRecorder::addResponse(const TappedExchange& e, uint64_t exchange, int64_t requestEnd,
                                std::vector<FrameRecord>& made)
{
    FrameRecord response;
    response.exchange = exchange;
    response.direction = FrameDirection::Response;
    response.outcome = responseOutcome(e);
    response.ascii = e.ascii;
    response.bytes = e.response;
    // The reply was read when it had all arrived: it began its wire time
    // earlier, though not before the request was written, nor (on a line
    // faster than its baud rate, such as a pseudo-terminal) after it was read.
    response.timeUs = std::max(e.startUs, e.endUs - wireUs(e.response.size(), e));
    if (response.timeUs < requestEnd) response.timeUs = std::min(requestEnd, e.endUs);
    response.gapUs = std::max<int64_t>(0, response.timeUs - requestEnd);
    add(std::move(response), made);
}

void FrameRecorder::add(FrameRecord record, std::vector<FrameRecord>& made)
{
    record.sequence = nextSequence_++;
    ring_.push_back(record);
    if (ring_.size() > capacity_) ring_.pop_front();
    made.push_back(std::move(record));
}

std::vector<FrameRecord> FrameRecorder::since(uint64_t sequence, size_t max) const
{
    std::lock_guard lock(mutex_);
    std::vector<FrameRecord> out;
    if (ring_.empty()) return out;
    const uint64_t first = ring_.front().sequence;
    size_t index = sequence < first ? 0 : static_cast<size_t>(sequence - first + 1);
    for (; index < ring_.size() && out.size() < max; ++index) out.push_back(ring_[index]);
    return out;
}

uint64_t FrameRecorder::lastSequence() const
{
    std::lock_guard lock(mutex_);
    return nextSequence_ - 1;
}

bool FrameRecorder::startCapture(const std::string& path, std::string& error)
{
    auto writer = std::make_unique<PcapngWriter>();
    if (!writer->open(path, lineName_, error)) return false;
    std::lock_guard lock(mutex_);
    if (capture_) capture_->close(error);
    capture_ = std::move(writer);
    return true;
}

bool FrameRecorder::stopCapture(std::string& error)
{
    std::unique_ptr<PcapngWriter> writer;
    {
        std::lock_guard lock(mutex_);
        writer = std::move(capture_);
    }
    return !writer || writer->close(error);
}

bool FrameRecorder::capturing() const
{
    std::lock_guard lock(mutex_);
    return capture_ != nullptr;
}

bool FrameRecorder::saveCapture(const std::string& path, std::string& error) const
{
    std::vector<FrameRecord> frames;
    {
        std::lock_guard lock(mutex_);
        frames.assign(ring_.begin(), ring_.end());
    }
    return PcapngWriter::writeFile(path, lineName_, frames, error);
}

}  // namespace tern::server
