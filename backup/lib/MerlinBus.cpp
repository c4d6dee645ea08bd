#include <backup/lib/MerlinBus.h>

#include <merlin/core/CBulkTransfer.h>
#include <merlin/core/CCompare.h>
#include <merlin/core/CDeviceTable.h>
#include <merlin/core/CNetworkExamination.h>
#include <merlin/core/DeviceNames.h>
#include <merlin/core/DownloadCheck.h>
#include <merlin/core/EndCodes.h>

#include <platform/Clock.h>
#include <platform/LineLock.h>
#include <platform/Notice.h>
#include <platform/PortMap.h>

#include <strings.h>
#include <unistd.h>

namespace backup {

namespace {

namespace id = merlin::identification;

// Parameter files carry the definition name in lower case.
bool sameDefinition(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

// Consecutive parameters that time out before a drive counts as gone.
constexpr int kSilentStepsToGiveUp = 5;
// Not an end code of the transfer: the drive was given up on.
constexpr int kDriveSilent = -1000;

std::string resultText(int result)
{
    return result == merlin::kLinkCallFailed ? std::string("link server call failed")
                                             : platform::strFormat("Comm Error: %04X %d", result, result);
}

}  // namespace

MerlinBus::MerlinBus(const std::string& installDir, const merlin::LinkSettings& settings,
                     std::optional<uint16_t> password)
    : installDir_(installDir),
      settings_(settings),
      lineName_(platform::comPortName(settings.comPort)),
      // Never Merlin's shared "XYZ", never another run's: a connection
      // shared with a program on another line would move it to this one.
      connectionName_("aviary-backup " + std::to_string(::getpid())),
      password_(password),
      link_(settings)
{
    link_.SetConnectionName(connectionName_);
}

MerlinBus::~MerlinBus()
{
    link_.CloseLink();
    if (keeper_.isAttached()) keeper_.CloseConnection();
}

std::string MerlinBus::failure(const std::string& fallback)
{
    const std::string shown = messages_.take();
    return shown.empty() ? fallback : shown;
}

bool MerlinBus::linked(std::string& error)
{
    if (!folder_.ok() || !folder_.copyIn(installDir_, merlin::CDeviceTable::kFileName)) {
        error = "cannot make a working folder for this run";
        return false;
    }
    if (!link_.IsStarted() || !link_.OpenLink()) {
        error = failure("Unable to Start Link Server");
        return false;
    }
    return holdLine(error);
}

bool MerlinBus::holdLine(std::string& error)
{
    using tern::VARIANT_BOOL;
    VARIANT_BOOL joined = tern::VARIANT_FALSE, active = tern::VARIANT_FALSE;
    if (tern::FAILED(keeper_.CreateInstance()) ||
        tern::FAILED(keeper_.OpenConnection(connectionName_, 1, &joined)) || joined == tern::VARIANT_FALSE ||
        tern::FAILED(keeper_.get_IsActive(&active))) {
        error = "Unable to Start Link Server";
        return false;
    }
    if (active != tern::VARIANT_FALSE) return true;
    // The link server opened the port under its line lock: who holds the
    // line, if anyone, is why it is not open.
    const std::string device = platform::comPortDevice(settings_.comPort);
    const std::string holder = platform::LineLock::holder(device);
    if (!holder.empty()) error = lineName_ + " is in use by " + holder + "; try again when it has finished";
    else error = "the link server cannot open " + lineName_ + " (" + device + ")";
    return false;
}

bool MerlinBus::scan(std::vector<FoundDrive>& found, const ProgressFn& progress, std::string& error)
{
    merlin::CDeviceTable table;
    merlin::CNetworkExamination exam(link_, table, folder_.path());
    exam.start();
    int result;
    while ((result = exam.step()) == 1)
        if (progress) progress(exam.examined() + 1, merlin::CDeviceTable::kStations);
    messages_.add(exam.finish(result));
    // The examination leaves the link closed with its scan time-out; the
    // register calls after it use the settings again.
    link_.OpenLink();
    if (result != merlin::kEndDone) {
        error = failure("the network examination failed");
        return false;
    }
    messages_.take();
    for (const merlin::CDeviceTable::Row& row : table.presentRows())
        found.push_back({row.station, row.name, row.deviceType + " " + row.application});
    return true;
}

bool MerlinBus::readIdentity(int station, Identity& identity, std::string& error)
{
    uint16_t type = 0, application = 0, version = 0;
    for (auto [offset, value] : {std::pair{id::kDeviceType, &type}, std::pair{id::kApplication, &application},
                                 std::pair{id::kSoftwareVersion, &version}}) {
        const int result = link_.ReadRegister(station, offset, *value);
        if (result != merlin::kLinkOk) {
            error = resultText(result);
            return false;
        }
    }
    identity = {type, application, version};
    return true;
}

bool MerlinBus::identify(int address, FoundDrive& drive, std::string& error)
{
    Identity identity;
    if (!readIdentity(address, identity, error)) return false;
    // The drive's next transfer starts from what was just read.
    identified_ = std::pair{address, identity};
    merlin::CDeviceTable table;
    table.load(folder_.path());
    drive.address = address;
    drive.name = table.present(address) && !table.name(address).empty() ? table.name(address) : "NEW";
    drive.type = merlin::deviceTypeName(identity.deviceType) + " " +
                 merlin::applicationText(identity.application, identity.version);
    return true;
}

bool MerlinBus::loadDriveDefinition(int station, merlin::CDpfParSet& set, std::string& error)
{
    Identity identity;
    if (identified_ && identified_->first == station) identity = identified_->second;
    else if (!readIdentity(station, identity, error)) return false;
    identified_.reset();
    const std::string name = merlin::definitionFileName(identity.deviceType, identity.application, identity.version);
    set.SetProgramDirectory(installDir_);
    set.SetTrace(nullptr);
    if (set.LoadDefinition(name) != merlin::kLoadOk) {
        error = failure("no definition file " + name);
        return false;
    }
    // A file of no parameters would be a backup that nothing can restore,
    // one without some of them a backup that restores only part of a drive.
    if (set.Count() == 0 || !set.LeftOut().empty()) {
        error = failure("the definition file " + name + " describes no parameter");
        return false;
    }
    return true;
}

bool MerlinBus::loadFile(const std::string& path, merlin::CDpfParSet& set, std::string& error)
{
    set.SetProgramDirectory(installDir_);
    set.SetTrace(nullptr);
    if (set.LoadParameterFile(std::filesystem::path(path)) != 0) {
        error = failure("cannot read the parameter file " + path);
        return false;
    }
    return true;
}

bool MerlinBus::transfer(merlin::TransferDirection direction, int station, merlin::CDpfParSet& set,
                         const ProgressFn& progress, std::string& error)
{
    int failed = 0;
    merlin::CBulkTransfer bulk(direction, link_, station, set);
    bulk.start(platform::tickCount());
    // The transfer goes on past single failures, so a drive that has left
    // the line would cost every parameter its time-out and retries (many
    // minutes at the programs' settings): a run of time-outs ends it.
    int silentSteps = 0;
    const auto run = [&] {
        int end;
        while ((end = bulk.step()) == 1) {
            if (progress) progress(bulk.position(), bulk.total());
            const auto& failures = bulk.failures();
            const bool timedOut = !failures.empty() && merlin::isLineFailure(failures.back().result) &&
                                  static_cast<int>(failures.size()) > failed;
            failed = static_cast<int>(failures.size());
            silentSteps = timedOut ? silentSteps + 1 : 0;
            if (silentSteps >= kSilentStepsToGiveUp) return kDriveSilent;
        }
        return end;
    };
    int end = run();
    if (end == merlin::kEndPasswordNeeded && password_) {
        bulk.restart(*password_, platform::tickCount());
        failed = 0;
        end = run();
    }
    if (end == kDriveSilent) {
        error = platform::strFormat("the drive stopped answering (%d time-outs in a row, at %d of %d)",
                                    kSilentStepsToGiveUp, bulk.position(), bulk.total());
        return false;
    }
    if (end == merlin::kEndPasswordNeeded) {
        error = "the drive refuses parameter writes: give its password with --password";
        return false;
    }
    if (end != merlin::kEndDone) {
        messages_.add(bulk.endMessage(end));
        error = failure(platform::strFormat("transfer ended with %d", end));
        return false;
    }
    // A transfer goes on past single failures; a copy with holes is no copy.
    if (!bulk.failures().empty()) {
        const merlin::TransferFailure& first = bulk.failures().front();
        error = platform::strFormat("%d parameters failed, the first %s (4%04d): %s", bulk.errorCount(),
                                    first.name.c_str(), first.registerOffset, resultText(first.result).c_str());
        return false;
    }
    return true;
}

bool MerlinBus::backup(const FoundDrive& drive, const std::string& path, const ProgressFn& progress,
                       std::string& error)
{
    merlin::CDpfParSet set;
    if (!loadDriveDefinition(drive.address, set, error)) return false;
    if (!transfer(merlin::TransferDirection::Upload, drive.address, set, progress, error)) return false;
    if (set.SaveParameterFile(path) != 0) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

bool MerlinBus::diff(int address, const std::string& path, std::vector<ValueDifference>& differences,
                     const ProgressFn& progress, std::string& error)
{
    merlin::CDpfParSet file, live;
    if (!loadFile(path, file, error)) return false;
    // Past a cut the file's side would show the definition's defaults.
    const merlin::ParFileReading& reading = file.FileReading();
    if (!reading.Whole() || reading.surplus) {
        merlin::DownloadCheck check;
        check.reading = reading;
        error = "cannot compare with " + path + ":\n" + merlin::DescribeRefusal(check, file);
        return false;
    }
    if (!loadDriveDefinition(address, live, error)) return false;
    if (!sameDefinition(live.DefinitionName(), file.DefinitionName())) {
        error = "the file is for " + file.DefinitionName() + ", the drive is described by " + live.DefinitionName();
        return false;
    }
    if (!transfer(merlin::TransferDirection::Upload, address, live, progress, error)) return false;
    // Read-only parameters (status, fault history) are the drive's own report,
    // never written by a restore: no setting a restore could bring back.
    for (const merlin::CompareRow& row : merlin::CCompare::compare(live, &file, true))
        differences.push_back({row[0], row[1], row[3], row[4]});
    return true;
}

bool MerlinBus::restore(int address, const std::string& path, bool force, const ProgressFn& progress,
                        std::string& error)
{
    merlin::CDpfParSet file, drive;
    if (!loadFile(path, file, error)) return false;
    // The whole file is checked before the drive is asked anything: a value
    // the file does not hold would go out as the definition's default.
    const merlin::DownloadCheck check = merlin::CheckForDownload(file);
    if (!check.Passed()) {
        error = "refused " + path + ", nothing was written:\n" + merlin::DescribeRefusal(check, file);
        return false;
    }
    Identity identity;
    if (!readIdentity(address, identity, error)) return false;
    const std::string driveDefinition =
        merlin::definitionFileName(identity.deviceType, identity.application, identity.version);
    if (!force && !sameDefinition(driveDefinition, file.DefinitionName())) {
        error = "the file is for " + file.DefinitionName() + ", the drive is described by " + driveDefinition +
                " (--force writes it)";
        return false;
    }
    return transfer(merlin::TransferDirection::Download, address, file, progress, error);
}

bool MerlinBus::startCapture(const std::string& path, std::string& error)
{
    capture_ = std::make_unique<tern::BusMonitorClient>(merlin::CTernLink::kConnectionName);
    return capture_->startCapture(path, error);
}

bool MerlinBus::stopCapture(std::string& error)
{
    if (!capture_) return true;
    const bool ok = capture_->stopCapture(error);
    capture_.reset();
    return ok;
}

}  // namespace backup
