#pragma once
// The process-wide state of Merlin, in one place: what the windows share
// with each other and with the steppers. One instance per process: state().
#include <merlin/core/CDeviceTable.h>
#include <merlin/core/CModbusLink.h>

#include <string>

namespace merlin {

struct MerlinState {
    std::string installDir;        // the program directory, no trailing slash
    bool debug = false;            // "Options"/"Debug"
    bool statusScanEnabled = true; // "&Status Scan Enable"
    LinkSettings link;             // what the next OpenLink uses
    int openViews = 0;             // parameter views from creation to destruction
    // Set while a bulk transfer, the fault window or compare uses the line:
    // the views' scans pause.
    bool transferBusy = false;
    CDeviceTable devices;          // the drives on the line ("netlist2.cfg")
    // Left by the network dialog for the new document or view it leads to.
    int selectedStation = 0;
    std::string selectedStationText;  // "%.2d"
    std::string chosenDefinition;     // "%s_%s_V%d.dpf" of the chosen drive

    // Back to the start-of-program values (tests).
    void reset();
};

MerlinState& state();

// Holds the transfer-busy flag for the life of a scope, leaving it as it
// was found (a nested user leaves it set).
class BusyScope {
public:
    BusyScope() : previous_(state().transferBusy) { state().transferBusy = true; }
    ~BusyScope() { state().transferBusy = previous_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool previous_;
};

}  // namespace merlin
