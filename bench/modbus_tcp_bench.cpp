// Modbus/TCP on loopback, one run: requests per second (function 3, 10
// registers) of our master against our simulator and against the libmodbus
// server, and of a libmodbus client against the same two servers. The goal:
// our master at least as fast as the libmodbus client on the same server.
//
// libmodbus is loaded at run time (the bench programs link only our own
// libraries); without it the libmodbus rows are left out.
#include <tern/engine/CRemoteModbus.h>

#include <sim/modbus/ModbusMapModel.h>
#include <sim/modbus/ModbusSlaveRunner.h>

#include <arpa/inet.h>
#include <dlfcn.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

namespace {

constexpr int kRequests = 5000;
constexpr uint16_t kQuantity = 10;

// The few libmodbus calls the bench makes, looked up in libmodbus.so.5.
struct Libmodbus {
    struct Mapping {
        int nb_bits, start_bits, nb_input_bits, start_input_bits, nb_input_registers, start_input_registers,
            nb_registers, start_registers;
        uint8_t* tab_bits;
        uint8_t* tab_input_bits;
        uint16_t* tab_input_registers;
        uint16_t* tab_registers;
    };
    void* (*newTcp)(const char*, int);
    int (*tcpListen)(void*, int);
    int (*tcpAccept)(void*, int*);
    int (*connect)(void*);
    void (*close)(void*);
    void (*free)(void*);
    int (*setSlave)(void*, int);
    int (*setIndicationTimeout)(void*, uint32_t, uint32_t);
    int (*receive)(void*, uint8_t*);
    int (*reply)(void*, const uint8_t*, int, Mapping*);
    Mapping* (*mappingNew)(int, int, int, int);
    void (*mappingFree)(Mapping*);
    int (*readRegisters)(void*, int, int, uint16_t*);

    bool load() {
        void* lib = dlopen("libmodbus.so.5", RTLD_NOW);
        if (!lib) return false;
        auto get = [lib](auto& fn, const char* name) {
            fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(lib, name));
            return fn != nullptr;
        };
        return get(newTcp, "modbus_new_tcp") && get(tcpListen, "modbus_tcp_listen") &&
               get(tcpAccept, "modbus_tcp_accept") && get(connect, "modbus_connect") && get(close, "modbus_close") &&
               get(free, "modbus_free") && get(setSlave, "modbus_set_slave") &&
               get(setIndicationTimeout, "modbus_set_indication_timeout") && get(receive, "modbus_receive") &&
               get(reply, "modbus_reply") && get(mappingNew, "modbus_mapping_new") &&
               get(mappingFree, "modbus_mapping_free") && get(readRegisters, "modbus_read_registers");
    }
};

// libmodbus serving one client at a time from its own thread.
class LibmodbusServer {
public:
    explicit LibmodbusServer(Libmodbus& mb) : mb_(mb) {}
    ~LibmodbusServer() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (listen_ >= 0) ::close(listen_);
        if (ctx_) mb_.free(ctx_);
        if (map_) mb_.mappingFree(map_);
    }
    bool start() {
        map_ = mb_.mappingNew(0, 0, 1000, 0);
        ctx_ = mb_.newTcp("127.0.0.1", 0);
        listen_ = ctx_ && map_ ? mb_.tcpListen(ctx_, 1) : -1;
        sockaddr_in a{};
        socklen_t len = sizeof a;
        if (listen_ < 0 || ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len) != 0) return false;
        port_ = ntohs(a.sin_port);
        mb_.setIndicationTimeout(ctx_, 0, 50000);
        thread_ = std::thread([this] { run(); });
        return true;
    }
    uint16_t port() const { return port_; }

private:
    void run() {
        uint8_t query[260];
        while (!stop_) {
            pollfd p{listen_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0 || mb_.tcpAccept(ctx_, &listen_) < 0) continue;
            while (!stop_) {
                const int rc = mb_.receive(ctx_, query);
                if (rc > 0) mb_.reply(ctx_, query, rc, map_);
                else if (rc < 0 && errno != ETIMEDOUT) break;
            }
            mb_.close(ctx_);
        }
    }

    Libmodbus& mb_;
    Libmodbus::Mapping* map_ = nullptr;
    void* ctx_ = nullptr;
    int listen_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Requests per second of one client loop; negative when a request failed.
double rate(const std::function<bool()>& request) {
    for (int i = 0; i < 100; ++i) request();   // warm-up
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kRequests; ++i) {
        if (!request()) return -1;
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return kRequests / elapsed.count();
}

double oursAgainst(uint16_t port) {
    tern::CRemoteModbus master;
    if (!master.Connect("127.0.0.1", port, 1000)) return -1;
    std::vector<uint16_t> values;
    return rate([&] { return master.ReadOutputRegisters(1, 0, kQuantity, values) == 0; });
}

double libmodbusAgainst(Libmodbus& mb, uint16_t port) {
    void* ctx = mb.newTcp("127.0.0.1", port);
    if (!ctx || mb.connect(ctx) != 0) return -1;
    mb.setSlave(ctx, 1);
    uint16_t values[kQuantity];
    const double r = rate([&] { return mb.readRegisters(ctx, 0, kQuantity, values) == kQuantity; });
    mb.close(ctx);
    mb.free(ctx);
    return r;
}

void row(const char* client, const char* server, double perSecond) {
    if (perSecond < 0) std::printf("%-18s %-18s %12s\n", client, server, "failed");
    else std::printf("%-18s %-18s %12.0f\n", client, server, perSecond);
}

}  // namespace

int main() {
    sim::ModbusMapModel model({1}, 1000);
    sim::ModbusSlaveRunner simulator(model);
    std::string error;
    if (!simulator.startTcp(0, error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return 1;
    }
    std::printf("Modbus/TCP on loopback, function 3 with %u registers, %d requests per row\n", kQuantity, kRequests);
    std::printf("%-18s %-18s %12s\n", "client", "server", "requests/s");
    const double oursSim = oursAgainst(simulator.tcpPort());
    row("our master", "our simulator", oursSim);

    Libmodbus mb{};
    if (!mb.load()) {
        std::printf("libmodbus.so.5 not found: no comparison\n");
        return 0;
    }
    const double libSim = libmodbusAgainst(mb, simulator.tcpPort());
    row("libmodbus client", "our simulator", libSim);
    LibmodbusServer server(mb);
    if (!server.start()) {
        std::fprintf(stderr, "libmodbus server did not start\n");
        return 1;
    }
    const double oursLib = oursAgainst(server.port());
    const double libLib = libmodbusAgainst(mb, server.port());
    row("our master", "libmodbus server", oursLib);
    row("libmodbus client", "libmodbus server", libLib);
    if (libSim > 0 && libLib > 0) {
        std::printf("our master / libmodbus client: %.2f on our simulator, %.2f on the libmodbus server\n",
                    oursSim / libSim, oursLib / libLib);
    }
    return 0;
}
