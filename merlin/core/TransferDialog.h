#pragma once
// The logic of the "Uploading..." dialog of "&Upload All" / "&Download All":
// the window ticks Tick() from its 2 ms timer (one parameter per tick),
// forwards STOP and the answer of the password dialog, and shows view().
// When the drive keeps refusing writes, Tick() returns AskPassword: the
// window stops its timer, shows "Enter Password" and answers through
// AnswerPassword(). At the end Finish() gives the closing message and
// failureRows() the list of the parameters that failed.
#include <merlin/core/CBulkTransfer.h>
#include <platform/Notice.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace merlin {

class TransferDialog {
public:
    enum class Step {
        Continue,     // tick again
        AskPassword,  // show "Enter Password", then AnswerPassword()
        Done,         // finished: endCode() holds how
    };

    struct View {
        std::string title;      // "Uploading from device %d ..."
        std::string progress;   // "%4d / %d"
        std::string elapsed;    // "%ld sec"
        std::string errors;     // "%d" once a parameter failed
        int barMaximum = 0;
        int barValue = 0;
    };

    struct FailureRow {
        std::string parameter;  // "%d  %s": register offset and name
        std::string error;      // the link result
        bool operator==(const FailureRow&) const = default;
    };

    static constexpr const char* kCaption = "Uploading...";
    static constexpr const char* kPasswordTitle = "Enter Password";
    static constexpr const char* kPasswordPrompt = "Download failed\nPlease enter password !";
    static constexpr const char* kFailureTitle = "Failed Parameters";
    static constexpr std::array<const char*, 2> kFailureColumns{"PARAMETER", "ERROR"};
    static constexpr int kTickMs = CBulkTransfer::kTickMs;
    // A line that failed this many parameters in a row (no answer, port
    // error, link server gone: anything but the drive's own refusal) has
    // lost the drive (power lost, cable pulled): the transfer ends instead
    // of waiting out every remaining parameter.
    static constexpr int kSilentBeforeNoConnection = 3;

    TransferDialog(TransferDirection direction, CModbusLink& link, int station, CParSet& set,
                   CBulkTransfer::DebugLog log = {});

    // When the dialog opens; a download writes the password register here.
    void Start(uint32_t nowMs);
    Step Tick(uint32_t nowMs);
    // STOP: the next tick ends the transfer with "aborted".
    void Stop() { transfer_.requestAbort(); }
    // The password dialog's answer: a password starts the download again
    // from the beginning, Cancel (nullopt) ends it as aborted.
    void AnswerPassword(std::optional<uint16_t> password, uint32_t nowMs);
    // The password as typed: a whole number 0..65535, nullopt otherwise.
    static std::optional<uint16_t> parsePassword(const std::string& text);

    // The closing message of the end code (none after success). Call once.
    std::vector<platform::Notice> Finish();

    const View& view() const { return view_; }
    bool ended() const { return endCode_.has_value(); }
    int endCode() const { return endCode_.value_or(kEndDone); }
    // Ended with everything transferred (failures of single parameters
    // included, they are listed).
    bool completed() const { return endCode_ == kEndDone; }
    // An upload changed at least one value of the set: the document holds
    // new values even when the transfer did not end well.
    bool documentChanged() const { return documentChanged_; }
    // An upload that ended well read every parameter it may read: none
    // failed and no customer selection left one out.
    bool everyValueRead() const;
    std::vector<FailureRow> failureRows() const;
    static std::string errorText(int result);

private:
    void showProgress(uint32_t nowMs);
    Step end(int code);

    TransferDirection direction_;
    CParSet& set_;
    CBulkTransfer transfer_;
    View view_;
    std::optional<int> endCode_;
    bool documentChanged_ = false;
    int silent_ = 0;   // parameters in a row the line failed
};

}  // namespace merlin
