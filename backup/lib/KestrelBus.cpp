#include <backup/lib/KestrelBus.h>

#include <kestrel/core/CDatabase.h>
#include <kestrel/core/CDeviceTable.h>
#include <kestrel/core/CNetworkExamination.h>
#include <kestrel/core/CTransfer.h>
#include <platform/MessageBox.h>
#include <kestrel/core/CWorkFile.h>
#include <kestrel/core/DeviceConnection.h>
#include <kestrel/core/FileBytes.h>
#include <kestrel/core/HexText.h>
#include <kestrel/core/KestrelState.h>
#include <kestrel/core/ListFile.h>
#include <kestrel/core/ParameterNumbers.h>
#include <kestrel/core/TransferCommands.h>

#include <platform/PortMap.h>
#include <plumage/plumage.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>

namespace backup {

namespace {

using kestrel::state;

constexpr size_t kRecord = 10;  // 4 digits number, 4 digits value, CR LF

std::optional<std::string> readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool writeAll(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    out.close();
    return static_cast<bool>(out);
}

// What the drive reports about itself rather than holds as a setting (its
// error register, control and status words, and the like): the download
// never writes them, so they differ between any two reads of a running line
// and say nothing about the settings.
bool isProcessValue(const std::string& number)
{
    namespace param = kestrel::param;
    const auto n = kestrel::parseHex4(number);
    return n && ((*n >= param::kBaudRate.number() && *n <= param::kControlWord.number()) ||
                 *n == param::kStatusWord.number() || *n == param::kCopySet.number());
}

// The program's installation in the process-wide state for as long as this
// lives, the run's folder outside it: what a scan writes (the device table)
// goes to the run's folder.
class InstallationSwap {
public:
    explicit InstallationSwap(const std::string& dir) : saved_(state().installDir) { state().installDir = dir; }
    ~InstallationSwap() { state().installDir = saved_; }
    InstallationSwap(const InstallationSwap&) = delete;
    InstallationSwap& operator=(const InstallationSwap&) = delete;

private:
    std::string saved_;
};

// The working file of a list, as an online list makes it: number and value
// of every database record, CR LF.
bool writeWorkingFile(const std::string& databasePath, const std::string& path)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    kestrel::DatabaseReader db(databasePath);
    if (!out || !db.atRecord()) return false;
    for (; db.atRecord(); db.advance()) out << db.record().numberText() << db.record().valueText() << "\r\n";
    out.close();
    return static_cast<bool>(out);
}

// Parameter number -> name, from the drive's database.
std::map<std::string, std::string> parameterNames(const std::string& databasePath)
{
    std::map<std::string, std::string> names;
    for (kestrel::DatabaseReader db(databasePath); db.atRecord(); db.advance())
        names.emplace(std::string(db.record().numberText()), db.record().name());
    return names;
}

// Number -> value of the records of a working-file body, in order.
std::vector<std::pair<std::string, std::string>> records(const std::string& body)
{
    std::vector<std::pair<std::string, std::string>> out;
    for (size_t at = 0; at + kRecord <= body.size(); at += kRecord)
        out.emplace_back(body.substr(at, 4), body.substr(at + 4, 4));
    return out;
}

// A parameter file's records, read through the checks Kestrel opens a file
// with (header, every record against the database in its order, trailer).
// diff and restore both read a file only through this.
std::optional<std::string> checkedBody(const std::string& path, const std::string& databasePath, std::string& error)
{
    const auto check = kestrel::ListFile::check(path, databasePath, kestrel::ListKind::ParameterFile);
    if (check.result == kestrel::ListFile::Check::Ok) {
        if (auto body = kestrel::ListFile::readBody(path, check.records)) return body;
    }
    error = "the parameter file " + path + " is damaged or does not match its database";
    return std::nullopt;
}

}  // namespace

KestrelBus::KestrelBus(const KestrelLine& line) : line_(line)
{
    kestrel::KestrelState& s = state();
    s.reset();
    s.installDir = line.installDir;
    s.settings.port = line.port;
    s.settings.commSettings = line.commSettings;
    s.settings.repeat = line.repeat;
    s.settings.tWait = line.tWait;
    s.settings.tRts = line.tRts;
    s.settings.delayNak = line.delayNak;
    s.settings.rtsMode = line.rtsMode;
    // This run holds the line itself, for all of its operations.
    telegram_.control().SetLineLocking(false);
}

bool KestrelBus::ready(std::string& error)
{
    if (!folder_.ok()) {
        error = "cannot make a working folder for this run";
        return false;
    }
    // The names given in Kestrel's network dialog are what the files are named by.
    if (!folder_.copyIn(line_.installDir, kestrel::CDeviceTable::kFileName + 1)) {
        error = "cannot copy the device table of " + line_.installDir;
        return false;
    }
    const std::string device = platform::comPortDevice(line_.port);
    std::string holder;
    if (!lineLock_.take(device, "", holder)) {
        error = line_.lineName + " is in use by " + holder + "; try again when it has finished";
        return false;
    }
    return true;
}

KestrelBus::~KestrelBus() = default;

