// Upload All and Download All of a 194-parameter online list, and the
// keypad window's status poll, through their view models against a paced
// simulated drive at 9600 baud with the default timing (tRTS 30 ms, tWait
// 50 ms):
//  - transfers: the time from the transfer dialog's opening to its end
//    against the sum of the telegram floors of every telegram it sent
//    (request on the wire + tRTS + tWait; replies arrive within tWait);
//  - keypad: the achieved poll period against the 100 ms poll; the window
//    starts each tick 100 ms after the previous one started (never while
//    one runs), as its timer does.
// Prints ratios; nothing is asserted.
#include <kestrel/core/BulkTransferFlow.h>
#include <kestrel/core/CKeypadControl.h>
#include <kestrel/core/CTelegram.h>
#include <kestrel/core/DeviceConnection.h>
#include <kestrel/core/KestrelState.h>
#include <kestrel/core/TransferModel.h>
#include <platform/testing/TempDir.h>
#include <sim/sio/SioBus.h>

#include "PacedSioLine.h"
#include "SioTiming.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

using namespace kestrel;
using bench::Clock;
using bench::ms;

namespace {

struct Counts {
    int telegrams = 0;
    int writes = 0;
};

Counts counts(sim::SioBus& bus)
{
    Counts c;
    c.telegrams = bus.telegrams();
    bus.withDrive(1, [&](sim::SioDrive& d) { c.writes = d.writesAccepted(); });
    return c;
}

}  // namespace

int main(int argc, char** argv)
{
    const int polls = argc > 1 ? std::atoi(argv[1]) : 20;
    platform::testing::TempDir dir;
    std::filesystem::create_directories(dir.path() + "/tvk");
    std::filesystem::create_directories(dir.path() + "/parameter");
    state().installDir = dir.path();
    state().settings = TelegramSettings{};
    state().noDevice = false;

    bench::PacedSioLine sio;
    if (!sio.start()) return 1;
    CTelegram& telegram = sio.telegram;
    sim::SioBus& bus = sio.bus;

    // The database as a quick connection would find it, and the list.
    state().currentAddress.assign(1, '1');
    if (CheckDatabase(telegram).result != DatabaseCheck::Missing) {
        std::fprintf(stderr, "database check failed\n");
        return 1;
    }
    {
        TransferJob upload;
        upload.databaseFileName = state().databaseFileName;
        TransferModel db(telegram, TransferModel::Mode::Database, upload);
        auto st = db.Open();
        while (st == TransferModel::State::Running)
            st = db.Tick();
    }
    const std::string work = MakeWorkingFile(state().installPath(state().databaseFileName));
    const TransferList list{work, state().databaseFileName, "1", "ADDR=01\"Bench\"", "LIST  A"};
    const int records = static_cast<int>(std::filesystem::file_size(work) / 10);

    const TelegramSettings& s = state().settings;
    const double readFloor = bench::wireMs9600(8) + s.tRts + s.tWait;
    const double writeFloor = bench::wireMs9600(14) + s.tRts + s.tWait;
    const BulkTransferFlow::Direction dirs[] = {BulkTransferFlow::Direction::Upload,
                                                BulkTransferFlow::Direction::Download};
    for (auto dir : dirs) {
        // The confirmation's checks (download: 00E8, 00E9) run before the
        // dialog and are not part of its time; count from the dialog on.
        int result = 0;
        Counts atDialog{};
        double took = 0;
        {
            BulkTransferFlow flow(telegram, list, dir);
            for (bool done = false; !done;) {
                const auto step = flow.Next();
                switch (step.kind) {
                case BulkTransferFlow::Step::AskYesNo: flow.Answer(true); break;
                case BulkTransferFlow::Step::ChooseSet: flow.ChooseSet(flow.listSet()); break;
                case BulkTransferFlow::Step::RunTransfer: {
                    atDialog = counts(bus);
                    const auto t0 = Clock::now();
                    TransferModel dialog(telegram, dir == BulkTransferFlow::Direction::Upload
                                                       ? TransferModel::Mode::Upload
                                                       : TransferModel::Mode::Download,
                                         flow.job());
                    auto st = dialog.Open();
                    while (st == TransferModel::State::Running)
                        st = dialog.Tick();
                    took = ms(Clock::now() - t0);
                    result = dialog.result();
                    flow.TransferEnded(result);
                    break;
                }
                case BulkTransferFlow::Step::Done: done = true; break;
                default: break;
                }
            }
        }
        const Counts after = counts(bus);
        const int writes = after.writes - atDialog.writes;
        const int reads = after.telegrams - atDialog.telegrams - writes;
        const double floor = reads * readFloor + writes * writeFloor;
        std::printf("%s All of %d records: result %d, %d reads + %d writes, %.0f ms, floor %.0f ms, ratio %.3f\n",
                    dir == BulkTransferFlow::Direction::Upload ? "Upload" : "Download", records, result, reads,
                    writes, took, floor, took / floor);
    }

    // Keypad: the next tick is due 100 ms after the previous one started.
    state().currentAddress.assign(1, '1');
    CKeypadControl keypad(telegram);
    std::vector<platform::Notice> notices;
    keypad.Open(notices);
    const auto t0 = Clock::now();
    for (int i = 0; i < polls; ++i) {
        const auto start = Clock::now();
        keypad.Tick(true);
        const auto due = start + std::chrono::milliseconds(CKeypadControl::kPollMs);
        std::this_thread::sleep_until(due);
    }
    const double period = ms(Clock::now() - t0) / polls;
    std::printf("keypad poll: %.1f ms per status read against the %d ms timer, ratio %.3f "
                "(one read floor %.1f ms)\n",
                period, CKeypadControl::kPollMs, period / CKeypadControl::kPollMs, readFloor);
    return 0;
}
