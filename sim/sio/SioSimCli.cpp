#include <sim/sio/SioSimCli.h>

#include <sim/sio/SioCommand.h>
#include <sim/sio/SioSimRunner.h>

#include <platform/CommandLine.h>
#include <platform/PseudoTerminal.h>
#include <platform/PosixSerialPort.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace sim {

namespace {

std::atomic<bool> gQuit{false};

void onSignal(int)
{
    gQuit = true;
}

const char* kUsage =
    "usage: aviary-sim sio [options]\n"
    "  --pty                 run on a new pseudo-terminal (default); prints \"PTY <path>\"\n"
    "  --device PATH         run on an existing serial device instead\n"
    "  --drives LIST         drives as address:version, e.g. 1:1808,5:1812 (default 1:1808,2:1812,5:1808)\n"
    "  --echo                RS-485 echo: every received byte goes straight back\n"
    "  --baud N              pace the replies at N baud (8N1)\n"
    "  --fault KIND[:N][@A]  silent, badbcc, truncate, noise (N replies, default all) or delay:MS\n"
    "  --not-sio ADDR        the drive at ADDR is not in SIO control\n"
    "commands on standard input:\n"
    "  keypad <addr> <param> <value>   change a value at the drive's keypad (hexadecimal)\n"
    "  trip <addr> <code>              the drive trips with a fault code (decimal 0..31)\n"
    "  sio <addr> on|off               select or leave SIO control\n"
    "  fault <spec> | clear-faults     inject faults / stop injecting\n"
    "  status <addr>                   print status word, control word and parameter set\n"
    "  quit\n";

struct CliOptions {
    bool pty = true;
    std::string device;
    std::string drives = "1:1808,2:1812,5:1808";
    SioRunnerOptions runner;
    std::vector<SioFault> faults;
    std::vector<int> notSio;
};

int parseArgs(int argc, char** argv, CliOptions& o)
{
    static const std::set<std::string> kValued{"--device", "--drives", "--baud", "--fault", "--not-sio"};
    for (const platform::CommandLineItem& item : platform::splitCommandLine(argc, argv, kValued)) {
        const std::string& a = item.name;
        const bool valued = item.value.has_value();
        const std::string v = item.value.value_or("");
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a == "--pty") {
            o.pty = true;
        } else if (a == "--echo") {
            o.runner.echo = true;
        } else if (a == "--device" && valued) {
            o.device = v;
            o.pty = false;
        } else if (a == "--drives" && valued) {
            o.drives = v;
        } else if (a == "--baud" && valued) {
            o.runner.baud = static_cast<unsigned>(std::strtoul(v.c_str(), nullptr, 10));
        } else if (a == "--fault" && valued) {
            auto f = SioFault::parse(v);
            if (!f) {
                std::fprintf(stderr, "aviary-sim sio: bad fault '%s'\n", v.c_str());
                return 2;
            }
            o.faults.push_back(*f);
        } else if (a == "--not-sio" && valued) {
            o.notSio.push_back(std::atoi(v.c_str()));
        } else {
            std::fprintf(stderr, "aviary-sim sio: unknown or incomplete option '%s'\n%s", a.c_str(), kUsage);
            return 2;
        }
    }
    return -1;
}

// Reads commands from standard input until quit, end of input stops the
// reading but not the drives; a signal ends everything.
void serve(SioBus& bus)
{
    bool stdinOpen = true;
    std::string pending;
    while (!gQuit) {
        if (!stdinOpen) {
            ::poll(nullptr, 0, 100);
            continue;
        }
        pollfd p{STDIN_FILENO, POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0)
            continue;
        char buf[512];
        const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n <= 0) {
            stdinOpen = false;
            continue;
        }
        pending.append(buf, static_cast<size_t>(n));
        size_t nl;
        while ((nl = pending.find('\n')) != std::string::npos) {
            const std::string line = pending.substr(0, nl);
            pending.erase(0, nl + 1);
            const SioCommandResult r = runSioCommand(bus, line);
            if (!r.output.empty()) {
                std::fputs(r.output.c_str(), stdout);
                std::fputc('\n', stdout);
                std::fflush(stdout);
            }
            if (r.quit)
                gQuit = true;
        }
    }
}

}  // namespace

int sioSimMain(int argc, char** argv)
{
    CliOptions o;
    const int rc = parseArgs(argc, argv, o);
    if (rc >= 0)
        return rc;
    const auto drives = SioBus::parseDrives(o.drives);
    if (!drives) {
        std::fprintf(stderr, "aviary-sim sio: bad drive list '%s'\n", o.drives.c_str());
        return 2;
    }
    SioBus bus(*drives);
    for (const auto& f : o.faults) bus.addFault(f);
    for (int a : o.notSio) bus.withDrive(a, [](SioDrive& d) { d.setSioControl(false); });

    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    platform::PseudoTerminal pty;
    platform::PosixSerialPort tty;
    std::unique_ptr<SioSimRunner> runner;
    if (o.pty) {
        std::string error;
        if (!pty.open(error, true)) {
            std::fprintf(stderr, "aviary-sim sio: %s\n", error.c_str());
            return 1;
        }
        runner = std::make_unique<SioSimRunner>(bus, pty.masterFd(), o.runner);
        std::printf("PTY %s\n", pty.slavePath().c_str());
    } else {
        const auto r = tty.open(o.device);
        if (r != platform::SerialResult::Ok) {
            std::fprintf(stderr, "aviary-sim sio: cannot open %s: %s\n", o.device.c_str(), platform::serialResultText(r));
            return 1;
        }
        runner = std::make_unique<SioSimRunner>(bus, tty, o.runner);
        std::printf("DEVICE %s\n", o.device.c_str());
    }
    std::fflush(stdout);
    if (!runner->start()) {
        std::fprintf(stderr, "aviary-sim sio: cannot start\n");
        return 1;
    }
    serve(bus);
    runner->stop();
    return 0;
}

}  // namespace sim