std::string KestrelBus::workPath() const
{
    return folder_.path() + "/List-" + state().currentAddress + ".~pa";
}

std::string KestrelBus::failure(const std::string& fallback)
{
    const std::string shown = messages_.take();
    return shown.empty() ? fallback : shown;
}

bool KestrelBus::scan(std::vector<FoundDrive>& found, const ProgressFn& progress, std::string& error)
{
    std::optional<InstallationSwap> inFolder;
    inFolder.emplace(folder_.path());
    kestrel::CNetworkExamination exam(telegram_);
    int result = exam.start();
    if (result == 0) {
        while ((result = exam.step()) == kestrel::CNetworkExamination::GoOn)
            if (progress) progress(exam.progress(), kestrel::kAddressCount);
        if (result == kestrel::CNetworkExamination::Finished) result = kestrel::CNetworkExamination::Done;
    }
    messages_.add(exam.finish(result));
    // The table is written; the drives' databases are the installation's.
    inFolder.reset();
    if (result != kestrel::CNetworkExamination::Done) {
        error = failure("the network examination failed");
        return false;
    }
    messages_.take();
    for (int a = firstAddress(); a <= lastAddress(); ++a) {
        if (!exam.table().present(a)) continue;
        FoundDrive d;
        std::string ignored;
        if (!identify(a, d, ignored)) d = FoundDrive{a, exam.table().name(a), getInverterName()};
        found.push_back(d);
    }
    return true;
}

bool KestrelBus::identify(int address, FoundDrive& drive, std::string& error)
{
    std::string versionText;
    bool missing = false;
    if (!checkVersion(address, versionText, missing, error)) return false;
    // The next transfer of this drive starts from what was just read.
    identified_ = Identified{address, state().databaseFileName};
    kestrel::CDeviceTable table;
    table.load(folder_.path() + kestrel::CDeviceTable::kFileName);
    drive.address = address;
    drive.name = table.name(address).empty() ? "NEW" : table.name(address);
    drive.type = getInverterName() + " " + kestrel::CDatabase::versionText(state().databaseFileName);
    return true;
}

bool KestrelBus::runTransfer(kestrel::TransferJob& job, bool databaseMode, const ProgressFn& progress,
                             std::string& error)
{
    kestrel::CTransfer transfer(telegram_, job, databaseMode);
    int result = transfer.Open();
    if (result == 0) {
        for (;;) {
            result = transfer.Tick();
            // A value the drive refused: the message seam answers whether to go on.
            if (result == kestrel::CTransfer::AskContinue)
                result = transfer.AnswerContinue(platform::showMessage(transfer.question(), platform::MsgIcon::Question,
                                                                       platform::MsgButtons::YesNo)
                                                 == platform::MsgAnswer::Yes);
            if (result != kestrel::CTransfer::GoOn) break;
            if (progress) progress(transfer.progress(), transfer.progressRange());
        }
    }
    messages_.add(transfer.Finish(result));
    if (result != kestrel::CTransfer::Completed) {
        error = failure("the transfer failed");
        return false;
    }
    messages_.take();
    return true;
}

bool KestrelBus::checkVersion(int address, std::string& versionText, bool& missing, std::string& error)
{
    state().currentAddress = std::to_string(address);
    if (identified_ && identified_->address == address) {
        // Identified a moment ago: its version stands (a drive that has gone
        // since is found out by the transfer's own first read).
        state().databaseFileName = identified_->databaseFileName;
        identified_.reset();
        versionText = kestrel::CDatabase::versionText(state().databaseFileName);
        missing = !kestrel::CDatabase(state().installPath(state().databaseFileName)).isComplete();
        return true;
    }
    const kestrel::DatabaseCheck check = kestrel::CheckDatabase(telegram_);
    messages_.add(check.notice);
    if (check.result == kestrel::DatabaseCheck::NoConnection) {
        error = failure("no answer");
        return false;
    }
    versionText = kestrel::CDatabase::versionText(state().databaseFileName);
    missing = check.result == kestrel::DatabaseCheck::Missing;
    return true;
}

bool KestrelBus::uploadDatabase(const ProgressFn& progress, std::string& error)
{
    // The catalogue of a version is uploaded once and kept, as Kestrel does;
    // it is made in the run's folder and put in place whole, so a run on
    // another line reading the same version never meets half of it.
    const std::string name = state().databaseFileName;
    std::error_code ec;
    std::filesystem::create_directories(folder_.path() + "/tvk", ec);
    bool ok;
    {
        const InstallationSwap inFolder(folder_.path());
        kestrel::TransferJob job;
        job.databaseFileName = name;
        ok = runTransfer(job, true, progress, error);
    }
    if (!ok) {
        error = "database upload: " + error;
        return false;
    }
    if (kestrel::CDatabase(state().installPath(name)).isComplete()) return true;  // another run was first
    if (!publishFile(folder_.path() + name, state().installPath(name))) {
        error = "cannot put the uploaded database into " + state().installPath(name);
        return false;
    }
    return true;
}

