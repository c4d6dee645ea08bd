// CLocalModbus on a real tty: the termios port opened through the COMn map,
// against the simulator on its pseudo-terminal (paced like a 19200 baud
// line), in both framings; and a slave that vanishes mid-session.
#include <tern/engine/CLocalModbus.h>

#include <sim/modbus/ModbusMapModel.h>
#include <sim/modbus/ModbusSlaveRunner.h>

#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

namespace tern {
namespace {

class LocalModbusPty : public testing::TestWithParam<sim::ModbusFraming> {
protected:
    void SetUp() override {
        model_.fill();
        std::string error;
        ASSERT_TRUE(runner_.startPty(error)) << error;
        ::setenv("AVIARY_COM5", runner_.ptyPath().c_str(), 1);
        master_.SetTimeOut(500);
        // A loaded machine can stall the simulator mid-frame for longer than
        // the 2 ms Ts of 19200 baud; a wider silence keeps that from ending an
        // ASCII frame early (CR LF still ends it at once).
        master_.SetSilentInterval(50);
        master_.SetTransmissionMode(GetParam() == sim::ModbusFraming::Ascii ? CLocalModbus::kAscii
                                                                             : CLocalModbus::kRtu);
        ASSERT_TRUE(master_.Open(5, 19200, 0));
    }
    void TearDown() override { ::unsetenv("AVIARY_COM5"); }

    platform::testing::TempDir dir_;
    platform::testing::RegistryRedirect redirect_{dir_.path()};
    sim::ModbusMapModel model_{{1}, 1000};
    sim::ModbusSlaveRunner runner_{model_, {GetParam(), 19200, 10}};
    CLocalModbus master_;
};

TEST_P(LocalModbusPty, ReadsWritesAndExceptionsOnAPacedLine) {
    std::vector<uint16_t> v;
    ASSERT_EQ(master_.ReadOutputRegisters(1, 100, 10, v), 0);
    EXPECT_EQ(v.front(), 1100);
    EXPECT_EQ(v.back(), 1109);
    const uint16_t values[2] = {0xF00D, 0xBEEF};
    ASSERT_EQ(master_.PresetMultipleRegisters(1, 7, 2, values), 0);
    EXPECT_EQ(model_.value(sim::ModbusTable::HoldingRegisters, 1, 8), 0xBEEF);
    EXPECT_EQ(master_.ReadInputRegisters(1, 998, 3, v), 0x8002);
    runner_.faults().add(*sim::parseFault("badcrc:1"));
    EXPECT_EQ(master_.ReadOutputRegisters(1, 0, 1, v), 3);
    runner_.faults().add(*sim::parseFault("noreply:1"));
    EXPECT_EQ(master_.ReadOutputRegisters(1, 0, 1, v), 1);
    ASSERT_EQ(master_.ReadOutputRegisters(1, 0, 1, v), 0);
    EXPECT_EQ(v.front(), 1000);
}

// Without a silent interval only the total time-out ends a read; for an
// exception it must not be the one computed for the expected length.
// An ASCII frame ends at its CR LF whatever length was expected: RTU only.
class LocalModbusPtyRtu : public LocalModbusPty {};

TEST_P(LocalModbusPtyRtu, AnExceptionToAHugeRequestFreesTheLineAtOnce) {
    master_.SetSilentInterval(0);
    ASSERT_TRUE(master_.Open(5, 19200, 0));
    std::vector<uint16_t> v;
    for (const uint16_t quantity : {uint16_t{32767}, uint16_t{0xFFFF}}) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(master_.ReadOutputRegisters(1, 0, quantity, v), 0x8003) << quantity;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900)) << quantity;
    }
    ASSERT_EQ(master_.ReadOutputRegisters(1, 5, 2, v), 0);
    EXPECT_EQ(v.back(), 1006);
}

TEST_P(LocalModbusPty, SlaveGoneIsAResultNotAHang) {
    runner_.stop();
    std::vector<uint16_t> v;
    EXPECT_EQ(master_.ReadOutputRegisters(1, 0, 1, v), 1);
    EXPECT_TRUE(master_.Close());
}

INSTANTIATE_TEST_SUITE_P(Pty, LocalModbusPtyRtu, testing::Values(sim::ModbusFraming::Rtu),
                         [](const auto&) { return "Rtu"; });
INSTANTIATE_TEST_SUITE_P(Pty, LocalModbusPty, testing::Values(sim::ModbusFraming::Rtu, sim::ModbusFraming::Ascii),
                         [](const auto& info) { return info.param == sim::ModbusFraming::Rtu ? "Rtu" : "Ascii"; });

}  // namespace
}  // namespace tern
