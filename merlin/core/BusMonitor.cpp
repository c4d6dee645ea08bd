#include <merlin/core/BusMonitor.h>

#include <algorithm>

namespace merlin {

namespace {

using Bytes = std::vector<uint8_t>;

uint8_t hexDigit(uint8_t c)
{
    if (c >= '0' && c <= '9') return static_cast<uint8_t>(c - '0');
    if (c >= 'A' && c <= 'F') return static_cast<uint8_t>(c - 'A' + 10);
    return 0;
}

// Station, function and data: the checksum cut off, ASCII text decoded.
Bytes body(const MonitorFrame& f)
{
    const Bytes& b = f.bytes;
    if (!f.ascii) return b.size() > 2 ? Bytes(b.begin(), b.end() - 2) : b;
    Bytes out;
    size_t end = b.size();
    while (end > 0 && (b[end - 1] == '\r' || b[end - 1] == '\n')) --end;
    for (size_t i = !b.empty() && b[0] == ':' ? 1 : 0; i + 1 < end; i += 2)
        out.push_back(static_cast<uint8_t>(hexDigit(b[i]) << 4 | hexDigit(b[i + 1])));
    if (!out.empty()) out.pop_back();
    return out;
}

std::string hex(Bytes::const_iterator from, Bytes::const_iterator to)
{
    std::string s;
    for (auto it = from; it != to; ++it) s += platform::strFormat(s.empty() ? "%02X" : " %02X", *it);
    return s;
}

const char* functionName(uint8_t function)
{
    switch (function & 0x7F) {
    case 1: return "Read Coils";
    case 2: return "Read Discrete Inputs";
    case 3: return "Read Holding Registers";
    case 4: return "Read Input Registers";
    case 5: return "Write Single Coil";
    case 6: return "Write Single Register";
    case 15: return "Write Multiple Coils";
    case 16: return "Write Multiple Registers";
    default: return "Function";
    }
}

const char* exceptionName(uint8_t code)
{
    switch (code) {
    case 1: return "illegal function";
    case 2: return "illegal data address";
    case 3: return "illegal data value";
    case 4: return "device failure";
    case 6: return "device busy";
    default: return "exception";
    }
}

uint16_t word(const Bytes& b, size_t i) { return static_cast<uint16_t>(b[i] << 8 | b[i + 1]); }

std::string requestMeaning(const Bytes& b)
{
    if (b.size() < 6) return {};
    const unsigned f = b[1], a = word(b, 2), v = word(b, 4);
    if (f >= 1 && f <= 4) return platform::strFormat("%u from %u", v, a);
    if (f == 5) return platform::strFormat("coil %u %s", a, v == 0xFF00 ? "on" : "off");
    if (f == 6) return platform::strFormat("register %u = %u", a, v);
    if (f == 15 || f == 16) return platform::strFormat("%u from %u", v, a);
    return {};
}

std::string replyMeaning(const Bytes& b)
{
    const unsigned f = b[1];
    if ((f == 3 || f == 4) && b.size() >= 3) {
        std::string s;
        for (size_t i = 3; i + 1 < b.size() && s.size() < 80; i += 2)
            s += platform::strFormat(s.empty() ? "%u" : ", %u", word(b, i));
        return s;
    }
    if ((f == 1 || f == 2) && b.size() >= 3) return platform::strFormat("%u bytes of bits", b[2]);
    if (b.size() >= 6) return requestMeaning(b) + " done";
    return {};
}

}  // namespace

MonitorRow describeFrame(const MonitorFrame& frame)
{
    MonitorRow row;
    row.sequence = frame.sequence;
    row.direction = frame.direction == MonitorFrame::Request ? "TX" : "RX";
    row.gap = platform::strFormat("%.3f", static_cast<double>(frame.gapUs) / 1000.0);
    const Bytes b = body(frame);
    if (!b.empty()) row.station = platform::strFormat("%u", b[0]);
    if (b.size() >= 2) row.function = platform::strFormat("%u %s", b[1], functionName(b[1]));
    if (b.size() > 2) row.data = hex(b.begin() + 2, b.end());
    switch (frame.outcome) {
    case MonitorFrame::Sent: row.meaning = requestMeaning(b); break;
    case MonitorFrame::Reply: row.meaning = b.size() >= 2 ? replyMeaning(b) : ""; break;
    case MonitorFrame::Exception:
        row.meaning = b.size() >= 3 ? platform::strFormat("exception %u: %s", b[2], exceptionName(b[2])) : "exception";
        row.error = true;
        break;
    case MonitorFrame::ChecksumError: row.meaning = "checksum error"; row.error = true; break;
    case MonitorFrame::TimeOut: row.meaning = "no reply (time-out)"; row.error = true; break;
    default: row.meaning = "framing error"; row.error = true; break;
    }
    if (frame.outcome == MonitorFrame::FramingError || frame.outcome == MonitorFrame::ChecksumError)
        row.data = hex(frame.bytes.begin(), frame.bytes.end());  // the bytes as they came
    return row;
}

void BusMonitor::tick()
{
    if (view_.paused) return;
    std::vector<MonitorFrame> frames;
    view_.serverAnswers = source_.framesSince(last_, frames);
    if (frames.empty()) return;
    if (last_ != 0 && frames.front().sequence > last_ + 1) view_.lost += frames.front().sequence - last_ - 1;
    for (const MonitorFrame& f : frames) {
        if (firstUs_ < 0) firstUs_ = f.timeUs;
        MonitorRow row = describeFrame(f);
        // A time-out has no bytes: it belongs to the station its request was for.
        if (f.direction == MonitorFrame::Request) requestStation_ = {f.exchange, row.station};
        else if (row.station.empty() && requestStation_.first == f.exchange) row.station = requestStation_.second;
        row.time = platform::strFormat("%.6f", static_cast<double>(f.timeUs - firstUs_) / 1e6);
        all_.push_back(std::move(row));
        last_ = f.sequence;
    }
    if (all_.size() > kMaxRows) all_.erase(all_.begin(), all_.end() - static_cast<long>(kMaxRows));
    rebuild();
}

void BusMonitor::setPaused(bool paused) { view_.paused = paused; }

void BusMonitor::setStationFilter(int station)
{
    view_.station = station;
    rebuild();
}

void BusMonitor::clear()
{
    all_.clear();
    rebuild();
}

bool BusMonitor::shown(const MonitorRow& row) const
{
    return view_.station < 0 || row.station == std::to_string(view_.station);
}

void BusMonitor::rebuild()
{
    view_.rows.clear();
    for (const MonitorRow& row : all_)
        if (shown(row)) view_.rows.push_back(row);
    ++view_.rowsChanged;
}

platform::Notice BusMonitor::saveCapture(const std::string& path)
{
    if (path.empty()) return {};
    std::string error;
    if (!source_.saveCapture(path, error))
        return {platform::strFormat("Cannot save the capture: %s", error.c_str()), platform::MsgIcon::Exclamation};
    return {};
}

}  // namespace merlin
