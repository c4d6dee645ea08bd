#pragma once
// The bus monitor of one serial line: every exchange the line reports
// becomes its frames (the request, then the response, the time-out or the
// broken bytes that came instead), kept in a bounded ring that any client
// reads by sequence number, and written to a capture file while one is
// open. Thread-safe: the line reports from its exchange thread, clients
// read from theirs.
#include <tern/server/FrameRecord.h>
#include <tern/server/PcapngWriter.h>

#include <tern/engine/FrameTap.h>

#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tern::server {

class FrameRecorder : public FrameTap {
public:
    static constexpr size_t kDefaultCapacity = 20000;

    explicit FrameRecorder(std::string lineName = {}, size_t capacity = kDefaultCapacity);
    ~FrameRecorder() override;

    void exchanged(const TappedExchange& exchange) override;

    // Frames after the given sequence number, oldest first, at most max.
    // Frames that have left the ring are gone: the first sequence number
    // handed out then jumps.
    std::vector<FrameRecord> since(uint64_t sequence, size_t max = 1000) const;
    uint64_t lastSequence() const;

    // Every frame from now on also goes to a capture file (replacing one
    // being written); false with the reason when it cannot be created.
    bool startCapture(const std::string& path, std::string& error);
    // Ends the capture; false when the file could not be completed.
    bool stopCapture(std::string& error);
    bool capturing() const;
    // The frames in the ring into a new capture file.
    bool saveCapture(const std::string& path, std::string& error) const;

private:
    // Under the lock.
    void add(FrameRecord record, std::vector<FrameRecord>& made);
    void addResponse(const TappedExchange& e, uint64_t exchange, int64_t requestEnd, std::vector<FrameRecord>& made);

    std::string lineName_;
    size_t capacity_;
    mutable std::mutex mutex_;
    std::deque<FrameRecord> ring_;
    uint64_t nextSequence_ = 1;
    uint64_t exchanges_ = 0;
    int64_t lastEndUs_ = 0;          // end of the last frame on the wire
    std::unique_ptr<PcapngWriter> capture_;
};

}  // namespace tern::server
