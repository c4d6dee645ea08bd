#pragma once
// The frames of Merlin's line from Tern's bus monitor of the shared
// connection "XYZ".
#include <merlin/core/BusMonitor.h>

#include <tern/client/BusMonitorClient.h>

namespace merlin::ui {

class TernMonitorSource : public MonitorSource {
public:
    bool framesSince(uint64_t sequence, std::vector<MonitorFrame>& frames) override;
    bool saveCapture(const std::string& path, std::string& error) override;

private:
    tern::BusMonitorClient client_{"XYZ"};
};

}  // namespace merlin::ui
