#pragma once
// The transfer dialog's work without the window: Upload All (drive values
// into the working file), Download All (working file into the drive, minus
// what must never be written) and, in database mode, the database upload.
// The dialog calls Open() when it opens, Tick() on every 2 ms timer tick
// while Tick() answers 1, then Finish() with the result, and shows the
// notices Finish() returns. Questions during a download (skip a failed
// value?) go through the message seam.
#include <kestrel/core/CFullUpload.h>
#include <kestrel/core/CTelegram.h>
#include <kestrel/core/DatabaseReader.h>
#include <kestrel/core/KestrelState.h>
#include <platform/Notice.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestrel {

class CTransfer {
public:
    // Results of a transfer, as Finish takes them.
    enum Result {
        Completed = 0,
        NoLine = -1,        // the line never became ready
        NoAnswer = -2,      // the drive did not answer at the start
        Stopped = -3,       // stopped after a notice already given
        Aborted = 3,        // the user pressed STOP
        WorkFileError = -4, // the working file cannot be used ("Unknown error !")
    };
    enum StepResult { Finished = 0, GoOn = 1 };

    // databaseMode: the database upload; otherwise the direction comes from
    // the process-wide upload direction.
    CTransfer(CTelegram& telegram, bool databaseMode);
    ~CTransfer();

    // "Uploading from device 5..." and its siblings.
    std::string statusLine() const;
    // 0: start ticking; otherwise the result to finish with.
    int Open();
    // GoOn, or the result to finish with.
    int Tick();
    void RequestStop() { abort_ = true; }
    std::vector<platform::Notice> Finish(int result);

    int progress() const;
    int progressRange() const;
    // "%ld sec" since Open.
    std::string elapsedText() const;

    static constexpr uint16_t kServiceAccessCode = 0x00C9;

private:
    bool downloading() const { return !databaseMode_ && direction_ == TransferDirection::Download; }
    int uploadStart();
    int uploadStep();
    int downloadStart();
    int downloadStep();
    int step();
    bool openWorkFile();
    std::optional<std::string> readWorkField(std::streamoff offset);
    int listRange() const;
    bool isCustomList() const;
    bool serviceSkip();
    std::optional<uint16_t> attributeOf(uint16_t number);
    static bool neverWritten(uint16_t n);
    bool skipped(uint16_t n, uint16_t attribute) const;
    int downloadFailed(const std::string& number);

    CTelegram& telegram_;
    const bool databaseMode_;
    const TransferDirection direction_;
    CFullUpload full_;
    std::fstream work_;
    std::streamoff pos_ = 0;
    std::unique_ptr<DatabaseReader> database_;
    bool skipService_ = false;
    bool abort_ = false;
    int recordCount_ = 0;
    int range_ = 0;
    int progress_ = 0;
    uint32_t startTick_ = 0;
    std::vector<platform::Notice> pending_;
};

}  // namespace kestrel
