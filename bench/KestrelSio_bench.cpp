// SIO telegram timing against its floor, at 9600 baud with the default
// timing settings (tRTS 30 ms, tWait 50 ms), on a paced memory line with a
// simulated drive:
//  - one read exchange: floor = request on the wire + tRTS + tWait (the reply
//    arrives during tWait);
//  - a full database upload: floor = one block read per record plus the
//    first and the closing one, each request on the wire + tRTS + tWait.
// Prints ratios; nothing is asserted.
#include <kestrel/core/CTransfer.h>
#include <kestrel/core/CTelegram.h>
#include <kestrel/core/DeviceConnection.h>
#include <kestrel/core/KestrelState.h>
#include <platform/testing/TempDir.h>
#include <sim/sio/SioBus.h>

#include "PacedSioLine.h"
#include "SioTiming.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

using namespace kestrel;
using bench::Clock;
using bench::ms;

int main(int argc, char** argv)
{
    const int reads = argc > 1 ? std::atoi(argv[1]) : 20;
    platform::testing::TempDir dir;
    std::filesystem::create_directories(dir.path() + "/tvk");
    std::filesystem::create_directories(dir.path() + "/parameter");
    state().installDir = dir.path();
    state().settings = TelegramSettings{};  // defaults: 8 repeats, tRTS 30, tWait 50, 9600 8N1
    state().currentAddress.assign(1, '1');  // (a plain "1" trips a GCC 12 -Wrestrict false alarm)

    bench::PacedSioLine sio;
    if (!sio.start()) return 1;
    CTelegram& telegram = sio.telegram;

    const TelegramSettings& s = state().settings;
    const double readFloor = bench::wireMs9600(8) + s.tRts + s.tWait;
    telegram.OpenPort(false);
    int ok = 0;
    const auto t0 = Clock::now();
    for (int i = 0; i < reads; ++i)
        ok += telegram.ReadParameter("00E4") ? 1 : 0;
    const double perRead = ms(Clock::now() - t0) / reads;
    telegram.ClosePort(false);
    std::printf("read exchange at 9600 baud: %d/%d ok, %.2f ms each, floor %.2f ms, ratio %.3f\n", ok, reads, perRead,
                readFloor, perRead / readFloor);

    if (CheckDatabase(telegram).result != DatabaseCheck::Missing) {
        std::fprintf(stderr, "database check failed\n");
        return 1;
    }
    TransferJob job;
    job.databaseFileName = state().databaseFileName;
    CTransfer upload(telegram, job, true);
    const auto t1 = Clock::now();
    int r = upload.Open();
    while (r == 0 && (r = upload.Tick()) == CTransfer::GoOn)
        r = 0;
    const double total = ms(Clock::now() - t1);
    upload.Finish(r);
    const int records = static_cast<int>(sim::SioCatalogue::forVersion(1808)->records().size());
    // FFF0 and 00AC at the dialog's opening, 00E8, then FFFF, one FFFE per
    // further record and the FFFE that finds no record left, 00AC at the end.
    const double floor = 4 * readFloor + (records + 1) * readFloor;
    std::printf("database upload of %d records: result %d, %.0f ms, floor %.0f ms, ratio %.3f\n", records, r, total,
                floor, total / floor);
    return 0;
}
