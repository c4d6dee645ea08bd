#pragma once
// The network dialog without its window: the grid of the drives that
// "netlist.cfg" marks present, the selection colours, the name edit with
// Change Name and Cancel, the refill after Check Network, Connect and Quick
// Connect. In selection mode (a target for a transfer or a keypad) Connect
// only checks that the drive answers.
#include <kestrel/core/CDeviceTable.h>
#include <kestrel/core/CTelegram.h>
#include <kestrel/core/Connect.h>
#include <platform/Notice.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrel {

class NetworkDialogModel {
public:
    static constexpr std::array<const char*, 4> kHeaders = {"ADR", "DEVICE TYPE", "NAME", "RATED POWER"};
    static constexpr std::array<int, 4> kColumnWidths = {500, 1400, 3000, 1300};  // grid units (twips)
    static constexpr uint32_t kWhite = 0xFFFFFF;
    static constexpr uint32_t kHighlight = 0x8AFFFF;  // 0x00BBGGRR, as the grid takes colours

    struct Row {
        int address = 0;
        std::array<std::string, 4> cells;
        uint32_t background = kWhite;
    };

    struct View {
        std::string title;
        std::vector<Row> rows;
        int selected = -1;             // index into rows, -1 none
        std::string nameEdit;
        bool nameEditEnabled = false;
        bool changeNameEnabled = false;
        bool cancelEnabled = false;
        bool connectDefault = true;    // otherwise "Change Name" is the default button
    };

    // What Connect leads to.
    struct ConnectResult {
        ConnectPlan::Next next = ConnectPlan::Nothing;
        bool closeDialog = false;      // the dialog ends (with a chosen target in selection mode)
        std::optional<platform::Notice> notice;
        std::string address;           // the chosen drive
        TransferJob job;               // the connection's transfer and list (ConnectPlan::job)
    };

    // companyName: the dialog title's start; inverterName: "DEVICE TYPE".
    NetworkDialogModel(CTelegram& telegram, std::string companyName, std::string inverterName,
                       bool selectionMode = false);

    const View& view() const { return view_; }
    bool selectionMode() const { return selectionMode_; }

    // Fills the grid from "netlist.cfg" (the in-memory table when it cannot
    // be read) and selects the first row.
    void Load();
    void Select(int row);
    // The user typed in the name edit (at most 30 characters are kept).
    void EditName(const std::string& text);
    std::optional<platform::Notice> ChangeName();
    void Cancel();
    // After "Check  Network" ran the examination: the grid is emptied and,
    // when drives answered, refilled; the notice when nobody did.
    std::optional<platform::Notice> AfterCheckNetwork(int examinationResult);
    ConnectResult Connect(bool quick);
    // "Close": no drive is selected any more.
    void Close();

private:
    int selectedAddress() const;
    void paintSelection(int row);
    void restoreName();

    CTelegram& telegram_;
    std::string inverterName_;
    bool selectionMode_;
    CDeviceTable table_;
    View view_;
};

}  // namespace kestrel
