#pragma once
// "&Upload All" and "&Download All" as a stepper: the "Uploading..." dialog
// calls start(), then step() from its 2 ms timer, one parameter per call,
// and closes with the end code and the message of endCodeMessage().
//
// Single failures never stop a transfer: they are collected in failures()
// and the transfer goes on. A download first writes the password register
// (298); when the drive refuses 11 writes in a row with exception 1, step()
// returns kEndPasswordNeeded and the dialog asks for the password, then
// calls restart() with it (or ends with kEndAborted on Cancel).
#include <merlin/core/CModbusLink.h>
#include <merlin/core/CParSet.h>
#include <merlin/core/EndCodes.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace merlin {

enum class TransferDirection { Upload, Download };

struct TransferFailure {
    int registerOffset;
    std::string name;
    int result;
    bool operator==(const TransferFailure&) const = default;
};

class CBulkTransfer {
public:
    using DebugLog = std::function<void(const std::string&)>;
    static constexpr int kPasswordRegister = 298;
    static constexpr int kHiddenRegister = 299;
    static constexpr int kRefusalsBeforePassword = 11;
    static constexpr int kTickMs = 2;

    CBulkTransfer(TransferDirection direction, CModbusLink& link, int station, CParSet& set,
                  DebugLog log = {});

    // "Uploading from device %d ..." / "Downloading to device %d ...".
    std::string title() const;

    void start(uint32_t nowMs);
    // 1 while parameters remain, then kEndDone; kEndAborted after
    // requestAbort(); kEndPasswordNeeded (download only); kEndNoConnection
    // when the link server is gone, kEndNoDevice when the port is not open.
    int step();
    // Starts the download again from the beginning with an entered password.
    void restart(uint16_t password, uint32_t nowMs);
    void requestAbort() { abortRequested_ = true; }

    // "%4d / %d" of the parameter of the last step.
    const std::string& progressText() const { return progress_; }
    // "%ld sec" since the start.
    std::string elapsedText(uint32_t nowMs) const;
    int position() const { return next_; }
    int total() const { return total_; }
    // Parameters a download writes: the total minus those skipped so far.
    int toTransfer() const { return total_ - skipped_; }
    int errorCount() const { return static_cast<int>(failures_.size()); }
    const std::vector<TransferFailure>& failures() const { return failures_; }

    // A download writes par of set: not read-only (access 1, 2 or 4), not
    // left out by the active customer selection, not the password register
    // nor 299.
    static bool DownloadWrites(const CParSet& set, const CPar& par);

    // The message of an end code; with Debug on, an abort is logged first.
    std::optional<platform::Notice> endMessage(int endCode) const;

private:
    bool excluded(const CPar& par) const;
    void reset(uint32_t nowMs);
    void writePassword();
    int uploadStep();
    int downloadStep();
    void fail(const CPar& par, int result);
    static int linkEnd(int result);

    TransferDirection direction_;
    CModbusLink& link_;
    int station_;
    CParSet& set_;
    DebugLog log_;
    int next_ = 0;
    int total_ = 0;
    int skipped_ = 0;
    int refusals_ = 0;
    uint32_t startMs_ = 0;
    uint16_t password_ = 0;
    bool abortRequested_ = false;
    std::vector<TransferFailure> failures_;
    std::string progress_;
};

}  // namespace merlin
