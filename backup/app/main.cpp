// aviary-backup: the drives of one line saved, compared and restored from
// the command line (cron, systemd timers), with the programs' own file
// formats.
#include <backup/lib/BackupInstallation.h>
#include <backup/lib/BackupOptions.h>
#include <backup/lib/BackupRun.h>
#include <backup/lib/KestrelBus.h>
#include <backup/lib/LentComPort.h>
#include <backup/lib/MerlinBus.h>
#include <backup/lib/ProgramSettings.h>

#include <platform/PortMap.h>
#include <platform/WorkingInstallation.h>

#include <QCoreApplication>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>

namespace {

using namespace backup;

// A device path gets this COM number in this process (Kestrel): the
// programs only know COM ports.
constexpr int kPathPort = 8;

std::string programDirectory()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

// How files and messages name the line: "COM2", or the device's own name.
std::string lineName(const BackupOptions& o, int profilePort)
{
    if (!o.port) return platform::comPortName(profilePort);
    if (comPortNumber(*o.port)) return *o.port;
    // "/dev/ttyUSB0" -> "ttyUSB0", "/dev/pts/3" -> "pts-3"
    std::string name = o.port->rfind("/dev/", 0) == 0 ? o.port->substr(5) : *o.port;
    for (char& c : name) c = c == '/' ? '-' : c;
    return name;
}

std::unique_ptr<DriveBus> makeKestrelBus(const BackupOptions& o, const std::string& install, std::string& error)
{
    KestrelLine line = kestrelLineFromProfile(kestrelProfile());
    line.installDir = install;
    line.lineName = lineName(o, line.port);
    if (o.port && comPortNumber(*o.port)) line.port = *comPortNumber(*o.port);
    else if (o.port) {
        // Kestrel's family is this process's own line: the path maps here only.
        line.port = kPathPort;
        if (::setenv(("AVIARY_COM" + std::to_string(kPathPort)).c_str(), o.port->c_str(), 1) != 0)
            return error = "cannot map " + *o.port, nullptr;
    }
    if (o.baud) line.commSettings = std::to_string(*o.baud) + ",N,8,1";
    line.repeat = o.retries.value_or(line.repeat);
    line.tWait = o.waitMs.value_or(line.tWait);
    line.tRts = o.rtsMs.value_or(line.tRts);
    line.delayNak = o.delayMs.value_or(line.delayNak);
    auto bus = std::make_unique<KestrelBus>(line);
    if (!bus->ready(error)) return nullptr;
    return bus;
}

std::unique_ptr<DriveBus> makeMerlinBus(const BackupOptions& o, const std::string& install,
                                        std::optional<LentComPort>& lent, std::string& error)
{
    merlin::LinkSettings s = merlinLinkFromProfile(merlinProfile());
    const std::string name = lineName(o, s.comPort);
    if (o.port && comPortNumber(*o.port)) s.comPort = *comPortNumber(*o.port);
    else if (o.port) {
        // The link server finds a device only through the port map.
        lent.emplace(*o.port);
        if (!lent->number()) return error = lent->error(), nullptr;
        s.comPort = *lent->number();
    }
    s.baudRate = o.baud.value_or(s.baudRate);
    s.retries = o.retries.value_or(s.retries);
    s.timeoutMs = static_cast<uint32_t>(o.timeoutMs.value_or(static_cast<int>(s.timeoutMs)));
    s.requestDelayMs = static_cast<uint32_t>(o.delayMs.value_or(static_cast<int>(s.requestDelayMs)));
    s.silentIntervalMs = static_cast<uint32_t>(o.silentMs.value_or(static_cast<int>(s.silentIntervalMs)));
    auto bus = std::make_unique<MerlinBus>(install, s, o.password);
    bus->setLineName(name);
    if (!bus->linked(error)) return nullptr;
    return bus;
}

std::unique_ptr<DriveBus> makeBus(const BackupOptions& o, std::optional<LentComPort>& lent, std::string& error)
{
    const InstallationChoice install =
        chooseInstallation(o.installDir, o.family, programDirectory(), platform::userInstallationDirectory());
    if (install.dir.empty()) return error = install.error, nullptr;
    if (o.family == "kestrel") return makeKestrelBus(o, install.dir, error);
    return makeMerlinBus(o, install.dir, lent, error);
}

}  // namespace

int main(int argc, char** argv)
{
    std::string error;
    const auto options = parseOptions(argc, argv, error);
    if (!options) {
        std::cerr << "aviary-backup: " << error << "\n" << kUsage;
        return kExitError;
    }
    if (options->command == Command::Help) {
        std::cout << kUsage;
        return kExitOk;
    }
    if (options->command == Command::Version) {
        std::cout << "aviary-backup " << AVIARY_VERSION << '\n';
        return kExitOk;
    }
    // The link server's client needs an application object for its bus.
    QCoreApplication app(argc, argv);
    // A device path lent to the link server under a COM number for this run only.
    std::optional<LentComPort> lent;
    const auto bus = makeBus(*options, lent, error);
    if (!bus) {
        std::cerr << "aviary-backup: " << error << '\n';
        return kExitError;
    }
    ProgressBar progress(stderr, ::isatty(STDERR_FILENO) == 1);
    return BackupRun(*bus, *options, std::cout, std::cerr, progress).run();
}
