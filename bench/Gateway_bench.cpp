// The Modbus/TCP gateway on a paced 19200-baud line (the simulator on a
// pseudo-terminal): how busy four TCP masters and a bus client scanning as
// Merlin does keep the line, how evenly the fair queue serves them, whether
// every reply answers its own request, what a TCP request adds to a bare
// serial exchange, and what the bus monitor's capture costs.
//
// Run: build/bench/Gateway_bench  (it starts its own private bus)
#include <bench/PrivateBus.h>

#include <tern/client/BusMonitorClient.h>
#include <tern/client/ModBusLinkClient.h>
#include <tern/engine/CLocalModbus.h>

#include <sim/modbus/ModbusMapModel.h>
#include <sim/modbus/ModbusSlaveRunner.h>

#include <platform/testing/TempDir.h>

#include <QCoreApplication>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <regex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
constexpr uint32_t kBaud = 19200;
constexpr int kClients = 4;
constexpr uint16_t kRegisters = 10;  // per TCP request

double median(std::vector<double> v)
{
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Wire time of an RTU frame of n bytes plus the 3.5-character silence after it.
double frameSeconds(size_t bytes) { return (static_cast<double>(bytes) + 3.5) * 10.0 / kBaud; }

// The gateway program; its port once it listens.
struct Gateway {
    pid_t pid = -1;
    uint16_t port = 0;
    explicit Gateway(const std::string& tern)
    {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        std::vector<std::string> args{tern, "--gateway", "127.0.0.1:0", "--line", "COM1", "--baud", "19200",
                                      "--timeout", "300"};
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        std::string text;
        char buffer[256];
        const std::regex listen("LISTEN 127\\.0\\.0\\.1:([0-9]+)");
        std::smatch m;
        pollfd p{out[0], POLLIN, 0};
        while (poll(&p, 1, 8000) > 0) {
            const ssize_t n = read(out[0], buffer, sizeof buffer);
            if (n <= 0) break;
            text.append(buffer, static_cast<size_t>(n));
            if (std::regex_search(text, m, listen)) {
                port = static_cast<uint16_t>(std::stoi(m[1]));
                break;
            }
        }
        close(out[0]);
    }
    ~Gateway()
    {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
};

int connectTo(uint16_t port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    inet_pton(AF_INET, "127.0.0.1", &a.sin_addr);
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

bool readAll(int fd, uint8_t* p, size_t n)
{
    while (n > 0) {
        const ssize_t got = recv(fd, p, n, 0);
        if (got <= 0) return false;
        p += got;
        n -= static_cast<size_t>(got);
    }
    return true;
}

// One read of kRegisters from the unit through the gateway; false when the
// reply is not the answer to this request.
bool tcpRead(int fd, uint16_t transaction, uint8_t unit, uint16_t start)
{
    const uint8_t req[12] = {uint8_t(transaction >> 8), uint8_t(transaction), 0, 0, 0, 6, unit, 3,
                             uint8_t(start >> 8), uint8_t(start), 0, kRegisters};
    if (send(fd, req, sizeof req, MSG_NOSIGNAL) != sizeof req) return false;
    uint8_t reply[9 + 2 * kRegisters];
    if (!readAll(fd, reply, sizeof reply)) return false;
    if (reply[0] != req[0] || reply[1] != req[1] || reply[6] != unit || reply[7] != 3) return false;
    const uint16_t first = static_cast<uint16_t>(reply[9] << 8 | reply[10]);
    return first == static_cast<uint16_t>(start + 1000u * unit);
}

struct Load {
    std::atomic<bool> stop{false};
    std::atomic<uint64_t> served[kClients]{};
    std::atomic<uint64_t> mismatched{0};
    std::vector<double> firstClientMs;
};

void tcpClient(uint16_t port, int index, Load& load)
{
    const int fd = connectTo(port);
    if (fd < 0) return;
    const auto unit = static_cast<uint8_t>(1 + index);
    for (uint16_t t = 0; !load.stop; ++t) {
        const auto start = Clock::now();
        if (tcpRead(fd, t, unit, static_cast<uint16_t>(t % 500))) ++load.served[index];
        else ++load.mismatched;
        if (index == 0) load.firstClientMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    close(fd);
}

struct Round {
    double seconds = 0;
    uint64_t tcp[kClients] = {};
    uint64_t scans = 0, mismatched = 0;
    double busy = 0;
};

// Four TCP masters and the bus client's scan for the given time.
Round runLoad(uint16_t port, tern::ModBusLinkClient& scanner, double seconds)
{
    Load load;
    std::vector<std::thread> clients;
    for (int i = 0; i < kClients; ++i) clients.emplace_back(tcpClient, port, i, std::ref(load));
    Round r;
    const auto start = Clock::now();
    while (std::chrono::duration<double>(Clock::now() - start).count() < seconds) {
        int32_t ret = -1;
        tern::COleVariant values;
        const int reg = 700 + static_cast<int>(r.scans % 50);
        scanner.ReadOutputRegisters(1, reg, 1, &values, tern::COleVariant::Missing(), tern::COleVariant::Missing(), &ret);
        const tern::COleSafeArray* a = values.array();
        if (ret != 0 || !a || a->size() != 1 || a->integerAt(0) != 1000 + reg) ++r.mismatched;
        ++r.scans;
    }
    load.stop = true;
    for (auto& c : clients) c.join();
    r.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    double wire = static_cast<double>(r.scans) * (frameSeconds(8) + frameSeconds(7));
    for (int i = 0; i < kClients; ++i) {
        r.tcp[i] = load.served[i];
        wire += static_cast<double>(r.tcp[i]) * (frameSeconds(8) + frameSeconds(5 + 2 * kRegisters));
    }
    r.mismatched += load.mismatched;
    r.busy = wire / r.seconds;
    return r;
}

double serialBaseline(std::vector<double>& ms)
{
    tern::CLocalModbus line;
    line.SetComPort(1);
    line.SetBaudRate(kBaud);
    if (!line.Open()) return 0;
    std::vector<uint16_t> v;
    for (int i = 0; i < 300; ++i) {
        const auto start = Clock::now();
        line.ReadOutputRegisters(1, static_cast<uint16_t>(i), kRegisters, v);
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return median(ms);
}

int measure()
{
    platform::testing::TempDir registry;
    if (!bench::registerLinkServer(registry.path())) return 1;
    sim::ModbusMapModel model({1, 2, 3, 4}, 2000);
    model.fill();
    sim::ModbusRunnerOptions options;
    options.paceBaud = kBaud;
    sim::ModbusSlaveRunner runner(model, options);
    std::string error;
    if (!runner.startPty(error)) return std::fprintf(stderr, "simulator: %s\n", error.c_str()), 1;
    setenv("AVIARY_COM1", runner.ptyPath().c_str(), 1);

    std::vector<double> serialMs;
    const double bare = serialBaseline(serialMs);

    Gateway gateway((bench::selfPath().parent_path().parent_path() / "bin" / "tern").string());
    if (gateway.port == 0) return std::fprintf(stderr, "the gateway did not start\n"), 1;
    std::vector<double> tcpMs;
    {
        const int fd = connectTo(gateway.port);
        for (uint16_t i = 0; i < 300 && fd >= 0; ++i) {
            const auto start = Clock::now();
            tcpRead(fd, i, 1, i);
            tcpMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        }
        if (fd >= 0) close(fd);
    }

    tern::ModBusLinkClient scanner;
    tern::VARIANT_BOOL ok = tern::VARIANT_FALSE;
    if (tern::FAILED(scanner.CreateInstance()) || tern::FAILED(scanner.OpenConnection("XYZ", 1, &ok))) return 1;
    scanner.put_ComPort(1);
    scanner.put_BaudRate(kBaud);
    scanner.put_TimeOut(300);
    scanner.Connect(&ok);

    const Round off = runLoad(gateway.port, scanner, 5.0);
    tern::BusMonitorClient monitor("XYZ");
    if (!monitor.startCapture(registry.path() + "/bench.pcapng", error)) std::fprintf(stderr, "capture: %s\n", error.c_str());
    const Round on = runLoad(gateway.port, scanner, 5.0);
    monitor.stopCapture(error);

    const auto rate = [](const Round& r) {
        uint64_t n = r.scans;
        for (uint64_t t : r.tcp) n += t;
        return static_cast<double>(n) / r.seconds;
    };
    const uint64_t most = *std::max_element(std::begin(off.tcp), std::end(off.tcp));
    const uint64_t least = *std::min_element(std::begin(off.tcp), std::end(off.tcp));
    std::printf("Gateway on a paced %u-baud line, %d TCP masters (%u registers each) and a bus scan, %.1f s:\n", kBaud,
                kClients, kRegisters, off.seconds);
    std::printf("  served per TCP master: %llu %llu %llu %llu; scan calls %llu\n", (unsigned long long)off.tcp[0],
                (unsigned long long)off.tcp[1], (unsigned long long)off.tcp[2], (unsigned long long)off.tcp[3],
                (unsigned long long)off.scans);
    std::printf("  line busy: %.1f %% of the wire limit (goal: at least 90 %%)\n", 100.0 * off.busy);
    std::printf("  busiest / least busy TCP master: %.3f (goal: at most 1.25)\n",
                least ? static_cast<double>(most) / static_cast<double>(least) : 0.0);
    std::printf("  mismatched replies: %llu (goal: 0)\n", (unsigned long long)(off.mismatched + on.mismatched));
    std::printf("  bare serial exchange: median %.2f ms; through TCP: %.2f ms; added %.3f ms (goal: under 1 ms)\n",
                bare, median(tcpMs), median(tcpMs) - bare);
    std::printf("  capture on / off throughput: %.3f (goal: at least 0.98)\n", rate(on) / rate(off));
    return off.mismatched + on.mismatched == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!bench::onPrivateBus("TERN_GATEWAY_BENCH_PRIVATE_BUS")) return 1;
    QCoreApplication app(argc, argv);
    return measure();
}
