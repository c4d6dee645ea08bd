// Merlin's parameter scan through the link server: every group of the
// 171-parameter LM3 Normal V3 definition scanned once by the parameter view
// (one ReadRegister per scan step, as the view's timer makes them, but with
// the steps run back to back), online with a simulated drive on a pty paced
// at 19200 baud. Reported as the ratio of the full refresh time to the wire
// floor of the reads made: request + response + the silent interval each
// (goal: 1.3 or less). The view's timer adds its 50 ms per row on top by
// design; that part is the same for any link and is not measured here.
// The pseudo-terminal paces only the simulator's replies: the requests
// cost no line time here, so the ratio flatters a real line by up to the
// requests' share of the floor (8 of the 15 bytes).
//
// Runs on a private session bus (dbus-run-session with the build's
// configuration) and a registry in a temporary directory.
#include <merlin/core/CDpfParSet.h>
#include <merlin/core/MerlinState.h>
#include <merlin/core/ParameterView.h>
#include <merlin/link/CTernLink.h>
#include <sim/modbusdrive/MerlinDriveLoader.h>
#include <sim/modbusdrive/MerlinDriveModel.h>
#include <tern/engine/CLocalModbus.h>
#include <bench/PrivateBus.h>

#include <sim/modbus/ModbusSlaveRunner.h>

#include <platform/PortMap.h>
#include <platform/testing/TempDir.h>

#include <QCoreApplication>


#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint32_t kBaud = 19200;
constexpr unsigned kBitsPerCharacter = 10;  // 8N1
constexpr int kRefreshes = 5;
constexpr const char* kDefinition = "LM3_Normal_V3.dpf";

std::filesystem::path binDir() { return bench::selfPath().parent_path().parent_path() / "bin"; }

// One full refresh: every group, every shown row once. Returns the reads made.
int refresh(merlin::ParameterView& view, const merlin::CDpfParSet& set, int& failures)
{
    int reads = 0;
    for (int g = 0; g < set.NumberOfGroups(); ++g) {
        view.SelectGroup(g);
        const int size = set.GroupSize(g);
        for (int row = 0; row < size; ++row) {
            const int offset = set.RegisterOffsetAt(set.FlatIndex(g, row));
            const bool read = offset != merlin::ParameterView::kPasswordRegister &&
                              offset != merlin::ParameterView::kHiddenRegister;
            if (view.Tick(true) != merlin::ParameterView::kActiveScanMs) ++failures;
            reads += read ? 1 : 0;
        }
    }
    return reads;
}

int measure()
{
    platform::testing::TempDir registry;
    if (!bench::registerLinkServer(registry.path())) return 1;
    std::string error;
    sim::MerlinDriveModel drives;
    drives.addDrive(1, sim::loadDrive((binDir() / "DeviceData").string(), kDefinition, 0, error));
    sim::ModbusSlaveRunner runner(drives, {sim::ModbusFraming::Rtu, kBaud, kBitsPerCharacter});
    if (!runner.startPty(error) || !platform::setComPortDevice(1, runner.ptyPath())) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return 1;
    }
    merlin::CDpfParSet set(binDir());
    set.SetTrace(nullptr);
    if (set.LoadDefinition(kDefinition) != merlin::kLoadOk) return 1;

    merlin::LinkSettings settings;
    settings.comPort = 1;
    settings.baudRate = kBaud;
    settings.requestDelayMs = 1;  // the smallest the program parameters allow
    settings.timeoutMs = 300;
    merlin::CTernLink link(settings);
    if (!link.IsStarted()) return 1;
    bool modified = false;
    merlin::state().openViews = 0;
    merlin::ParameterView view(set, link, "bench", modified);
    view.Show();
    view.GoOnline(1, {set.DeviceType(), set.Application(), set.Version(), "bench"});
    if (!view.online()) {
        std::fprintf(stderr, "the view did not go online\n");
        return 1;
    }
    int failures = 0;
    refresh(view, set, failures);  // warm-up
    std::vector<double> ms;
    int reads = 0;
    for (int r = 0; r < kRefreshes; ++r) {
        const auto start = Clock::now();
        reads = refresh(view, set, failures);
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    // Function 3 of one register: an 8-byte request, a 7-byte response.
    const double perRead = (8 + 7) * kBitsPerCharacter * 1000.0 / kBaud + tern::CLocalModbus::silentTime(8, kBaud);
    const double floor = perRead * reads;
    std::printf("Merlin parameter scan through Tern, %s (%d parameters), %u baud, %d refreshes, %d failures\n",
                kDefinition, set.Count(), kBaud, kRefreshes, failures);
    std::printf("  reads per refresh: %d (the password registers are not read)\n", reads);
    std::printf("  wire floor per refresh: %.1f ms (%.2f ms per read)\n", floor, perRead);
    std::printf("  full refresh: median %.1f ms, best %.1f ms\n", ms[ms.size() / 2], ms.front());
    std::printf("  ratio to the wire floor: median %.2f, best %.2f (goal: 1.3 or less)\n", ms[ms.size() / 2] / floor,
                ms.front() / floor);
    std::printf("  with the view's timer (50 ms a row) a refresh takes %d x 50 ms = %.1f s by design\n", reads,
                reads * 0.05);
    view.GoOffline();
    return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!bench::onPrivateBus("MERLIN_BENCH_PRIVATE_BUS")) return 1;
    QCoreApplication app(argc, argv);
    return measure();
}
