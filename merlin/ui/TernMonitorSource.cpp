#include <merlin/ui/TernMonitorSource.h>

namespace merlin::ui {

bool TernMonitorSource::framesSince(uint64_t sequence, std::vector<MonitorFrame>& frames)
{
    std::vector<tern::MonitoredFrame> got;
    std::string error;
    if (!client_.framesSince(sequence, got, error)) return false;
    for (auto& f : got)
        frames.push_back({f.sequence, f.exchange, f.timeUs, f.gapUs, f.direction, f.outcome, f.ascii, std::move(f.bytes)});
    return true;
}

bool TernMonitorSource::saveCapture(const std::string& path, std::string& error)
{
    return client_.saveCapture(path, error);
}

}  // namespace merlin::ui
