// A Kestrel SIO read exchange over a serial device server: the simulated
// drive on a pseudo-terminal, reached once directly (the pty floor) and once
// through a real ser2net on loopback as rfc2217:// at 9600 baud, with the
// default timing settings (tRTS 30 ms, tWait 50 ms). Prints both and their
// ratio; nothing is asserted. Needs /usr/sbin/ser2net.
#include <kestrel/core/CTelegram.h>
#include <kestrel/core/KestrelState.h>
#include <platform/PseudoTerminal.h>
#include <platform/testing/Ser2netServer.h>
#include <sim/sio/SioBus.h>
#include <sim/sio/SioSimRunner.h>

#include "SioTiming.h"

#include <cstdio>
#include <cstdlib>

using namespace kestrel;
using bench::Clock;
using bench::ms;

namespace {

// Milliseconds per read of "00E4" over the line COM7 leads to.
double perRead(const std::string& device, int reads, int& ok)
{
    ::setenv("AVIARY_COM7", device.c_str(), 1);
    CTelegram telegram;
    telegram.OpenPort(false);
    ok = 0;
    telegram.ReadParameter("00E4");   // the connection and line settings, not part of an exchange
    const auto t0 = Clock::now();
    for (int i = 0; i < reads; ++i) ok += telegram.ReadParameter("00E4") ? 1 : 0;
    const double each = ms(Clock::now() - t0) / reads;
    telegram.ClosePort(false);
    return each;
}

}  // namespace

int main(int argc, char** argv)
{
    const int reads = argc > 1 ? std::atoi(argv[1]) : 20;
    if (!platform::testing::Ser2netServer::available()) {
        std::fprintf(stderr, "ser2net is not installed\n");
        return 1;
    }
    state().settings = TelegramSettings{};
    state().settings.port = 7;
    state().currentAddress.assign(1, '1');
    platform::PseudoTerminal pty;
    std::string error;
    if (!pty.open(error, true)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    sim::SioBus bus(*sim::SioBus::parseDrives("1:1808"));
    sim::SioSimRunner runner(bus, pty.masterFd());
    if (!runner.start()) return 1;

    int okPty = 0, okRemote = 0;
    const double floor = perRead(pty.slavePath(), reads, okPty);
    platform::testing::Ser2netServer server(pty.slavePath(), platform::testing::Ser2netServer::Kind::Rfc2217);
    if (!server.ok()) {
        std::fprintf(stderr, "%s\n", server.error().c_str());
        return 1;
    }
    const double remote = perRead(server.url(), reads, okRemote);
    std::printf("SIO read at 9600 baud: pty %.2f ms (%d/%d ok), rfc2217 through ser2net %.2f ms (%d/%d ok), "
                "ratio %.3f\n",
                floor, okPty, reads, remote, okRemote, reads, remote / floor);
    return 0;
}
