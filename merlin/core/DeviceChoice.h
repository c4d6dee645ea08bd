#pragma once
// What OK in the network dialog does with the selected drive: refuse, or
// name the definition file a new document (or the view going online) uses.
#include <merlin/core/CDeviceTable.h>

#include <optional>
#include <string>
#include <vector>

namespace merlin {

struct DeviceChoice {
    enum class Outcome {
        NoSelection,       // nothing selected
        AlreadyConnected,  // the view is online with that drive already
        Connect,           // go on with station and definitionFile
    };
    Outcome outcome = Outcome::NoSelection;
    std::optional<platform::Notice> message;
    int station = 0;
    std::string definitionFile;
};

// "No device is connected to the network !" when no drive is present:
// the network dialog then has nothing to offer.
std::optional<platform::Notice> emptyNetworkMessage(const CDeviceTable& table);

// selectedStation is 0 when no row is selected; viewStation is the station
// of the view the dialog was opened from (0 from the main menu).
DeviceChoice chooseDevice(const CDeviceTable& table, int selectedStation, int viewStation);

// The Debug trace of a refused connection, written to "connect.txt" in the
// installation directory and opened in the text viewer.
struct ConnectTrace {
    int row = 0;
    int address = 0;
    std::string globalSelection;  // the process-wide selected station text
    int viewStation = 0;
    int selectionNumber = 0;      // the station number read from the selection
};
std::vector<std::string> connectTraceLines(const ConnectTrace& trace);
// The messages to show afterwards (none when the viewer started).
std::vector<platform::Notice> writeConnectTrace(const std::string& installDir, const ConnectTrace& trace);

}  // namespace merlin
