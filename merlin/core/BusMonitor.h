#pragma once
// The "Bus Monitor" window's logic: the frames of Merlin's line as Tern's
// bus monitor records them, one row per frame (time, direction, station,
// function, data, what it means, whether it went wrong), fetched on every
// timer tick unless paused, filtered by station, and saved as a capture file
// that Wireshark opens.
#include <platform/Notice.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace merlin {

// One frame as the link server hands it out.
struct MonitorFrame {
    enum Direction : uint8_t { Request = 0, Response = 1 };
    enum Outcome : uint8_t { Sent = 0, Reply = 1, Exception = 2, ChecksumError = 3, TimeOut = 4, FramingError = 5 };
    uint64_t sequence = 0;
    uint64_t exchange = 0;
    int64_t timeUs = 0;
    int64_t gapUs = 0;
    uint8_t direction = Request;
    uint8_t outcome = Sent;
    bool ascii = false;
    std::vector<uint8_t> bytes;  // as on the wire
};

// Where the frames come from (Tern's monitor of the line; a fake in tests).
class MonitorSource {
public:
    virtual ~MonitorSource() = default;
    // Frames after the sequence number, oldest first; false when the link
    // server cannot be asked.
    virtual bool framesSince(uint64_t sequence, std::vector<MonitorFrame>& frames) = 0;
    // The frames kept by the server into a capture file; false with the reason.
    virtual bool saveCapture(const std::string& path, std::string& error) = 0;
};

struct MonitorRow {
    uint64_t sequence = 0;
    std::string time;       // seconds since the first frame the window saw, "12.345678"
    std::string gap;        // ms of silence before it, "3.125"
    std::string direction;  // "TX" (to the drives) or "RX"
    std::string station;
    std::string function;
    std::string data;       // frame body after the function code, hex
    std::string meaning;
    bool error = false;     // shown in colour
};

// Decodes one frame (no state): station, function name, meaning.
MonitorRow describeFrame(const MonitorFrame& frame);

class BusMonitor {
public:
    static constexpr size_t kMaxRows = 5000;

    struct View {
        std::vector<MonitorRow> rows;   // shown rows (filtered), oldest first
        bool paused = false;
        int station = -1;               // filter; -1 all stations
        size_t lost = 0;                // frames that left the server's ring unseen
        bool serverAnswers = true;
        uint64_t rowsChanged = 0;       // counts changes, so a window redraws only then
    };

    explicit BusMonitor(MonitorSource& source) : source_(source) {}

    // The window's timer: fetch what is new, unless paused.
    void tick();
    void setPaused(bool paused);
    void setStationFilter(int station);
    void clear();
    // "Save Capture": the notice to show (empty text: nothing to say).
    platform::Notice saveCapture(const std::string& path);

    const View& view() const { return view_; }

private:
    void rebuild();
    bool shown(const MonitorRow& row) const;

    MonitorSource& source_;
    View view_;
    std::vector<MonitorRow> all_;
    uint64_t last_ = 0;
    int64_t firstUs_ = -1;
    std::pair<uint64_t, std::string> requestStation_;  // exchange and station of the last request
};

}  // namespace merlin
