// aviary-backup: the drives of one line saved, compared and restored from
// the command line (cron, systemd timers), with the programs' own file
// formats.
#include <backup/lib/BackupOptions.h>
#include <backup/lib/BackupRun.h>
#include <backup/lib/KestrelBus.h>
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

// A device path gets this COM number: the programs and the link server
// only know COM ports.
constexpr int kPathPort = 8;

// Beside the program in the build tree; an installed program's data, in the
// user's working mirror when the installation is not theirs to write.
std::string programDirectory()
{
    return platform::workingInstallation(platform::programInstallation());
}

// The port as a COM number: the profile's unless one is given; a device
// path is mapped for this process (Kestrel) or in the port map the link
// server reads (Merlin).
bool portNumber(const BackupOptions& o, int profilePort, int& port,
                std::optional<platform::TemporaryComPort>& mapping)
{
    if (!o.port) {
        port = profilePort;
        return true;
    }
    if (const auto n = comPortNumber(*o.port)) {
        port = *n;
        return true;
    }
    port = kPathPort;
    if (o.family == "kestrel") return ::setenv(("AVIARY_COM" + std::to_string(port)).c_str(), o.port->c_str(), 1) == 0;
    mapping.emplace(port, *o.port);
    return mapping->ok();
}

std::unique_ptr<DriveBus> makeBus(const BackupOptions& o, std::optional<platform::TemporaryComPort>& mapping,
                                  std::string& error)
{
    const std::string install = o.installDir.empty() ? programDirectory() : o.installDir;
    if (o.family == "kestrel") {
        KestrelLine line = kestrelLineFromProfile(kestrelProfile());
        line.installDir = install;
        if (!portNumber(o, line.port, line.port, mapping)) return error = "cannot map " + *o.port, nullptr;
        if (o.baud) line.commSettings = std::to_string(*o.baud) + ",N,8,1";
        line.repeat = o.retries.value_or(line.repeat);
        line.tWait = o.waitMs.value_or(line.tWait);
        line.tRts = o.rtsMs.value_or(line.tRts);
        line.delayNak = o.delayMs.value_or(line.delayNak);
        return std::make_unique<KestrelBus>(line);
    }
    merlin::LinkSettings s = merlinLinkFromProfile(merlinProfile());
    if (!portNumber(o, s.comPort, s.comPort, mapping)) return error = "cannot map " + *o.port, nullptr;
    s.baudRate = o.baud.value_or(s.baudRate);
    s.retries = o.retries.value_or(s.retries);
    s.timeoutMs = static_cast<uint32_t>(o.timeoutMs.value_or(static_cast<int>(s.timeoutMs)));
    s.requestDelayMs = static_cast<uint32_t>(o.delayMs.value_or(static_cast<int>(s.requestDelayMs)));
    s.silentIntervalMs = static_cast<uint32_t>(o.silentMs.value_or(static_cast<int>(s.silentIntervalMs)));
    auto bus = std::make_unique<MerlinBus>(install, s, o.password);
    if (!bus->linked(error)) return nullptr;
    return bus;
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
    // A device path lent to the link server as COM8 for this run only.
    std::optional<platform::TemporaryComPort> mapping;
    const auto bus = makeBus(*options, mapping, error);
    if (!bus) {
        std::cerr << "aviary-backup: " << error << '\n';
        return kExitError;
    }
    ProgressBar progress(stderr, ::isatty(STDERR_FILENO) == 1);
    return BackupRun(*bus, *options, std::cout, std::cerr, progress).run();
}
