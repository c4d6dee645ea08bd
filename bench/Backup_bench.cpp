// aviary-backup on a line of four simulated drives of each family: the time
// of one backup run over all four against the sum of the single-drive
// floors (each drive saved alone, best of the rounds), in the same run. The
// ratio is what the run adds around the uploads themselves: identification,
// files, the command layer (goal: at most 1.1).
//
// Kestrel's drives are the SIO simulator on a pseudo-terminal, reached by the
// telegram object in this process; Merlin's are the Modbus drive simulator,
// reached through the Tern link server on a private session bus of its own.
// Both run with short line waits (Kestrel tWait 2 ms, tRTS 0; Merlin request
// delay 1 ms), so the line and not a fixed pause is what is measured.
#include <bench/PrivateBus.h>
#include <backup/lib/BackupRun.h>
#include <backup/lib/KestrelBus.h>
#include <backup/lib/MerlinBus.h>

#include <sim/modbusdrive/MerlinDriveLoader.h>
#include <sim/modbusdrive/MerlinDriveModel.h>
#include <sim/modbus/ModbusSlaveRunner.h>
#include <sim/sio/SioSimRunner.h>

#include <platform/PortMap.h>
#include <platform/PseudoTerminal.h>
#include <platform/testing/TempDir.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QMap>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 3;
const std::vector<int> kAddresses{1, 2, 3, 4};

std::filesystem::path binDir() { return bench::selfPath().parent_path().parent_path() / "bin"; }

double seconds(const std::function<bool()>& work, bool& ok)
{
    const auto start = Clock::now();
    ok = work() && ok;
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Best-of-rounds time of each drive alone, summed, and of one run over all.
void measure(const char* family, backup::DriveBus& bus, const std::string& outDir)
{
    bool ok = true;
    std::vector<backup::FoundDrive> drives;
    for (const int a : kAddresses) {
        backup::FoundDrive d;
        std::string error;
        if (!bus.identify(a, d, error)) {
            std::fprintf(stderr, "%s: drive %d: %s\n", family, a, error.c_str());
            return;
        }
        drives.push_back(d);
    }
    double floors = 0;
    for (const auto& d : drives) {
        double best = 1e9;
        for (int r = 0; r < kRounds; ++r)
            best = std::min(best, seconds([&] {
                std::string error;
                return bus.backup(d, outDir + "/single.par", {}, error);
            }, ok));
        floors += best;
    }
    backup::BackupOptions options;
    options.family = family;
    options.command = backup::Command::Backup;
    options.outputDir = outDir;
    options.addresses = kAddresses;
    options.force = true;
    double whole = 1e9;
    for (int r = 0; r < kRounds; ++r)
        whole = std::min(whole, seconds([&] {
            std::ostringstream out, err;
            backup::ProgressBar progress(stderr, false);
            return backup::BackupRun(bus, options, out, err, progress).run() == backup::kExitOk;
        }, ok));
    std::printf("%-8s 4 drives: run %.3f s, sum of single-drive floors %.3f s, ratio %.3f (goal <= 1.1)%s\n", family,
                whole, floors, whole / floors, ok ? "" : "  [FAILURES]");
}

int kestrelBench()
{
    platform::testing::TempDir install, out;
    sim::SioBus line(*sim::SioBus::parseDrives("1:1808,2:1808,3:1808,4:1808"));
    platform::PseudoTerminal pty;
    std::string error;
    if (!pty.open(error, true)) return std::fprintf(stderr, "pty: %s\n", error.c_str()), 1;
    sim::SioSimRunner runner(line, pty.masterFd());
    if (!runner.start()) return 1;
    setenv("AVIARY_COM7", pty.slavePath().c_str(), 1);
    backup::KestrelLine settings;
    settings.installDir = install.path();
    settings.port = 7;
    settings.tWait = 2;
    settings.tRts = 0;
    backup::KestrelBus bus(settings);
    // The database of the version is uploaded once, before anything is timed.
    backup::FoundDrive first;
    if (!bus.identify(1, first, error) || !bus.backup(first, out.path() + "/warm.par", {}, error))
        return std::fprintf(stderr, "kestrel: %s\n", error.c_str()), 1;
    measure("kestrel", bus, out.path());
    return 0;
}

int runAndWait(std::vector<std::string> args)
{
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int merlinBench()
{
    platform::testing::TempDir registry, install, out;
    setenv("AVIARY_REGISTRY", registry.path().c_str(), 1);
    if (runAndWait({(binDir() / "tern").string(), "/RegServer"}) != 0) return std::fprintf(stderr, "tern\n"), 1;
    qDBusRegisterMetaType<QMap<QString, QString>>();
    const QMap<QString, QString> env{{"AVIARY_REGISTRY", QString::fromStdString(registry.path())}};
    QDBusConnection::sessionBus().interface()->call("UpdateActivationEnvironment", QVariant::fromValue(env));
    std::filesystem::create_directory_symlink(binDir() / "DeviceData", install.path() + "/DeviceData");

    sim::MerlinDriveModel model;
    std::string error;
    for (const int a : kAddresses) {
        auto drive = sim::loadDrive((binDir() / "DeviceData").string(), "LM3_Normal_V3.dpf", 0, error);
        if (!drive) return std::fprintf(stderr, "merlin: %s\n", error.c_str()), 1;
        model.addDrive(static_cast<uint8_t>(a), std::move(drive));
    }
    sim::ModbusSlaveRunner runner(model, {});
    if (!runner.startPty(error) || !platform::setComPortDevice(1, runner.ptyPath()))
        return std::fprintf(stderr, "merlin simulator: %s\n", error.c_str()), 1;
    merlin::LinkSettings settings;
    settings.comPort = 1;
    settings.timeoutMs = 200;
    settings.requestDelayMs = 1;
    backup::MerlinBus bus(install.path(), settings);
    if (!bus.linked(error)) return std::fprintf(stderr, "merlin: %s\n", error.c_str()), 1;
    measure("merlin", bus, out.path());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!bench::onPrivateBus("BACKUP_BENCH_PRIVATE_BUS")) return 1;
    QCoreApplication app(argc, argv);
    const int k = kestrelBench();
    const int m = merlinBench();
    return k || m;
}
