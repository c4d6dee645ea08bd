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
//
// Two lines at once: two aviary-backup processes, one per line (a timer per
// line starts them so), against each alone, in the same run: the time of
// both at once over the longer of the two alone (goal: at most 1.1). Each
// run is its own process with its own working folder and line, so nothing
// but the machine is shared. Merlin's simulators pace their replies at 19200
// baud, so that the wire, as on a plant, and not this machine's processor is
// what a run waits for.
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

#include <fcntl.h>
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
const std::vector<int> kAddresses{1, 2, 3, 4};

std::filesystem::path binDir() { return bench::selfPath().parent_path().parent_path() / "bin"; }

double seconds(const std::function<bool()>& work, bool& ok)
{
    const auto start = Clock::now();
    ok = work() && ok;
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Best-of-rounds time of each drive alone, summed, and of one run over all.
void measure(const char* family, backup::DriveBus& bus, const std::string& outDir, int rounds)
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
    backup::BackupOptions options;
    options.family = family;
    options.command = backup::Command::Backup;
    options.outputDir = outDir;
    options.addresses = kAddresses;
    options.force = true;
    // Rounds alternate between the single drives and the whole run, so that
    // both see the same machine load; each keeps its best.
    std::vector<double> single(drives.size(), 1e9);
    double whole = 1e9;
    for (int r = 0; r < rounds; ++r) {
        for (size_t i = 0; i < drives.size(); ++i)
            single[i] = std::min(single[i], seconds([&] {
                std::string error;
                return bus.backup(drives[i], outDir + "/single.par", {}, error);
            }, ok));
        whole = std::min(whole, seconds([&] {
            std::ostringstream out, err;
            backup::ProgressBar progress(stderr, false);
            return backup::BackupRun(bus, options, out, err, progress).run() == backup::kExitOk;
        }, ok));
    }
    double floors = 0;
    for (const double s : single) floors += s;
    std::printf("%-8s 4 drives: run %.3f s, sum of single-drive floors %.3f s, ratio %.3f (goal <= 1.1)%s\n", family,
                whole, floors, whole / floors, ok ? "" : "  [FAILURES]");
}

