#include <kestrel/core/CTransfer.h>

#include <kestrel/core/HexText.h>
#include <kestrel/core/KestrelState.h>
#include <kestrel/core/WorkRecord.h>
#include <platform/Clock.h>
#include <platform/PortProblem.h>

#include <cstdio>
#include <filesystem>

namespace kestrel {

using platform::MsgIcon;

CTransfer::CTransfer(CTelegram& telegram, TransferJob& job, bool databaseMode)
    : telegram_(telegram), job_(job), databaseMode_(databaseMode), full_(telegram)
{
}

CTransfer::~CTransfer()
{
    // Ended from outside (window closed, program quit): the drive keeps what
    // it has, the line is handed back, an unfinished database stays without
    // its end mark.
    if (opened_ && !finished_) {
        telegram_.ClosePort(false);
        state().operationInProgress = false;
    }
}

std::string CTransfer::statusLine() const
{
    const std::string& a = state().currentAddress;
    if (databaseMode_)
        return "Uploading full database from device " + a + "...";
    return (downloading() ? "Downloading to device " : "Uploading from device ") + a + "...";
}

int CTransfer::progress() const
{
    return databaseMode_ ? full_.progress() : progress_;
}

int CTransfer::progressRange() const
{
    return databaseMode_ ? full_.progressRange() : range_;
}

std::string CTransfer::elapsedText() const
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%ld sec", static_cast<long>((platform::tickCount() - startTick_) / 1000));
    return buf;
}

int CTransfer::Open()
{
    startTick_ = platform::tickCount();
    opened_ = true;
    telegram_.WaitForPort();
    telegram_.OpenPort(false);
    if (!telegram_.ReadParameter(param::kRecordCount.digits()))
        return telegram_.status() == -1 ? NoLine : NoAnswer;
    recordCount_ = parseHex4(telegram_.valueText()).value_or(0);
    telegram_.ReadParameter(param::kErrorRegister.digits());
    telegram_.WaitForPort();
    if (databaseMode_) {
        const int r = full_.Start(recordCount_, state().installPath(job_.databaseFileName));
        if (auto n = full_.takeNotice())
            pending_.push_back(*n);
        return r == 0 ? 0 : Stopped;
    }
    return downloading() ? downloadStart() : uploadStart();
}

int CTransfer::Tick()
{
    if (abort_)
        return Aborted;
    return step();
}

int CTransfer::step()
{
    if (databaseMode_) {
        const int r = full_.Step();
        if (auto n = full_.takeNotice())
            pending_.push_back(*n);
        if (r == 1)
            return GoOn;
        if (r == 0)
            return Completed;
        return r == -1 ? NoLine : Stopped;
    }
    return downloading() ? downloadStep() : uploadStep();
}

std::vector<platform::Notice> CTransfer::Finish(int result)
{
    KestrelState& s = state();
    std::vector<platform::Notice> out = std::move(pending_);
    if (auto n = endCodeMessage(result)) {
        n->text = platform::addPortProblem(n->text, telegram_.portProblem());
        out.push_back(*n);
    }
    if (result == Aborted)
        s.logLine("LOADING STOPPED");
    finished_ = true;
    telegram_.ReadParameter(param::kErrorRegister.digits());
    telegram_.ClosePort(false);
    work_.close();
    full_.close();
    database_.reset();
    // The line is free again for the keypad poll and the list windows.
    s.operationInProgress = false;
    return out;
}

// ---- working file ----------------------------------------------------------

bool CTransfer::isCustomList() const
{
    return job_.listFile.find(".~ct") != std::string::npos;
}

bool CTransfer::openWorkFile()
{
    work_.open(job_.listFile, std::ios::in | std::ios::out | std::ios::binary);
    pos_ = 0;
    return static_cast<bool>(work_);
}

int CTransfer::listRange() const
{
    if (!isCustomList())
        return recordCount_;
    std::error_code ec;
    const auto size = std::filesystem::file_size(job_.listFile, ec);
    return ec ? 0 : static_cast<int>(size / WorkRecord::kSize);
}

std::optional<std::string> CTransfer::readWorkField(std::streamoff offset)
{
    work_.clear();
    work_.seekg(offset);
    char buf[4];
    if (!work_.read(buf, 4))
        return std::nullopt;
    return std::string(buf, 4);
}

// ---- Upload All ------------------------------------------------------------

int CTransfer::uploadStart()
{
    KestrelState& s = state();
    for (int i = 0; i < 5 && !telegram_.ReadParameter(param::kChangedQuery.digits()); ++i) {
    }
    telegram_.ReadParameter(param::kErrorRegister.digits());
    if (!openWorkFile())
        return WorkFileError;
    range_ = listRange();
    s.logLine("UPLOAD ALL - START");
    return 0;
}

