// Function 3 over a paced pseudo-terminal at 19200 baud against the Modbus
// simulator: time per exchange of our RTU master, as a ratio to the wire
// time of request + response + Ts (the goal is 1.3 or less).
#include <tern/engine/CLocalModbus.h>

#include <sim/modbus/ModbusMapModel.h>
#include <sim/modbus/ModbusSlaveRunner.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kBaud = 19200;
constexpr unsigned kBitsPerCharacter = 10;   // 8N1
constexpr int kExchanges = 300;

struct Result {
    double perExchangeMs;
    double medianMs;
    double wireMs;
    int failures;
};

Result measure(tern::CLocalModbus& master, uint16_t quantity) {
    std::vector<uint16_t> values;
    for (int i = 0; i < 10; ++i) master.ReadOutputRegisters(1, 0, quantity, values);   // warm-up
    int failures = 0;
    std::vector<double> times;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kExchanges; ++i) {
        const auto before = std::chrono::steady_clock::now();
        if (master.ReadOutputRegisters(1, static_cast<uint16_t>(i % 50), quantity, values) != 0) ++failures;
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - before).count());
    }
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
    std::nth_element(times.begin(), times.begin() + kExchanges / 2, times.end());
    const double requestBytes = 8;
    const double responseBytes = 5 + 2.0 * quantity;
    const double ts = tern::CLocalModbus::silentTime(8, kBaud);
    const double wire = (requestBytes + responseBytes) * kBitsPerCharacter * 1000.0 / kBaud + ts;
    return {elapsed.count() / kExchanges, times[kExchanges / 2], wire, failures};
}

}  // namespace

int main() {
    sim::ModbusMapModel model({1}, 1000);
    model.fill();
    sim::ModbusSlaveRunner runner(model, {sim::ModbusFraming::Rtu, kBaud, kBitsPerCharacter});
    std::string error;
    if (!runner.startPty(error)) {
        std::fprintf(stderr, "simulator: %s\n", error.c_str());
        return 1;
    }
    ::setenv("AVIARY_COM1", runner.ptyPath().c_str(), 1);
    tern::CLocalModbus master;
    master.SetTimeOut(500);
    if (!master.Open(1, kBaud, 0)) {
        std::fprintf(stderr, "cannot open %s\n", runner.ptyPath().c_str());
        return 1;
    }
    std::printf("Modbus RTU function 3 over a paced pty at %u baud, %d exchanges each\n", kBaud, kExchanges);
    std::printf("%-10s %13s %13s %13s %7s %13s %9s\n", "registers", "mean", "median", "wire + Ts", "ratio",
                "median ratio", "failures");
    for (uint16_t quantity : {uint16_t{1}, uint16_t{10}}) {
        const Result r = measure(master, quantity);
        std::printf("%-10u %10.3f ms %10.3f ms %10.3f ms %7.3f %13.3f %9d\n", quantity, r.perExchangeMs, r.medianMs,
                    r.wireMs, r.perExchangeMs / r.wireMs, r.medianMs / r.wireMs, r.failures);
    }
    return 0;
}