// Every command started at once, each with its output thrown away; the time
// until the last has ended.
double runAtOnce(const std::vector<std::vector<std::string>>& commands, bool& ok)
{
    const auto start = Clock::now();
    std::vector<pid_t> pids;
    for (const auto& command : commands) {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        std::vector<std::string> copy = command;
        std::vector<char*> argv;
        for (auto& a : copy) argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_t pid = -1;
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) pids.push_back(pid);
        else ok = false;
        posix_spawn_file_actions_destroy(&actions);
    }
    for (const pid_t pid : pids) {
        int status = 0;
        ok = waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0 && ok;
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void twoLines(const char* family, const std::vector<std::string>& a, const std::vector<std::string>& b, int rounds)
{
    bool ok = true;
    double aloneA = 1e9, aloneB = 1e9, both = 1e9;
    for (int r = 0; r < rounds; ++r) {
        aloneA = std::min(aloneA, runAtOnce({a}, ok));
        aloneB = std::min(aloneB, runAtOnce({b}, ok));
        both = std::min(both, runAtOnce({a, b}, ok));
    }
    const double longer = std::max(aloneA, aloneB);
    std::printf("%-8s two lines at once %.3f s, the longer alone %.3f s (%.3f / %.3f), ratio %.3f (goal <= 1.1)%s\n",
                family, both, longer, aloneA, aloneB, both / longer, ok ? "" : "  [FAILURES]");
}

std::vector<std::string> backupCommand(const std::string& family, const std::string& port, const std::string& install,
                                       const std::string& out, std::vector<std::string> timing)
{
    std::vector<std::string> c{(binDir() / "aviary-backup").string(), "--family", family, "--port", port,
                               "--install", install, "--dir", out};
    c.insert(c.end(), timing.begin(), timing.end());
    c.insert(c.end(), {"backup", "1", "2"});
    return c;
}

int kestrelTwoLines()
{
    platform::testing::TempDir install, out;
    std::filesystem::create_directory(install.path() + "/tvk");
    sim::SioBus lineA(*sim::SioBus::parseDrives("1:1808,2:1808"));
    sim::SioBus lineB(*sim::SioBus::parseDrives("1:1808,2:1808"));
    platform::PseudoTerminal ptyA, ptyB;
    std::string error;
    if (!ptyA.open(error, true) || !ptyB.open(error, true)) return std::fprintf(stderr, "pty: %s\n", error.c_str()), 1;
    // Unpaced: the telegram object's short waits do not yet fit replies paced
    // at a wire rate, so this figure is bound by the processor, not the line.
    sim::SioSimRunner runnerA(lineA, ptyA.masterFd()), runnerB(lineB, ptyB.masterFd());
    if (!runnerA.start() || !runnerB.start()) return 1;
    const std::vector<std::string> timing{"--wait", "2", "--rts-hold", "0"};
    const auto a = backupCommand("kestrel", ptyA.slavePath(), install.path(), out.path(), timing);
    const auto b = backupCommand("kestrel", ptyB.slavePath(), install.path(), out.path(), timing);
    bool ok = true;
    runAtOnce({a}, ok);  // the database of the version, uploaded once before anything is timed
    twoLines("kestrel", a, b, 3);
    return 0;
}

int merlinTwoLines()
{
    platform::testing::TempDir install, out;
    std::filesystem::create_directory_symlink(binDir() / "DeviceData", install.path() + "/DeviceData");
    sim::MerlinDriveModel modelA, modelB;
    std::string error;
    for (sim::MerlinDriveModel* model : {&modelA, &modelB})
        for (const int a : {1, 2}) {
            auto drive = sim::loadDrive((binDir() / "DeviceData").string(), "LM3_Normal_V3.dpf", 0, error);
            if (!drive) return std::fprintf(stderr, "merlin: %s\n", error.c_str()), 1;
            model->addDrive(static_cast<uint8_t>(a), std::move(drive));
        }
    sim::ModbusRunnerOptions paced;
    paced.paceBaud = 19200;
    sim::ModbusSlaveRunner runnerA(modelA, paced), runnerB(modelB, paced);
    if (!runnerA.startPty(error) || !runnerB.startPty(error) || !platform::setComPortDevice(5, runnerA.ptyPath()) ||
        !platform::setComPortDevice(6, runnerB.ptyPath()))
        return std::fprintf(stderr, "merlin simulator: %s\n", error.c_str()), 1;
    const std::vector<std::string> timing{"--timeout", "200", "--delay", "1"};
    twoLines("merlin", backupCommand("merlin", "COM5", install.path(), out.path(), timing),
             backupCommand("merlin", "COM6", install.path(), out.path(), timing), 6);
    return 0;
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
    measure("kestrel", bus, out.path(), 4);
    return 0;
}

// BACKUP_BENCH_TWO_LINES_ONLY set: only the two lines at once.
bool twoLinesOnly() { return std::getenv("BACKUP_BENCH_TWO_LINES_ONLY") != nullptr; }

int merlinBench()
{
    platform::testing::TempDir registry, install, out;
    if (!bench::registerLinkServer(registry.path())) return 1;
    if (twoLinesOnly()) return merlinTwoLines();
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
    // A Merlin drive is saved in a fraction of a second: more rounds for a steady best.
    measure("merlin", bus, out.path(), 12);
    // Under the same registration and port map.
    return merlinTwoLines();
}

}  // namespace

int main(int argc, char** argv)
{
    if (!bench::onPrivateBus("BACKUP_BENCH_PRIVATE_BUS")) return 1;
    QCoreApplication app(argc, argv);
    const int k = twoLinesOnly() ? 0 : kestrelBench();
    const int m = merlinBench();
    const int k2 = kestrelTwoLines();
    return k || m || k2;
}