int CTransfer::uploadStep()
{
    KestrelState& s = state();
    const auto number = readWorkField(pos_);
    if (!number) {
        s.logLine("UPLOAD ALL - END     Upload time= " + elapsedText());
        return Finished;
    }
    std::string value = "0000";  // the error register is not read into a list
    if (*number != param::kErrorRegister.digits()) {
        if (!telegram_.ReadParameter(*number)) {
            if (telegram_.status() == -1)
                return NoLine;
            pending_.push_back({CFullUpload::kUploadErrorText, MsgIcon::Stop});
            job_.valuesLost = true;
            return Stopped;
        }
        value = telegram_.valueText().substr(0, 4);
    }
    work_.clear();
    work_.seekp(pos_ + static_cast<std::streamoff>(WorkRecord::kValueOffset));
    if (!work_.write(value.data(), 4) || !work_.flush())
        return WorkFileError;
    pos_ += static_cast<std::streamoff>(WorkRecord::kSize);
    ++progress_;
    return GoOn;
}

// ---- Download All ----------------------------------------------------------

int CTransfer::downloadStart()
{
    KestrelState& s = state();
    if (!telegram_.ReadParameter(param::kStatusWord.digits()))
        return telegram_.status() == -1 ? NoLine : NoAnswer;
    const std::string& status = telegram_.valueText();
    if (status.size() < 4 || status[3] != '1') {
        pending_.push_back({"The software requires the selected device to be idle for uploading databank.", MsgIcon::Stop});
        telegram_.ClosePort(false);
        s.operationInProgress = false;
        return Stopped;
    }
    s.logLine("DOWNLOAD ALL - START");
    database_ = std::make_unique<DatabaseReader>(s.installPath(job_.databaseFileName));
    if (!openWorkFile())
        return WorkFileError;
    skipService_ = serviceSkip();
    range_ = listRange();
    return 0;
}

// Service parameters stay untouched unless the list carries the service
// access code in parameter 0087.
bool CTransfer::serviceSkip()
{
    for (std::streamoff off = 0;; off += static_cast<std::streamoff>(WorkRecord::kSize)) {
        const auto number = readWorkField(off);
        if (!number)
            return false;
        if (*number == param::kServiceCode.digits()) {
            const auto value = readWorkField(off + static_cast<std::streamoff>(WorkRecord::kValueOffset));
            return !value || parseHex4(*value) != kServiceAccessCode;
        }
    }
}

bool CTransfer::neverWritten(uint16_t n)
{
    return (n >= param::kBaudRate.number() && n <= param::kControlWord.number()) ||
           n == param::kParameterSet.number() || n == param::kCopySet.number();
}

bool CTransfer::skipped(uint16_t n, uint16_t a) const
{
    return (skipService_ && (a & 0x0100)) || (a & 0x0400) || (a & 0x0600) == 0x0600 || (a & 0x0800)
           || n % 16 == 0;
}

// The database record of the parameter: the next one for an online list or
// parameter file (their records follow the database one to one), a forward
// search for a custom list.
std::optional<uint16_t> CTransfer::attributeOf(uint16_t number)
{
    if (!database_)
        return std::nullopt;
    std::optional<uint16_t> a;
    if (isCustomList()) {
        if (database_->seekForward(number))
            a = database_->record().attribute();
        return a;
    }
    if (database_->atRecord() && database_->record().number() == number)
        a = database_->record().attribute();
    database_->advance();
    return a;
}

int CTransfer::downloadStep()
{
    KestrelState& s = state();
    // After the last record: "FFFC" on one tick, "00AC" on the next, so
    // that no tick holds the line for more than one exchange.
    if (closing_) {
        telegram_.ReadParameter(param::kErrorRegister.digits());
        s.logLine("DOWNLOAD ALL - END     Download time= " + elapsedText());
        return Finished;
    }
    const auto number = readWorkField(pos_);
    if (!number) {
        if (telegram_.ReadParameter(param::kChangedQuery.digits())) {
            closing_ = true;
            return GoOn;
        }
        s.logLine("DOWNLOAD ALL - END     Download time= " + elapsedText());
        return Finished;
    }
    const auto value = readWorkField(pos_ + static_cast<std::streamoff>(WorkRecord::kValueOffset));
    pos_ += static_cast<std::streamoff>(WorkRecord::kSize);
    ++progress_;
    const auto n = parseHex4(*number);
    if (!n || !value)
        return WorkFileError;
    if (neverWritten(*n)) {
        if (!isCustomList() && database_)
            database_->advance();
        return GoOn;
    }
    // A parameter the database does not describe is not written: its access
    // rules are unknown.
    const auto attribute = attributeOf(*n);
    if (!attribute || skipped(*n, *attribute))
        return GoOn;
    if (!telegram_.WriteParameter(*number + *value))
        return downloadFailed(*number);
    return GoOn;
}

int CTransfer::downloadFailed(const std::string& number)
{
    if (telegram_.status() == -1)
        return NoLine;
    question_ = "There was error downloading value of parameter " + number + ". Do you want to continue ?";
    return AskContinue;
}

int CTransfer::AnswerContinue(bool yes)
{
    question_.clear();
    if (!yes) {
        pending_.push_back({"Download was not successful.", MsgIcon::Stop});
        return Stopped;
    }
    telegram_.ReadParameter(param::kErrorRegister.digits());
    return GoOn;
}

}  // namespace kestrel
