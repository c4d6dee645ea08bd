// Upload All and Download All of the 171-parameter definition through the
// link server, against a simulated drive that keeps 19200 baud on its
// pseudo-terminal (it takes each request at wire speed and answers at wire
// speed). Reported: the time of each transfer as a ratio to the wire floor
// of the requests it made: every request and response byte at 10 bits, and
// the 3.5 characters of silence by which the drive knows a request is over
// (a response's end is known from its length).
//
// Runs on a private session bus of its own (dbus-run-session with the build's
// configuration) and a registry in a temporary directory.
#include <merlin/core/TransferDialog.h>
#include <merlin/link/CTernLink.h>
#include <sim/modbus/ModbusSlaveRunner.h>
#include <sim/modbusdrive/MerlinDriveLoader.h>
#include <sim/modbusdrive/MerlinDriveModel.h>

#include <bench/PrivateBus.h>
#include <platform/PortMap.h>
#include <platform/testing/Ser2netServer.h>
#include <platform/testing/TempDir.h>

#include <QCoreApplication>


#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kCom = 4;
constexpr uint32_t kBaud = 19200;
constexpr unsigned kBitsPerCharacter = 10;
constexpr int kRounds = 3;
constexpr const char* kDefinition = "LM3_Normal_V3.dpf";

std::filesystem::path buildDir() { return bench::selfPath().parent_path().parent_path(); }

// Counts the exchanges a transfer makes, passing them on.
class CountingLink : public merlin::CModbusLink {
public:
    explicit CountingLink(merlin::CModbusLink& link) : link_(link) {}
    bool OpenLink() override { return link_.OpenLink(); }
    bool OpenLinkWithTimeout(uint32_t ms) override { return link_.OpenLinkWithTimeout(ms); }
    void CloseLink() override { link_.CloseLink(); }
    void SetRetries(int r) override { link_.SetRetries(r); }
    void RestoreRetries() override { link_.RestoreRetries(); }
    int ReadRegister(int station, int offset, uint16_t& value) override
    {
        ++reads;
        return link_.ReadRegister(station, offset, value);
    }
    int WriteRegister(int station, int offset, uint16_t value) override
    {
        ++writes;
        return link_.WriteRegister(station, offset, value);
    }
    int reads = 0;
    int writes = 0;

private:
    merlin::CModbusLink& link_;
};

// Function 3 of one register: 8 bytes out, 7 back; function 6: 8 and 8.
double floorSeconds(int reads, int writes)
{
    const double characters = reads * (8 + 7 + 3.5) + writes * (8 + 8 + 3.5);
    return characters * kBitsPerCharacter / kBaud;
}

struct Measured {
    double seconds = 0;
    int reads = 0, writes = 0, failures = 0;
};

Measured runTransfer(merlin::TransferDirection direction, merlin::CModbusLink& link, merlin::CParSet& set)
{
    CountingLink counting(link);
    merlin::TransferDialog dialog(direction, counting, 1, set);
    const auto start = Clock::now();
    dialog.Start(0);
    while (dialog.Tick(0) == merlin::TransferDialog::Step::Continue) {
    }
    Measured m;
    m.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    m.reads = counting.reads;
    m.writes = counting.writes;
    m.failures = static_cast<int>(dialog.failureRows().size()) + (dialog.completed() ? 0 : 1000);
    return m;
}

void report(const char* what, const Measured& m)
{
    const double floor = floorSeconds(m.reads, m.writes);
    std::printf("  %-13s %4d reads %4d writes  %7.3f s  wire floor %7.3f s  ratio %.3f  failures %d\n", what, m.reads,
                m.writes, m.seconds, floor, m.seconds / floor, m.failures);
}

int measure()
{
    platform::testing::TempDir registry;
    if (!bench::registerLinkServer(registry.path())) {
        std::fprintf(stderr, "cannot register the link server\n");
        return 1;
    }
    sim::MerlinDriveModel model;
    std::string message;
    const std::string definitions = (buildDir() / "bin" / "DeviceData").string();
    model.addDrive(1, sim::loadDrive(definitions, kDefinition, 0, message));
    sim::ModbusRunnerOptions options;
    options.paceBaud = kBaud;
    options.bitsPerCharacter = kBitsPerCharacter;
    sim::ModbusSlaveRunner runner(model, options);
    std::string error;
    if (!runner.startPty(error)) {
        std::fprintf(stderr, "simulated drive: %s\n", error.c_str());
        return 1;
    }
    // MERLIN_BENCH_SER2NET=rfc2217 or raw: the drive behind a real ser2net
    // on loopback, as in a far cabinet, set as the guide advises (no
    // chardelay). Compare with a run without it, on the pty, made at the
    // same time: on a busy machine the floor ratio of both moves together.
    std::unique_ptr<platform::testing::Ser2netServer> server;
    std::string device = runner.ptyPath();
    if (const char* kind = std::getenv("MERLIN_BENCH_SER2NET")) {
        using K = platform::testing::Ser2netServer::Kind;
        server = std::make_unique<platform::testing::Ser2netServer>(
            runner.ptyPath(), std::string(kind) == "raw" ? K::Raw : K::Rfc2217, std::to_string(kBaud) + "n81");
        if (!server->ok()) {
            std::fprintf(stderr, "ser2net: %s\n", server->error().c_str());
            return 1;
        }
        device = server->url();
        std::printf("line: %s\n", device.c_str());
    }
    if (!platform::setComPortDevice(kCom, device)) return 1;
    merlin::LinkSettings settings;
    settings.comPort = kCom;
    settings.baudRate = kBaud;
    settings.timeoutMs = 500;
    settings.requestDelayMs = 0;
    merlin::CTernLink link(settings);
    if (!link.OpenLink()) {
        std::fprintf(stderr, "cannot open the link\n");
        return 1;
    }
    merlin::CDpfParSet set(definitions.substr(0, definitions.size() - std::string("/DeviceData").size()));
    set.SetTrace(nullptr);
    set.LoadDefinition(kDefinition);
    std::printf("Upload All / Download All, %d parameters, %u baud, through Tern (%d rounds)\n", set.Count(), kBaud,
                kRounds);
    int failures = 0;
    for (int round = 0; round < kRounds; ++round) {
        const Measured up = runTransfer(merlin::TransferDirection::Upload, link, set);
        const Measured down = runTransfer(merlin::TransferDirection::Download, link, set);
        report("Upload All", up);
        report("Download All", down);
        failures += up.failures + down.failures;
    }
    link.CloseLink();
    return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!bench::onPrivateBus("MERLIN_BENCH_PRIVATE_BUS")) return 1;
    QCoreApplication app(argc, argv);
    return measure();
}
