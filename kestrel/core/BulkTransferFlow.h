#pragma once
// Upload All and Download All around the transfer dialog, without windows:
// the port check, the target drive of a list without one, the version and
// idle checks, the "Parameter Set Conflict" choice, the confirmation, the
// "temp1" copy an upload failure is undone from, and the parameter-set
// switch with its warm-up. The window loops: it asks Next() what to do,
// does it (shows a notice, asks a question, runs the set dialog, the
// network dialog in selection mode, the warm-up notice or the transfer
// dialog) and hands the outcome back; Next() answers Done at the end.
#include <kestrel/core/CTelegram.h>
#include <kestrel/core/TransferJob.h>
#include <platform/Notice.h>

#include <optional>
#include <string>

namespace kestrel {

// The list the command runs on.
struct TransferList {
    std::string workPath;          // its working file
    std::string databaseFileName;  // "/tvk/RQ-<version>.tvk"
    std::string deviceAddress;     // empty for a list opened from a file
    std::string deviceTitle;       // "ADDR=05\"Pump\"" of an online list
    std::string listName;          // the list's name in the confirmation
};

class BulkTransferFlow {
public:
    enum class Direction { Upload, Download };
    // Ask: the flow asks its Yes/No question before the transfer. Given: the
    // caller has already asked (the keypad-change check before a save asks
    // its own two questions), so the transfer runs without a third.
    enum class Confirmation { Ask, Given };

    struct Step {
        enum Kind {
            ShowNotice,    // show notice, then Next()
            AskYesNo,      // ask notice (Yes/No), then Answer()
            ChooseSet,     // the set dialog: setConflictText(), preselect listSet(), then ChooseSet()
            SelectTarget,  // the network dialog in selection mode, then TargetChosen()
            WarmUp,        // the self-closing warm-up notice, then Next()
            RunTransfer,   // the transfer dialog (TransferModel) on job() in the flow's direction, then TransferEnded()
            Done,
        };
        Kind kind = Done;
        platform::Notice notice;
    };

    BulkTransferFlow(CTelegram& telegram, TransferList list, Direction direction,
                     Confirmation confirmation = Confirmation::Ask);
    ~BulkTransferFlow();
    BulkTransferFlow(const BulkTransferFlow&) = delete;
    BulkTransferFlow& operator=(const BulkTransferFlow&) = delete;

    Step Next();
    void Answer(bool yes);
    // 1..3, or 0 for Cancel.
    void ChooseSet(int set);
    // The drive picked (and checked) in selection mode; empty for none.
    void TargetChosen(const std::string& address, const std::string& title);
    // The transfer dialog's end code; the dialog has run job().
    void TransferEnded(int result);
    // The transfer of RunTransfer: the list's files and, for a download,
    // the parameter set chosen.
    TransferJob& job() { return job_; }

    // The Yes/No question before the transfer.
    static std::string confirmationText(Direction direction, const std::string& listName,
                                        const std::string& deviceTitle);

    const std::string& setConflictText() const { return setText_; }
    int listSet() const { return listSet_; }
    // The drive the values went to or came from.
    const std::string& address() const { return list_.deviceAddress; }
    // Set when the working file changed (an upload ran): the list refills.
    bool listChanged() const { return listChanged_; }

private:
    enum class Phase {
        Start, Target, TargetChecks, Checks, SetChoice, SetCancelled, Confirm, BackupFailed, Switch, Switched,
        Transfer, After, Finished
    };
    Step notice(const platform::Notice& n, Phase then);
    Step finishWith(const platform::Notice& n) { return notice(n, Phase::Finished); }
    Step checks();
    Step confirm();
    Step switchSet();
    Step startTransfer();
    void restoreBackup(bool failed);

    CTelegram& telegram_;
    TransferList list_;
    TransferJob job_;
    Direction direction_;
    Confirmation confirmation_;
    Phase phase_ = Phase::Start;
    bool fileList_ = false;
    int listSet_ = 0;
    int deviceSet_ = 0;
    int chosenSet_ = 0;
    std::string setText_;
    bool backupTaken_ = false;
    bool listChanged_ = false;
};

}  // namespace kestrel
