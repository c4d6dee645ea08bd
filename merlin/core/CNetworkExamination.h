#pragma once
// The network examination as a stepper: the examining dialog calls start(),
// then step() from its 2 ms timer until it stops returning 1, then finish()
// with the end code, and shows the messages finish() hands back.
//
// Each step examines one station (1..32 in order): device type (998) with a
// single attempt, then application (997), software version (996) and the
// presence register (999). A drive that answers all four is present; a newly
// found one without a name is called "NEW". Names and codes come from and go
// back to "netlist2.cfg", so they survive between examinations.
#include <merlin/core/CDeviceTable.h>
#include <merlin/core/CModbusLink.h>
#include <merlin/core/EndCodes.h>

#include <functional>
#include <string>
#include <vector>

namespace merlin {

namespace identification {
constexpr int kSoftwareVersion = 996;
constexpr int kApplication = 997;
constexpr int kDeviceType = 998;
constexpr int kPresence = 999;
}  // namespace identification

class CNetworkExamination {
public:
    using DebugLog = std::function<void(const std::string&)>;
    static constexpr uint32_t kScanTimeoutMs = 200;
    static constexpr const char* kStatusText = "Examining Network...";
    static constexpr const char* kReadyText = "Ready";

    CNetworkExamination(CModbusLink& link, CDeviceTable& table, std::string installDir, DebugLog log = {});

    // Loads the table, clears every present flag and opens the link with the
    // scan time-out.
    void start();
    // 1 while stations remain, 0 after station 32; kEndNoConnection when the
    // link server is gone, kEndPortError when the port is not usable.
    int step();
    // Stores the table and closes the link; the messages to show, in order.
    std::vector<platform::Notice> finish(int endCode);

    // Stations examined so far (the progress bar runs over 0..31).
    int examined() const { return next_ - 1; }
    // "%.2d" of the index being examined: the process-wide selection text.
    std::string stationText() const;
    bool anyPresent() const;

    static platform::Notice portErrorMessage();

private:
    int examine(int station);

    CModbusLink& link_;
    CDeviceTable& table_;
    std::string installDir_;
    DebugLog log_;
    int next_ = 1;
};

}  // namespace merlin
