// aviary-backup: the drives of one line saved, compared and restored from
// the command line (cron, systemd timers), with the programs' own file
// formats.
#include <backup/lib/BackupOptions.h>
#include <backup/lib/BackupRun.h>
#include <backup/lib/KestrelBus.h>
#include <backup/lib/MerlinBus.h>

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

// The port as a COM number; a device path is mapped for this process
// (Kestrel) or in the port map the link server reads (Merlin).
bool portNumber(const BackupOptions& o, int& port)
{
    if (const auto n = comPortNumber(o.port)) {
        port = *n;
        return true;
    }
    port = kPathPort;
    if (o.family == "kestrel") return ::setenv(("AVIARY_COM" + std::to_string(port)).c_str(), o.port.c_str(), 1) == 0;
    return platform::setComPortDevice(port, o.port);
}

std::unique_ptr<DriveBus> makeBus(const BackupOptions& o, int port, std::string& error)
{
    const std::string install = o.installDir.empty() ? programDirectory() : o.installDir;
    if (o.family == "kestrel") {
        KestrelLine line;
        line.installDir = install;
        line.port = port;
        line.commSettings = std::to_string(o.baud) + ",N,8,1";
        line.repeat = o.retries.value_or(line.repeat);
        line.tWait = o.waitMs.value_or(line.tWait);
        line.tRts = o.rtsMs.value_or(line.tRts);
        line.delayNak = o.delayMs.value_or(line.delayNak);
        return std::make_unique<KestrelBus>(line);
    }
    merlin::LinkSettings s;
    s.comPort = port;
    s.baudRate = o.baud;
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
    int port = 0;
    if (!portNumber(*options, port)) {
        std::cerr << "aviary-backup: cannot map " << options->port << " to COM" << kPathPort << '\n';
        return kExitError;
    }
    const auto bus = makeBus(*options, port, error);
    if (!bus) {
        std::cerr << "aviary-backup: " << error << '\n';
        return kExitError;
    }
    ProgressBar progress(stderr, ::isatty(STDERR_FILENO) == 1);
    return BackupRun(*bus, *options, std::cout, std::cerr, progress).run();
}
