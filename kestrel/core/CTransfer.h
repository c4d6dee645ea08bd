#pragma once
// The transfer dialog's work without the window: Upload All (drive values
// into the working file), Download All (working file into the drive, minus
// what must never be written) and, in database mode, the database upload.
// The dialog calls Open() when it opens, Tick() on every 2 ms timer tick
// while Tick() answers 1, then Finish() with the result, and shows the
// notices Finish() returns. A question during a download (skip a value the
// drive refused?) is a state: Tick() answers AskContinue, the window asks
// question() and hands the answer to AnswerContinue(). A transfer destroyed
// before Finish() (its window closed, the program quit) releases the line.
#include <kestrel/core/CFullUpload.h>
#include <kestrel/core/CTelegram.h>
#include <kestrel/core/DatabaseReader.h>
#include <kestrel/core/EndCodes.h>
#include <kestrel/core/TransferJob.h>
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
        Completed = kEndDone,
        NoLine = kEndNoLine,           // the line never became ready
        NoAnswer = kEndNoAnswer,       // the drive did not answer at the start
        Stopped = kEndStopped,         // stopped after a notice already given
        Aborted = kEndAborted,         // the user pressed STOP
        WorkFileError = kEndWorkFile,  // the working file cannot be used ("Unknown error !")
    };
    enum StepResult { Finished = 0, GoOn = 1, AskContinue = 2 };

    // databaseMode: the database upload into job.databaseFileName;
    // otherwise job.direction moves the values of job.listFile. The job
    // outlives the transfer and receives its result.
    CTransfer(CTelegram& telegram, TransferJob& job, bool databaseMode);
    ~CTransfer();

    // "Uploading from device 5..." and its siblings.
    std::string statusLine() const;
    // 0: start ticking; otherwise the result to finish with.
    int Open();
    // GoOn, AskContinue, or the result to finish with.
    int Tick();
    // The Yes/No question of AskContinue.
    const std::string& question() const { return question_; }
    // The user's answer: GoOn, or the result to finish with.
    int AnswerContinue(bool yes);
    void RequestStop() { abort_ = true; }
    std::vector<platform::Notice> Finish(int result);
    bool finished() const { return finished_; }

    int progress() const;
    int progressRange() const;
    // "%ld sec" since Open.
    std::string elapsedText() const;

    static constexpr uint16_t kServiceAccessCode = 0x00C9;

private:
    bool downloading() const { return !databaseMode_ && job_.direction == TransferDirection::Download; }
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
    TransferJob& job_;
    const bool databaseMode_;
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
    std::string question_;
    bool opened_ = false;
    bool finished_ = false;
    bool closing_ = false;  // the download's closing reads have begun
};

}  // namespace kestrel
