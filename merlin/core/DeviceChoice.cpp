#include <merlin/core/DeviceChoice.h>
#include <merlin/core/FileAccessMessage.h>

#include <merlin/core/DeviceNames.h>
#include <merlin/core/TextFileViewer.h>

#include <fstream>

namespace merlin {

std::optional<platform::Notice> emptyNetworkMessage(const CDeviceTable& table)
{
    if (!table.presentRows().empty())
        return std::nullopt;
    return platform::Notice{"No device is connected to the network !", platform::MsgIcon::Stop};
}

DeviceChoice chooseDevice(const CDeviceTable& table, int selectedStation, int viewStation)
{
    DeviceChoice choice;
    if (selectedStation <= 0) {
        choice.message = platform::Notice{"No inverter selected.", platform::MsgIcon::Exclamation};
        return choice;
    }
    choice.station = selectedStation;
    if (viewStation > 0 && selectedStation == viewStation) {
        choice.outcome = DeviceChoice::Outcome::AlreadyConnected;
        choice.message = platform::Notice{"You are already connected to this device !", platform::MsgIcon::Information};
        return choice;
    }
    choice.outcome = DeviceChoice::Outcome::Connect;
    choice.definitionFile = definitionFileName(table.deviceType(selectedStation), table.application(selectedStation),
                                               table.version(selectedStation));
    return choice;
}

std::vector<std::string> connectTraceLines(const ConnectTrace& trace)
{
    return {"row= " + std::to_string(trace.row), "address= " + std::to_string(trace.address),
            "gSelAddr= " + trace.globalSelection, "mSelAddr= " + std::to_string(trace.viewStation),
            "a = " + std::to_string(trace.selectionNumber)};
}

std::vector<platform::Notice> writeConnectTrace(const std::string& installDir, const ConnectTrace& trace)
{
    const std::string file = installDir + "/connect.txt";
    std::ofstream out(file, std::ios::trunc);
    for (const std::string& line : connectTraceLines(trace))
        out << line << '\n';
    out.close();
    if (!out)
        return {fileAccessMessage(file)};
    if (!openInTextViewer(file))
        return {viewerMissingMessage()};
    return {};
}

}  // namespace merlin
