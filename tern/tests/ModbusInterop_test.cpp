// Interoperability with an independent implementation, libmodbus: as the
// slave for our master (RTU over a pseudo-terminal pair, and TCP), and as the
// master against our simulator (RTU on its pseudo-terminal, and TCP).
#include "PtyBridge.h"

#include <tern/engine/CLocalModbus.h>
#include <tern/engine/CRemoteModbus.h>

#include <sim/modbus/ModbusMapModel.h>
#include <sim/modbus/ModbusSlaveRunner.h>

#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>
#include <modbus/modbus.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <thread>

namespace tern {
namespace {

constexpr int kTableSize = 100;

// libmodbus serving a mapping from its own thread, until destroyed.
class LibmodbusSlave {
public:
    LibmodbusSlave() : map_(modbus_mapping_new(kTableSize, kTableSize, kTableSize, kTableSize)) {
        for (int i = 0; i < kTableSize; ++i) {
            map_->tab_registers[i] = static_cast<uint16_t>(0x4000 + i);
            map_->tab_input_registers[i] = static_cast<uint16_t>(0x6000 + i);
            map_->tab_input_bits[i] = static_cast<uint8_t>(i % 3 == 0);
        }
    }
    ~LibmodbusSlave() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (listen_ >= 0) ::close(listen_);
        if (ctx_) modbus_free(ctx_);
        modbus_mapping_free(map_);
    }

    bool startTcp() {
        ctx_ = modbus_new_tcp("127.0.0.1", 0);
        listen_ = ctx_ ? modbus_tcp_listen(ctx_, 1) : -1;
        if (listen_ < 0) return false;
        sockaddr_in a{};
        socklen_t len = sizeof a;
        if (::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len) != 0) return false;
        port_ = ntohs(a.sin_port);
        modbus_set_indication_timeout(ctx_, 0, 50000);
        thread_ = std::thread([this] {
            while (!stop_) {
                pollfd p{listen_, POLLIN, 0};
                if (::poll(&p, 1, 50) <= 0) continue;
                if (modbus_tcp_accept(ctx_, &listen_) < 0) continue;
                serve();
                modbus_close(ctx_);
            }
        });
        return true;
    }

    bool startRtu(const std::string& device) {
        ctx_ = modbus_new_rtu(device.c_str(), 19200, 'N', 8, 1);
        if (!ctx_ || modbus_set_slave(ctx_, 1) != 0 || modbus_connect(ctx_) != 0) return false;
        modbus_set_indication_timeout(ctx_, 0, 50000);
        thread_ = std::thread([this] { serve(); });
        return true;
    }

    modbus_mapping_t* map() { return map_; }
    uint16_t port() const { return port_; }

private:
    void serve() {
        uint8_t query[MODBUS_TCP_MAX_ADU_LENGTH];
        while (!stop_) {
            const int rc = modbus_receive(ctx_, query);
            if (rc > 0) modbus_reply(ctx_, query, rc, map_);
            else if (rc < 0 && errno != ETIMEDOUT && errno != EMBBADCRC && errno != EMBBADDATA) return;
        }
    }

