#include <merlin/core/NetworkDialog.h>

#include <merlin/core/MerlinState.h>

namespace merlin {

NetworkDialog::NetworkDialog(CDeviceTable& table, std::string installDir, int viewStation, bool fromView)
    : table_(table), installDir_(std::move(installDir)), viewStation_(viewStation), fromView_(fromView)
{
    present_ = table_.presentRows();
}

std::vector<platform::Notice> NetworkDialog::Open()
{
    present_ = table_.presentRows();
    if (const auto empty = emptyNetworkMessage(table_))
        return {*empty};
    return {};
}

std::vector<std::array<std::string, 4>> NetworkDialog::rows() const
{
    std::vector<std::array<std::string, 4>> out;
    for (const CDeviceTable::Row& row : present_)
        out.push_back({std::to_string(row.station), row.deviceType, row.name, row.application});
    while (out.size() < static_cast<size_t>(kMinimumRows))
        out.push_back({});
    return out;
}

void NetworkDialog::Select(int row)
{
    selectedRow_ = row >= 0 && row < static_cast<int>(present_.size()) ? row : -1;
}

int NetworkDialog::selectedStation() const
{
    return selectedRow_ >= 0 ? present_[selectedRow_].station : 0;
}

std::vector<platform::Notice> NetworkDialog::Rename(int row, const std::string& name)
{
    if (row < 0 || row >= static_cast<int>(present_.size()))
        return {};
    std::vector<platform::Notice> notices;
    if (const auto failure = table_.rename(installDir_, present_[row].station, name, viewStation_))
        notices.push_back(*failure);
    present_ = table_.presentRows();
    return notices;
}

NetworkDialog::Outcome NetworkDialog::Ok()
{
    Outcome outcome;
    const int station = selectedStation();
    const DeviceChoice choice = chooseDevice(table_, station, viewStation_);
    if (choice.message)
        outcome.notices.push_back(*choice.message);
    if (choice.outcome == DeviceChoice::Outcome::AlreadyConnected && state().debug) {
        const ConnectTrace trace{selectedRow_ + 1, station, state().selectedStationText, viewStation_, station};
        for (platform::Notice& n : writeConnectTrace(installDir_, trace))
            outcome.notices.push_back(std::move(n));
    }
    if (choice.outcome != DeviceChoice::Outcome::Connect)
        return outcome;
    outcome.close = true;
    outcome.station = station;
    outcome.definitionFile = choice.definitionFile;
    outcome.newDocument = !fromView_;
    state().selectedStationText = platform::strFormat("%.2d", station);
    // A view takes the station itself; only a new document finds it here.
    if (outcome.newDocument) {
        state().selectedStation = station;
        state().chosenDefinition = choice.definitionFile;
    }
    return outcome;
}

}  // namespace merlin
