#pragma once
// Simulated SIO drives in this process behind a pseudo-terminal: the code
// under test opens path() as it would a real RS-485 adapter, and the test
// reaches the drives through bus(). The simulator stops before the drives
// and the pty go.
#include <platform/PseudoTerminal.h>
#include <sim/sio/SioBus.h>
#include <sim/sio/SioSimRunner.h>

#include <cstdint>
#include <memory>
#include <string>

namespace sim::testing {

class SioDrivesOnPty {
public:
    // drives as for the simulator ("1:1808,5:1812"); false, with why, when
    // the pseudo-terminal or the simulator does not start.
    bool start(const std::string& drives, std::string& error)
    {
        if (!pty_.open(error, true))
            return false;
        const auto parsed = SioBus::parseDrives(drives);
        if (!parsed) {
            error = "bad drive list " + drives;
            return false;
        }
        bus_ = std::make_unique<SioBus>(*parsed);
        runner_ = std::make_unique<SioSimRunner>(*bus_, pty_.masterFd());
        if (!runner_->start()) {
            error = "the simulator did not start";
            return false;
        }
        return true;
    }

    const std::string& path() const { return pty_.slavePath(); }
    SioBus& bus() { return *bus_; }
    // A parameter's value in a drive.
    uint16_t value(int address, uint16_t number)
    {
        uint16_t v = 0;
        bus_->withDrive(address, [&](SioDrive& d) { v = d.value(number); });
        return v;
    }

private:
    platform::PseudoTerminal pty_;
    std::unique_ptr<SioBus> bus_;
    std::unique_ptr<SioSimRunner> runner_;
};

}  // namespace sim::testing