bool KestrelBus::prepareDatabase(int address, const ProgressFn& progress, std::string& versionText,
                                 std::string& error)
{
    bool missing = false;
    if (!checkVersion(address, versionText, missing, error)) return false;
    return !missing || uploadDatabase(progress, error);
}

bool KestrelBus::uploadValues(int address, const ProgressFn& progress, std::string& body, std::string& versionText,
                              std::string& error)
{
    if (!prepareDatabase(address, progress, versionText, error)) return false;
    const std::string work = workPath();
    if (!writeWorkingFile(state().installPath(state().databaseFileName), work)) {
        error = "cannot make the working file from " + state().databaseFileName;
        return false;
    }
    kestrel::TransferJob job{work, state().databaseFileName, kestrel::TransferDirection::Upload};
    if (!runTransfer(job, false, progress, error)) return false;
    const auto bytes = readAll(work);
    if (!bytes) {
        error = "cannot read the working file " + work;
        return false;
    }
    body = *bytes;
    return true;
}

bool KestrelBus::backup(const FoundDrive& drive, const std::string& path, const ProgressFn& progress,
                        std::string& error)
{
    std::string body, versionText;
    if (!uploadValues(drive.address, progress, body, versionText, error)) return false;
    if (!kestrel::writeFileBytes(path, kestrel::ListFile::bytes(versionText, body))) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

bool KestrelBus::diff(int address, const std::string& path, std::vector<ValueDifference>& differences,
                      const ProgressFn& progress, std::string& error)
{
    const auto fileVersion = kestrel::ListFile::readVersionText(path);
    if (!fileVersion) {
        error = "cannot read the parameter file " + path;
        return false;
    }
    std::string versionText;
    if (!prepareDatabase(address, progress, versionText, error)) return false;
    if (*fileVersion != versionText) {
        error = "the file is for version " + *fileVersion + ", the drive has " + versionText;
        return false;
    }
    // A damaged file is refused before any value is read from the drive.
    const auto body = checkedBody(path, state().installPath(state().databaseFileName), error);
    if (!body) return false;
    // The upload that follows goes on with the version just read.
    identified_ = Identified{address, state().databaseFileName};
    std::string live;
    if (!uploadValues(address, progress, live, versionText, error)) return false;
    std::map<std::string, std::string> fileValues;
    for (const auto& [number, value] : records(*body)) fileValues.emplace(number, value);
    const auto names = parameterNames(state().installPath(state().databaseFileName));
    const auto nameOf = [&names](const std::string& number) {
        const auto it = names.find(number);
        return it == names.end() ? std::string() : it->second;
    };
    for (const auto& [number, value] : records(live)) {
        if (isProcessValue(number)) continue;
        const auto it = fileValues.find(number);
        if (it == fileValues.end()) differences.push_back({number, nameOf(number), value, ""});
        else if (it->second != value) differences.push_back({number, nameOf(number), value, it->second});
    }
    return true;
}

bool KestrelBus::restore(int address, const std::string& path, bool force, const ProgressFn& progress,
                         std::string& error)
{
    std::string driveVersion;
    bool missing = false;
    if (!checkVersion(address, driveVersion, missing, error)) return false;
    const auto fileVersion = kestrel::ListFile::readVersionText(path);
    if (!fileVersion) {
        error = "cannot read the parameter file " + path;
        return false;
    }
    if (*fileVersion != driveVersion) {
        if (!force) {
            error = "Version conflict ! (file " + *fileVersion + ", drive " + driveVersion + "; --force writes it)";
            return false;
        }
        // The file's values are judged by the catalogue of their own version.
        const std::string other = kestrel::CDatabase::fileNameForVersion(fileVersion->substr(1));
        if (other.empty() || !kestrel::CDatabase(state().installPath(other)).isComplete()) {
            error = "no database of version " + *fileVersion + " in " + line_.installDir + "/tvk";
            return false;
        }
        state().databaseFileName = other;
    } else if (missing && !uploadDatabase(progress, error)) {
        return false;
    }
    const std::string databasePath = state().installPath(state().databaseFileName);
    const auto body = checkedBody(path, databasePath, error);
    if (!body) return false;
    state().currentAddress = std::to_string(address);
    const std::string workPath = this->workPath();
    if (!body || !writeAll(workPath, *body)) {
        error = "cannot make the working file " + workPath;
        return false;
    }

    const kestrel::DownloadTarget target = kestrel::CheckDownloadTarget(telegram_, workPath);
    messages_.add(target.notice);
    if (!target.ok) {
        error = failure("the drive cannot take a download now");
        return false;
    }
    if (target.conflict()) {
        if (!force) {
            error = platform::strFormat("the file is for parameter set %d, the drive runs set %d (--force switches it)",
                                        target.listSet, target.deviceSet);
            return false;
        }
        if (auto refused = kestrel::SwitchParameterSet(telegram_, target.listSet)) {
            messages_.add(*refused);
            error = failure("the drive refused the parameter set");
            return false;
        }
    }
    kestrel::TransferJob job{workPath, state().databaseFileName, kestrel::TransferDirection::Download, target.listSet};
    return runTransfer(job, false, progress, error);
}

}  // namespace backup
