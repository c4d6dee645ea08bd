#pragma once
// One simulated SIO drive (1:1808) behind a memory line paced like a real
// 9600-baud wire, and the telegram object on the other end: the line the
// SIO benchmarks measure against.
#include <kestrel/core/CTelegram.h>
#include <platform/MemoryLine.h>
#include <sim/sio/SioBus.h>
#include <sim/sio/SioSimRunner.h>

#include <cstdio>

namespace bench {

struct PacedSioLine {
    platform::MemoryLine line{paced()};
    sim::SioBus bus{*sim::SioBus::parseDrives("1:1808")};
    sim::SioSimRunner runner{bus, line.b()};
    kestrel::CTelegram telegram;

    // Starts the simulator and attaches the telegram object; false (said on stderr) when it cannot.
    bool start()
    {
        if (!runner.start()) {
            std::fprintf(stderr, "cannot start the simulator\n");
            return false;
        }
        telegram.control().attach(&line.a());
        return true;
    }

private:
    static platform::MemoryLineOptions paced()
    {
        platform::MemoryLineOptions o;
        o.pacing = true;
        return o;
    }
};

}  // namespace bench
