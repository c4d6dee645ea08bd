#pragma once
// "Fault History" of an online list without windows: the warning first,
// then the collection from the list's own drive, then the "Recent Failures"
// dialog's title and rows.
#include <kestrel/core/CTelegram.h>
#include <kestrel/core/FaultHistory.h>
#include <platform/Notice.h>

#include <array>
#include <optional>
#include <string>

namespace kestrel {

class FaultHistoryModel {
public:
    static constexpr std::array<int, 4> kColumnWidths = {1000, 1700, 4500, 1000};  // twips
    static constexpr std::array<int, 4> kAlignments = {3, 3, 2, 3};                // grid alignment codes
    static constexpr const char* kIntroText = "Below is the list of the recent five failures in this device :";

    struct View {
        std::string title;
        FaultRow header = faultHeaderRow();
        std::array<FaultRow, 5> rows;
        std::string statusPane;
    };

    // address: the requesting list's drive.
    FaultHistoryModel(CTelegram& telegram, std::string address) : telegram_(telegram), address_(std::move(address)) {}

    // The first message: the port-test refusal (then stop) or the warning
    // that it takes a few seconds (then Collect()).
    struct Begin {
        platform::Notice notice;
        bool goOn = false;
    };
    Begin Start();
    // Reads the history; afterwards view() holds the dialog.
    void Collect();
    const View& view() const { return view_; }

private:
    CTelegram& telegram_;
    std::string address_;
    View view_;
};

}  // namespace kestrel
