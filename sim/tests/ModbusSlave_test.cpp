// The simulated slave's protocol handling, the map-backed model with its
// registers file, and the fault list.
#include <sim/modbus/ModbusFaults.h>
#include <sim/modbus/ModbusMapModel.h>
#include <sim/modbus/ModbusSlave.h>

#include <gtest/gtest.h>

#include <ostream>
#include <optional>
#include <vector>

namespace sim {
namespace {

using Bytes = std::vector<uint8_t>;

struct SlaveCase {
    const char* name;
    Bytes request;
    std::optional<Bytes> response;
};

void PrintTo(const SlaveCase& c, std::ostream* os) { *os << c.name; }

class SlaveRequests : public testing::TestWithParam<SlaveCase> {
protected:
    SlaveRequests() {
        model_.fill();
        model_.setValue(ModbusTable::Coils, 1, 0, 1);
    }
    ModbusMapModel model_{{1, 3}, 100};
};

TEST_P(SlaveRequests, AnswerAsTheProtocolSays) {
    ModbusSlave slave(model_);
    EXPECT_EQ(slave.handle(GetParam().request), GetParam().response);
}

INSTANTIATE_TEST_SUITE_P(
    Slave, SlaveRequests,
    testing::Values(
        SlaveCase{"ReadHolding", {1, 3, 0, 10, 0, 2}, Bytes{1, 3, 4, 0x03, 0xF2, 0x03, 0xF3}},
        SlaveCase{"ReadInput", {3, 4, 0, 0, 0, 1}, Bytes{3, 4, 2, 0x0D, 0xAC}},
        SlaveCase{"ReadCoilsPacked", {1, 1, 0, 0, 0, 10}, Bytes{1, 1, 2, 0b1010'1011, 0b10}},
        SlaveCase{"ReadDiscrete", {1, 2, 0, 1, 0, 3}, Bytes{1, 2, 1, 0b010}},
        SlaveCase{"WriteCoilEchoes", {1, 5, 0, 7, 0xFF, 0}, Bytes{1, 5, 0, 7, 0xFF, 0}},
        SlaveCase{"WriteCoilOddValue", {1, 5, 0, 7, 0x12, 0x34}, Bytes{1, 0x85, 3}},
        SlaveCase{"WriteRegisterEchoes", {1, 6, 0, 7, 0xAB, 0xCD}, Bytes{1, 6, 0, 7, 0xAB, 0xCD}},
        SlaveCase{"WriteCoils", {1, 15, 0, 20, 0, 10, 2, 0x01, 0x02}, Bytes{1, 15, 0, 20, 0, 10}},
        SlaveCase{"WriteCoilsWrongByteCount", {1, 15, 0, 20, 0, 10, 1, 0x01}, Bytes{1, 0x8F, 3}},
        SlaveCase{"WriteRegisters", {1, 16, 0, 1, 0, 2, 4, 0, 1, 0, 2}, Bytes{1, 16, 0, 1, 0, 2}},
        SlaveCase{"WriteRegistersShortData", {1, 16, 0, 1, 0, 2, 4, 0, 1}, Bytes{1, 0x90, 3}},
        SlaveCase{"QuantityZero", {1, 3, 0, 0, 0, 0}, Bytes{1, 0x83, 3}},
        SlaveCase{"QuantityTooLarge", {1, 3, 0, 0, 0, 126}, Bytes{1, 0x83, 3}},
        SlaveCase{"PastTheTable", {1, 3, 0, 99, 0, 2}, Bytes{1, 0x83, 2}},
        SlaveCase{"PastAddressSpace", {1, 1, 0xFF, 0xFF, 0, 2}, Bytes{1, 0x81, 2}},
        SlaveCase{"UnknownFunction", {1, 0x2B, 0x0E, 1}, Bytes{1, 0xAB, 1}},
        SlaveCase{"TruncatedRead", {1, 3, 0, 0}, Bytes{1, 0x83, 3}},
        SlaveCase{"AbsentUnitIsSilent", {2, 3, 0, 0, 0, 1}, std::nullopt},
        SlaveCase{"TooShortToAnswer", {1}, std::nullopt}),
    [](const testing::TestParamInfo<SlaveCase>& info) { return info.param.name; });

TEST(ModbusSlave, BroadcastWritesEveryUnitAndAnswersNobody) {
    ModbusMapModel model({1, 3});
    ModbusSlave slave(model);
    EXPECT_FALSE(slave.handle(Bytes{0, 6, 0, 4, 0x12, 0x34}));
    EXPECT_EQ(model.value(ModbusTable::HoldingRegisters, 1, 4), 0x1234);
    EXPECT_EQ(model.value(ModbusTable::HoldingRegisters, 3, 4), 0x1234);
}

TEST(ModbusSlave, GatewayAnswersForAbsentUnits) {
    ModbusMapModel model({1});
    ModbusSlave slave(model, ModbusSlave::AbsentUnit::GatewayException);
    EXPECT_EQ(slave.handle(Bytes{9, 3, 0, 0, 0, 1}), (Bytes{9, 0x83, kGatewayTargetFailed}));
}

TEST(ModbusMapModel, RefusedWritesChangeNothing) {
    ModbusMapModel model({1}, 10);
    const uint16_t values[3] = {1, 2, 3};
    EXPECT_EQ(model.writeHoldingRegisters(1, 8, values), kIllegalDataAddress);
    EXPECT_EQ(model.value(ModbusTable::HoldingRegisters, 1, 8), 0);
    EXPECT_EQ(model.writeHoldingRegisters(1, 7, values), kModbusOk);
    EXPECT_EQ(model.value(ModbusTable::HoldingRegisters, 1, 9), 3);
}

TEST(ModbusMapModel, LoadsRegistersText) {
    ModbusMapModel model({1}, 100);
    std::string error;
    ASSERT_TRUE(model.loadText("# drive 5\n"
                               "holding 5 10 0x1234 7 65535   # three registers\n"
                               "\n"
                               "coil 1 3 1 0 1\n"
                               "input 1 0 42\n",
                               error))
        << error;
    EXPECT_TRUE(model.hasUnit(5));
    EXPECT_EQ(model.value(ModbusTable::HoldingRegisters, 5, 10), 0x1234);
    EXPECT_EQ(model.value(ModbusTable::HoldingRegisters, 5, 12), 65535);
    EXPECT_EQ(model.value(ModbusTable::Coils, 1, 5), 1);
    EXPECT_EQ(model.value(ModbusTable::InputRegisters, 1, 0), 42);
}

TEST(ModbusMapModel, RejectsBadLinesAndKeepsItsValues) {
    const std::vector<std::pair<std::string, std::string>> bad{
        {"holding 1 0 1\nregister 1 0 1\n", "2: unknown table 'register'"},
        {"holding 1 0 65536\n", "1: bad value '65536'"},
        {"coil 1 0 2\n", "1: bad value '2'"},
        {"holding 256 0 1\n", "1: bad unit '256'"},
        {"holding 1 100 1\n", "1: bad address '100'"},
        {"holding 1 99 1 2\n", "1: values run past the table end"},
        {"holding 1 -1 1\n", "1: bad address '-1'"},
        {"holding 1 5\n", "1: no value"},
    };
    for (const auto& [text, message] : bad) {
        ModbusMapModel model({1}, 100);
        std::string error;
        EXPECT_FALSE(model.loadText(text, error)) << text;
        EXPECT_EQ(error, message);
        EXPECT_EQ(model.value(ModbusTable::HoldingRegisters, 1, 0), 0) << "partly loaded: " << text;
    }
    ModbusMapModel model;
    std::string error;
    EXPECT_FALSE(model.loadFile("/nonexistent/registers.txt", error));
    EXPECT_EQ(error, "/nonexistent/registers.txt: cannot be read");
}

TEST(ModbusFaults, ParseKindsAndArguments) {
    EXPECT_EQ(parseFault("noreply")->kind, FaultKind::NoReply);
    EXPECT_EQ(parseFault("badlrc:2")->kind, FaultKind::BadChecksum);
    EXPECT_EQ(parseFault("badlrc:2")->arg, 2u);
    EXPECT_EQ(parseFault("delay:150")->arg, 150u);
    for (const char* bad : {"delay", "delay:", "noreply:x", "slow", "short:-1", ""}) EXPECT_FALSE(parseFault(bad)) << bad;
}

TEST(ModbusFaults, LimitedFaultsCountDownAndDelaysStay) {
    FaultInjector faults;
    faults.add(*parseFault("noreply:2"));
    faults.add(*parseFault("delay:30"));
    for (int i = 0; i < 2; ++i) {
        const FaultPlan p = faults.next();
        EXPECT_TRUE(p.noReply);
        EXPECT_EQ(p.delayMs, 30u);
    }
    const FaultPlan after = faults.next();
    EXPECT_FALSE(after.noReply);
    EXPECT_EQ(after.delayMs, 30u);
    faults.clear();
    EXPECT_TRUE(faults.empty());
}

}  // namespace
}  // namespace sim
