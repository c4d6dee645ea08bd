// The link server's added cost per call: ReadOutputRegisters of one holding
// register through the server (client library, session bus, server, engine)
// against the engine called directly, on the same simulated slave behind a
// pseudo-terminal, in the same run. Rounds alternate between the two so
// that both see the same machine load.
//
// Runs on a private session bus of its own (dbus-run-session with the build's
// configuration) and a registry in a temporary directory, so it never
// touches the user's session.
#include <bench/PrivateBus.h>
#include <tern/client/ModBusLinkClient.h>
#include <tern/engine/CLocalModbus.h>

#include <sim/modbus/ModbusMapModel.h>
#include <sim/modbus/ModbusSlaveRunner.h>

#include <platform/PortMap.h>
#include <platform/testing/TempDir.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMetaType>
#include <QDBusReply>
#include <QMap>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 6;
constexpr int kCallsPerRound = 500;
constexpr int kWarmUp = 50;


// Microseconds per call of each call, timed one by one.
std::vector<double> timeCalls(int count, const std::function<bool()>& call, int& failures)
{
    std::vector<double> us;
    for (int i = 0; i < count; ++i) {
        const auto start = Clock::now();
        if (!call()) ++failures;
        us.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    return us;
}

// CPU time a process has used so far, in microseconds (0 when unknown).
double processCpuUs(pid_t pid)
{
    std::FILE* f = std::fopen(("/proc/" + std::to_string(pid) + "/stat").c_str(), "r");
    if (!f) return 0;
    char text[1024] = {};
    const size_t n = std::fread(text, 1, sizeof text - 1, f);
    std::fclose(f);
    const char* p = std::strrchr(text, ')');
    unsigned long utime = 0, stime = 0;
    if (n == 0 || !p || std::sscanf(p + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &utime, &stime) != 2)
        return 0;
    return static_cast<double>(utime + stime) * 1e6 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double ownCpuUs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

double loadAverage()
{
    double load[1] = {0};
    return getloadavg(load, 1) == 1 ? load[0] : 0;
}

pid_t busPeerPid(const QString& name)
{
    const QDBusReply<uint> pid = QDBusConnection::sessionBus().interface()->servicePid(name);
    return pid.isValid() ? static_cast<pid_t>(pid.value()) : 0;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double mean(const std::vector<double>& v)
{
    return v.empty() ? 0 : std::accumulate(v.begin(), v.end(), 0.0) / static_cast<double>(v.size());
}

bool connectLink(tern::ModBusLinkClient& link)
{
    tern::VARIANT_BOOL ok = tern::VARIANT_FALSE;
    return link.OpenConnection("BENCH", 1, &ok) == tern::S_OK && link.put_ComPort(1) == tern::S_OK &&
           link.Connect(&ok) == tern::S_OK && ok == tern::VARIANT_TRUE;
}

int measureCalls()
{
    platform::testing::TempDir registry;
    if (!bench::registerLinkServer(registry.path())) return 1;
    sim::ModbusMapModel model({1}, 1000);
    model.fill();
    sim::ModbusSlaveRunner runner(model);
    std::string error;
    if (!runner.startPty(error) || !platform::setComPortDevice(1, runner.ptyPath())) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return 1;
    }
    tern::CLocalModbus engine;
    engine.SetComPort(1);
    tern::ModBusLinkClient link;
    if (link.CreateInstance() != tern::S_OK) {
        std::fprintf(stderr, "cannot create the link object\n");
        return 1;
    }
    std::vector<uint16_t> words(1);
    auto direct = [&] { return engine.ReadOutputRegisters(1, 7, 1, words) == 0 && words[0] == 1007; };
    auto served = [&] {
        tern::COleVariant values;
        int32_t ret = -1;
        return link.ReadOutputRegisters(1, 7, 1, &values, tern::COleVariant::Missing(), tern::COleVariant::Missing(),
                                        &ret) == tern::S_OK &&
               ret == 0 && values.array() && values.array()->integerAt(0) == 1007;
    };
    const pid_t server = busPeerPid(link.serverName());
    const pid_t daemon = busPeerPid("org.freedesktop.DBus");
    auto property = [&] {
        int16_t retries = 0;
        return link.get_Retries(&retries) == tern::S_OK && retries == 1;
    };
    std::vector<double> engineUs, serverUs, propertyUs;
    double engineCpu = 0, servedCpu = 0, serverCpu = 0, daemonCpu = 0;
    int failures = 0;
    for (int round = 0; round < kRounds; ++round) {
        // The port belongs to one opener at a time.
        if (!engine.Open()) return std::fprintf(stderr, "engine cannot open the port\n"), 1;
        timeCalls(kWarmUp, direct, failures);
        double cpu = ownCpuUs();
        auto e = timeCalls(kCallsPerRound, direct, failures);
        engineCpu += ownCpuUs() - cpu;
        engine.Close();
        if (!connectLink(link)) return std::fprintf(stderr, "server cannot open the port\n"), 1;
        timeCalls(kWarmUp, served, failures);
        cpu = ownCpuUs();
        const double serverBefore = processCpuUs(server), daemonBefore = processCpuUs(daemon);
        auto s = timeCalls(kCallsPerRound, served, failures);
        servedCpu += ownCpuUs() - cpu;
        serverCpu += processCpuUs(server) - serverBefore;
        daemonCpu += processCpuUs(daemon) - daemonBefore;
        auto p = timeCalls(kCallsPerRound, property, failures);
        propertyUs.insert(propertyUs.end(), p.begin(), p.end());
        link.CloseConnection();
        engineUs.insert(engineUs.end(), e.begin(), e.end());
        serverUs.insert(serverUs.end(), s.begin(), s.end());
    }
    std::printf("ReadOutputRegisters, 1 register, %d calls each, %d failures\n", kRounds * kCallsPerRound, failures);
    std::printf("  engine directly:    median %8.1f us   mean %8.1f us\n", median(engineUs), mean(engineUs));
    std::printf("  through the server: median %8.1f us   mean %8.1f us\n", median(serverUs), mean(serverUs));
    std::printf("  a property read (bus round trip, no line): median %6.1f us   mean %8.1f us\n", median(propertyUs),
                mean(propertyUs));
    std::printf("  added by the server: median %7.1f us   mean %8.1f us   (goal: under 300 us)\n",
                median(serverUs) - median(engineUs), mean(serverUs) - mean(engineUs));
    const double calls = kRounds * kCallsPerRound;
    std::printf("  processor time per call: engine %.1f us; served: client %.1f us, server %.1f us, bus %.1f us;"
                " added %.1f us\n",
                engineCpu / calls, servedCpu / calls, serverCpu / calls, daemonCpu / calls,
                (servedCpu + serverCpu + daemonCpu - engineCpu) / calls);
    std::printf("  machine load (1 min): %.2f on %ld processors\n", loadAverage(), sysconf(_SC_NPROCESSORS_ONLN));
    return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!bench::onPrivateBus("TERN_BENCH_PRIVATE_BUS")) return 1;
    QCoreApplication app(argc, argv);
    return measureCalls();
}
