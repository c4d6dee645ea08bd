#pragma once
// The network examination as a stepper the examination dialog ticks: start()
// once when the dialog opens, step() on every 2 ms tick (one address each),
// finish() with the result when it ends. Addresses 0..31 are examined in
// order; the table starts from "netlist.cfg" so names survive, and is written
// back at the end whatever the result.
#include <kestrel/core/CDeviceTable.h>
#include <kestrel/core/CTelegram.h>
#include <platform/Notice.h>

#include <vector>

namespace kestrel {

// One address: 1 drive present, 0 none, -1 line never ready, -3 port error.
int ExamineAddress(CTelegram& telegram, CDeviceTable& table, int address);

class CNetworkExamination {
public:
    enum Result { Done = 1, NoLine = -1, NoTimer = -2, PortError = -3 };
    enum StepResult { Finished = 0, GoOn = 1 };

    explicit CNetworkExamination(CTelegram& telegram) : telegram_(telegram) {}

    // 0: start ticking; otherwise the result to finish with (in RTS mode a
    // line that does not even echo ends at once with NoLine).
    int start();
    // GoOn after an address, Finished when all 32 are done (finish with
    // Done), or a negative result to finish with.
    int step();
    // Closes the port, writes the table; returns what to show, in order.
    std::vector<platform::Notice> finish(int result);

    // The end code (EndCodes.h) of an examination result.
    static int endCode(int result);

    // Addresses examined so far (the progress bar position).
    int progress() const { return next_; }
    const CDeviceTable& table() const { return table_; }

    static constexpr const char* kStatusText = "Examining Network...";

private:
    CTelegram& telegram_;
    CDeviceTable table_;
    int next_ = 0;
};

}  // namespace kestrel
