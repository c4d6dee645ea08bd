#pragma once
// The "Network" dialog: the drives found at the last examination, their
// names (which the user may change) and the choice of the drive to work
// with. Opened from the main menu, OK leads to a new document built from the
// drive's definition; opened from a view, OK takes that view online.
#include <merlin/core/CDeviceTable.h>
#include <merlin/core/DeviceChoice.h>
#include <platform/Notice.h>

#include <array>
#include <string>
#include <vector>

namespace merlin {

class NetworkDialog {
public:
    static constexpr int kMinimumRows = 8;
    static constexpr std::array<const char*, 4> kHeaders{"ADR", "DEVICE TYPE", "NAME", "APPLICATION"};

    struct Outcome {
        bool close = false;      // the dialog ends (OK accepted)
        bool newDocument = false;// from the main menu: create a document
        int station = 0;         // the chosen drive
        std::string definitionFile;
        std::vector<platform::Notice> notices;
    };

    // viewStation: the station of the view the dialog was opened from (0
    // from the main menu, or when that view is offline).
    NetworkDialog(CDeviceTable& table, std::string installDir, int viewStation, bool fromView);

    // The message to show when the dialog opens ("No device is connected to
    // the network !" with nothing present).
    std::vector<platform::Notice> Open();
    // One row per present drive, at least kMinimumRows.
    std::vector<std::array<std::string, 4>> rows() const;
    void Select(int row);
    int selectedRow() const { return selectedRow_; }
    int selectedStation() const;
    std::vector<platform::Notice> Rename(int row, const std::string& name);
    // OK. On a connection the process-wide selection (station, its text and
    // the definition name) is left for the new document or the view.
    Outcome Ok();

private:
    CDeviceTable& table_;
    std::string installDir_;
    int viewStation_;
    bool fromView_;
    std::vector<CDeviceTable::Row> present_;
    int selectedRow_ = -1;
};

}  // namespace merlin