    modbus_mapping_t* map_;
    modbus_t* ctx_ = nullptr;
    int listen_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// One pass over every function against the libmodbus slave's tables.
void exerciseMaster(CModbus& m, modbus_mapping_t* map) {
    std::vector<uint16_t> registers;
    ASSERT_EQ(m.ReadOutputRegisters(1, 3, 10, registers), 0);
    EXPECT_EQ(registers.front(), 0x4003);
    EXPECT_EQ(registers.back(), 0x400C);
    ASSERT_EQ(m.ReadInputRegisters(1, 0, 2, registers), 0);
    EXPECT_EQ(registers, (std::vector<uint16_t>{0x6000, 0x6001}));
    std::vector<uint8_t> bits;
    ASSERT_EQ(m.ReadInputStatus(1, 0, 7, bits), 0);
    EXPECT_EQ(bits, (std::vector<uint8_t>{1, 0, 0, 1, 0, 0, 1}));

    ASSERT_EQ(m.PresetSingleRegister(1, 50, 0xA55A), 0);
    EXPECT_EQ(map->tab_registers[50], 0xA55A);
    const uint16_t values[3] = {1, 2, 0xFFFF};
    ASSERT_EQ(m.PresetMultipleRegisters(1, 60, 3, values), 0);
    EXPECT_EQ(map->tab_registers[62], 0xFFFF);
    ASSERT_EQ(m.PresetRegister32(1, 70, true, 0xDEADBEEFu), 0);
    EXPECT_EQ(map->tab_registers[70], 0xDEAD);
    EXPECT_EQ(map->tab_registers[71], 0xBEEF);

    const uint8_t coils[11] = {1, 0, 1, 0, 0, 0, 0, 0, 1, 1, 0};
    ASSERT_EQ(m.ForceMultipleCoils(1, 5, 11, coils), 0);
    ASSERT_EQ(m.ForceSingleCoil(1, 6, 1), 0);
    ASSERT_EQ(m.ReadOutputStatus(1, 5, 11, bits), 0);
    EXPECT_EQ(bits, (std::vector<uint8_t>{1, 1, 1, 0, 0, 0, 0, 0, 1, 1, 0}));

    EXPECT_EQ(m.ReadOutputRegisters(1, 95, 10, registers), 0x8002);
    EXPECT_EQ(m.PresetSingleRegister(1, 200, 1), 0x8002);
}

TEST(ModbusInterop, OurTcpMasterWithLibmodbusSlave) {
    LibmodbusSlave slave;
    ASSERT_TRUE(slave.startTcp());
    CRemoteModbus master;
    ASSERT_TRUE(master.Connect("127.0.0.1", slave.port(), 1000));
    exerciseMaster(master, slave.map());
}

TEST(ModbusInterop, OurRtuMasterWithLibmodbusSlaveOverPtyPair) {
    tern::PtyBridge bridge;
    std::string error;
    ASSERT_TRUE(bridge.open(error)) << error;
    LibmodbusSlave slave;
    ASSERT_TRUE(slave.startRtu(bridge.pathB()));
    platform::testing::TempDir dir;
    platform::testing::RegistryRedirect redirect(dir.path());
    ::setenv("AVIARY_COM4", bridge.pathA().c_str(), 1);
    CLocalModbus master;
    master.SetTimeOut(500);
    ASSERT_TRUE(master.Open(4, 19200, 0));
    exerciseMaster(master, slave.map());
    ::unsetenv("AVIARY_COM4");
}

// libmodbus as master: every function against the simulator's filled tables.
void exerciseSimulator(modbus_t* ctx, sim::ModbusMapModel& model) {
    modbus_set_slave(ctx, 1);
    modbus_set_response_timeout(ctx, 0, 500000);
    uint16_t registers[10] = {};
    ASSERT_EQ(modbus_read_registers(ctx, 20, 10, registers), 10) << modbus_strerror(errno);
    EXPECT_EQ(registers[0], 1020);
    EXPECT_EQ(registers[9], 1029);
    ASSERT_EQ(modbus_read_input_registers(ctx, 1, 1, registers), 1);
    EXPECT_EQ(registers[0], 1501);
    uint8_t bits[9] = {};
    ASSERT_EQ(modbus_read_bits(ctx, 0, 9, bits), 9);
    EXPECT_EQ(bits[1], 1);
    EXPECT_EQ(bits[8], 0);
    ASSERT_EQ(modbus_read_input_bits(ctx, 0, 2, bits), 2);
    EXPECT_EQ(bits[0], 1);

    ASSERT_EQ(modbus_write_register(ctx, 3, 0x7777), 1);
    EXPECT_EQ(model.value(sim::ModbusTable::HoldingRegisters, 1, 3), 0x7777);
    const uint16_t values[4] = {9, 8, 7, 6};
    ASSERT_EQ(modbus_write_registers(ctx, 40, 4, values), 4);
    EXPECT_EQ(model.value(sim::ModbusTable::HoldingRegisters, 1, 43), 6);
    ASSERT_EQ(modbus_write_bit(ctx, 0, 1), 1);
    const uint8_t coils[10] = {0, 0, 0, 1, 1, 1, 0, 0, 0, 1};
    ASSERT_EQ(modbus_write_bits(ctx, 30, 10, coils), 10);
    EXPECT_EQ(model.value(sim::ModbusTable::Coils, 1, 0), 1);
    EXPECT_EQ(model.value(sim::ModbusTable::Coils, 1, 39), 1);
    EXPECT_EQ(model.value(sim::ModbusTable::Coils, 1, 32), 0);

    EXPECT_EQ(modbus_read_registers(ctx, 999, 2, registers), -1);
    EXPECT_EQ(errno, EMBXILADD);
}

TEST(ModbusInterop, LibmodbusTcpMasterWithOurSimulator) {
    sim::ModbusMapModel model({1}, 1000);
    model.fill();
    sim::ModbusSlaveRunner runner(model);
    std::string error;
    ASSERT_TRUE(runner.startTcp(0, error)) << error;
    modbus_t* ctx = modbus_new_tcp("127.0.0.1", runner.tcpPort());
    ASSERT_EQ(modbus_connect(ctx), 0);
    exerciseSimulator(ctx, model);
    modbus_close(ctx);
    modbus_free(ctx);
}

TEST(ModbusInterop, LibmodbusRtuMasterWithOurSimulatorOnItsPty) {
    sim::ModbusMapModel model({1}, 1000);
    model.fill();
    sim::ModbusSlaveRunner runner(model);
    std::string error;
    ASSERT_TRUE(runner.startPty(error)) << error;
    modbus_t* ctx = modbus_new_rtu(runner.ptyPath().c_str(), 19200, 'N', 8, 1);
    ASSERT_EQ(modbus_connect(ctx), 0) << modbus_strerror(errno);
    exerciseSimulator(ctx, model);
    modbus_close(ctx);
    modbus_free(ctx);
}

}  // namespace
}  // namespace tern
