// Many clients on one line: eight client processes share the serial
// connection "XYZ" while a ninth is killed in the middle of its run and a
// tenth works its own line. Every reply must belong to its request (each
// worker reads back the register only it writes), nothing may be lost, and
// the second line must not wait for the busy one.
#include <tern/client/ModBusLinkClient.h>
#include <tern/automation/ErrorInfo.h>
#include <tern/tests/ServerBusTesting.h>

#include <cstdio>

namespace tern {
namespace {

using namespace tern::testkit;

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new TernBusEnvironment);

constexpr int kWorkers = 8;
constexpr int kRequests = 500;

std::string environment(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

// Register 1000 + 10 i is written only by worker i; the one after it keeps
// the simulator's fill value.
uint16_t ownRegister(int index) { return static_cast<uint16_t>(1000 + 10 * index); }

// Run as a child: alternately writes its own register and reads it back with
// its neighbour, counting every reply that is not the answer to its request.
TEST(TernLoadWorker, Run)
{
    if (environment("TERN_TEST_ROLE") != "load") GTEST_SKIP() << "runs as a child of the load test";
    const int index = std::atoi(environment("TERN_LOAD_INDEX").c_str());
    const int requests = std::atoi(environment("TERN_LOAD_REQUESTS").c_str());
    const auto com = static_cast<int16_t>(std::atoi(environment("TERN_LOAD_COM").c_str()));
    ModBusLinkClient link;
    ASSERT_EQ(link.CreateInstance(), S_OK);
    VARIANT_BOOL ok = VARIANT_FALSE;
    ASSERT_EQ(link.OpenConnection(environment("TERN_LOAD_CONNECTION"), 1, &ok), S_OK);
    ASSERT_EQ(link.put_ComPort(com), S_OK);
    ASSERT_EQ(link.put_TimeOut(1000), S_OK);
    ASSERT_EQ(link.Connect(&ok), S_OK);  // the first worker opens the port, the others find it open

    const uint16_t own = ownRegister(index);
    int mismatches = 0;
    uint16_t written = 0;
    for (int k = 0; k < requests; ++k) {
        int32_t ret = -1;
        if (k % 2 == 0) {
            written = static_cast<uint16_t>((index << 12) | (k & 0x0FFF));
            if (link.PresetSingleRegister(1, own, COleVariant::I4(written), COleVariant::Missing(), &ret) != S_OK ||
                ret != 0)
                ++mismatches;
        } else {
            COleVariant values;
            const HRESULT hr = link.ReadOutputRegisters(1, own, 2, &values, COleVariant::Missing(),
                                                        COleVariant::Missing(), &ret);
            const COleSafeArray* a = values.array();
            if (hr != S_OK || ret != 0 || !a || a->size() != 2 || a->integerAt(0) != written ||
                a->integerAt(1) != own + 1 + 1000)
                ++mismatches;
        }
        if (k % 50 == 0) {
            std::printf("progress %d\n", k);
            std::fflush(stdout);
        }
    }
    std::printf("done %d mismatches %d\n", requests, mismatches);
    EXPECT_EQ(mismatches, 0);
}

std::unique_ptr<ChildProcess> worker(int index, const std::string& connection, int com, int requests)
{
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    return std::make_unique<ChildProcess>(
        std::vector<std::string>{self, "--gtest_filter=TernLoadWorker.Run"},
        std::map<std::string, std::string>{{"TERN_TEST_ROLE", "load"},
                                           {"TERN_LOAD_INDEX", std::to_string(index)},
                                           {"TERN_LOAD_CONNECTION", connection},
                                           {"TERN_LOAD_COM", std::to_string(com)},
                                           {"TERN_LOAD_REQUESTS", std::to_string(requests)}});
}

TEST(TernServerLoad, EightClientsShareOneLineWhileOneIsKilledAndAnotherLineRuns)
{
    PtySlave shared(1), other(2);
    ASSERT_TRUE(shared.ok() && other.ok());
    // Keeps the server up between the workers' objects.
    ModBusLinkClient keeper;
    ASSERT_EQ(keeper.CreateInstance(), S_OK);

    auto victim = worker(kWorkers, "XYZ", 1, 1000000);
    std::vector<std::unique_ptr<ChildProcess>> workers;
    for (int i = 0; i < kWorkers; ++i) workers.push_back(worker(i, "XYZ", 1, kRequests));
    auto parallel = worker(kWorkers + 1, "OTHER", 2, kRequests);

    ASSERT_TRUE(eventually([&] { return victim->output().find("progress 100") != std::string::npos; }, 8s));
    victim->kill(SIGKILL);

    // The other line has 500 requests to itself; the shared one 4000 among eight.
    EXPECT_TRUE(exitedWith(parallel->wait(9s), 0)) << parallel->output();
    bool sharedStillBusy = false;
    for (auto& w : workers) sharedStillBusy = sharedStillBusy || !w->wait(0ms);
    EXPECT_TRUE(sharedStillBusy) << "the second line did not run beside the shared one";

    for (int i = 0; i < kWorkers; ++i) {
        EXPECT_TRUE(exitedWith(workers[i]->wait(9s), 0)) << "worker " << i << ": " << workers[i]->output();
        EXPECT_NE(workers[i]->output().find("done 500 mismatches 0"), std::string::npos) << workers[i]->output();
    }
    EXPECT_GE(shared.runner().requests(), uint64_t{kWorkers * kRequests});
    EXPECT_EQ(other.runner().requests(), uint64_t{kRequests});

    // The server still serves after all of that.
    VARIANT_BOOL ok = VARIANT_FALSE;
    ASSERT_EQ(keeper.OpenConnection("XYZ", 1, &ok), S_OK);
    ASSERT_EQ(keeper.put_ComPort(1), S_OK);
    ASSERT_EQ(keeper.Connect(&ok), S_OK);
    int32_t ret = -1;
    COleVariant values;
    ASSERT_EQ(keeper.ReadOutputRegisters(1, 7, 1, &values, COleVariant::Missing(), COleVariant::Missing(), &ret), S_OK);
    EXPECT_EQ(ret, 0);
}

}  // namespace
}  // namespace tern
