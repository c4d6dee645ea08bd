// The engine against a scripted transport: request bodies, expected lengths,
// echo checks, decoding, the attempt loop, word order, texts and exceptions.
#include <tern/engine/CModbus.h>
#include <tern/engine/CModbusException.h>

#include <gtest/gtest.h>

#include <ostream>
#include <bit>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace tern {
namespace {

using Bytes = std::vector<uint8_t>;

struct Answer {
    uint16_t code = 0;
    Bytes body;   // the response frame body the transport hands back
};

// Records every exchange and answers from a queue (the last answer repeats).
class ScriptedModbus : public CModbus {
public:
    uint16_t Exchange(Bytes& request, size_t requestLength, Bytes& response, size_t expectedLength,
                      size_t* responseLength) override {
        requests.emplace_back(request.begin(), request.begin() + static_cast<std::ptrdiff_t>(requestLength));
        expected.push_back(expectedLength);
        const Answer a = answers.size() > 1 ? pop() : answers.empty() ? Answer{1, {}} : answers.front();
        response = a.body;
        if (response.size() < expectedLength) response.resize(expectedLength);
        if (responseLength) *responseLength = a.body.size();
        return a.code;
    }
    bool IsOpen() const override { return true; }

    Answer pop() {
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }

    std::deque<Answer> answers;
    std::vector<Bytes> requests;
    std::vector<size_t> expected;
};

struct RequestCase {
    const char* name;
    std::function<uint16_t(CModbus&)> call;
    Bytes request;
    size_t expectedLength;
};

void PrintTo(const RequestCase& c, std::ostream* os) { *os << c.name; }

class RequestFrames : public testing::TestWithParam<RequestCase> {};

TEST_P(RequestFrames, BuildsTheBodyAndExpectsTheLength) {
    ScriptedModbus m;
    m.answers.push_back({1, {}});
    GetParam().call(m);
    ASSERT_EQ(m.requests.size(), 1u);
    EXPECT_EQ(m.requests[0], GetParam().request);
    EXPECT_EQ(m.expected[0], GetParam().expectedLength);
}

const uint8_t kCoils0And9[10] = {1, 0, 0, 0, 0, 0, 0, 0, 0, 1};
const uint16_t kTwoRegisters[2] = {0x1234, 0xABCD};

INSTANTIATE_TEST_SUITE_P(
    Engine, RequestFrames,
    testing::Values(
        RequestCase{"ReadTenHolding",
                    [](CModbus& m) { std::vector<uint16_t> v; return m.ReadOutputRegisters(1, 0, 10, v); },
                    {0x01, 0x03, 0x00, 0x00, 0x00, 0x0A}, 23},
        RequestCase{"ReadInputRegisters",
                    [](CModbus& m) { std::vector<uint16_t> v; return m.ReadInputRegisters(7, 0x1234, 2, v); },
                    {0x07, 0x04, 0x12, 0x34, 0x00, 0x02}, 7},
        RequestCase{"ReadNineCoils",
                    [](CModbus& m) { std::vector<uint8_t> v; return m.ReadOutputStatus(2, 0x0013, 9, v); },
                    {0x02, 0x01, 0x00, 0x13, 0x00, 0x09}, 5},
        RequestCase{"ReadEightInputs",
                    [](CModbus& m) { std::vector<uint8_t> v; return m.ReadInputStatus(2, 0, 8, v); },
                    {0x02, 0x02, 0x00, 0x00, 0x00, 0x08}, 4},
        RequestCase{"CoilOn", [](CModbus& m) { return m.ForceSingleCoil(1, 0x00AC, 1); },
                    {0x01, 0x05, 0x00, 0xAC, 0xFF, 0x00}, 6},
        RequestCase{"CoilStateZeroIsOff", [](CModbus& m) { return m.ForceSingleCoil(1, 0x00AC, 0); },
                    {0x01, 0x05, 0x00, 0xAC, 0x00, 0x00}, 6},
        RequestCase{"CoilStateTwoIsOff", [](CModbus& m) { return m.ForceSingleCoil(1, 0x00AC, 2); },
                    {0x01, 0x05, 0x00, 0xAC, 0x00, 0x00}, 6},
        RequestCase{"PresetSingle", [](CModbus& m) { return m.PresetSingleRegister(3, 0x0001, 0xBEEF); },
                    {0x03, 0x06, 0x00, 0x01, 0xBE, 0xEF}, 6},
        RequestCase{"TenCoilsZeroAndNineOn",
                    [](CModbus& m) { return m.ForceMultipleCoils(1, 0x0013, 10, kCoils0And9); },
                    {0x01, 0x0F, 0x00, 0x13, 0x00, 0x0A, 0x02, 0x01, 0x02}, 6},
        RequestCase{"ShortCoilInputSendsZeros",
                    [](CModbus& m) { return m.ForceMultipleCoils(1, 0, 12, std::span(kCoils0And9, 1)); },
                    {0x01, 0x0F, 0x00, 0x00, 0x00, 0x0C, 0x02, 0x01, 0x00}, 6},
        RequestCase{"PresetTwo",
                    [](CModbus& m) { return m.PresetMultipleRegisters(1, 0x0100, 2, kTwoRegisters); },
                    {0x01, 0x10, 0x01, 0x00, 0x00, 0x02, 0x04, 0x12, 0x34, 0xAB, 0xCD}, 6},
        RequestCase{"Preset32HighWordFirst",
                    [](CModbus& m) { return m.PresetRegister32(1, 0, true, 0x12345678u); },
                    {0x01, 0x10, 0x00, 0x00, 0x00, 0x02, 0x04, 0x12, 0x34, 0x56, 0x78}, 6},
        RequestCase{"Preset32LowWordFirst",
                    [](CModbus& m) { return m.PresetRegister32(1, 0, false, 0x12345678u); },
                    {0x01, 0x10, 0x00, 0x00, 0x00, 0x02, 0x04, 0x56, 0x78, 0x12, 0x34}, 6},
        RequestCase{"Preset64LowWordFirst",
                    [](CModbus& m) { return m.PresetRegister64(1, 8, false, 0x0102030405060708ull); },
                    {0x01, 0x10, 0x00, 0x08, 0x00, 0x04, 0x08, 0x07, 0x08, 0x05, 0x06, 0x03, 0x04, 0x01, 0x02}, 6},
        RequestCase{"Read32ValuesAsRegisterPairs",
                    [](CModbus& m) {
                        std::vector<uint32_t> v;
                        return m.ReadRegisters32(CModbus::RegisterTable::Input, 1, 4, 3, true, v);
                    },
                    {0x01, 0x04, 0x00, 0x04, 0x00, 0x06}, 15},
        RequestCase{"Read64ValuesAsFourRegisters",
                    [](CModbus& m) {
                        std::vector<uint64_t> v;
                        return m.ReadRegisters64(CModbus::RegisterTable::Holding, 1, 0, 2, true, v);
                    },
                    {0x01, 0x03, 0x00, 0x00, 0x00, 0x08}, 19}),
    [](const testing::TestParamInfo<RequestCase>& info) { return info.param.name; });

TEST(ModbusEngine, DecodesRegistersBigEndian) {
    ScriptedModbus m;
    m.answers.push_back({0, {0x01, 0x03, 0x04, 0x12, 0x34, 0xFF, 0xFF}});
    std::vector<uint16_t> values;
    EXPECT_EQ(m.ReadOutputRegisters(1, 0, 2, values), 0);
    EXPECT_EQ(values, (std::vector<uint16_t>{0x1234, 0xFFFF}));
}

TEST(ModbusEngine, DecodesCoilsLeastSignificantBitFirst) {
    ScriptedModbus m;
    m.answers.push_back({0, {0x01, 0x01, 0x02, 0b1100'1101, 0b0000'0001}});
    std::vector<uint8_t> coils;
    EXPECT_EQ(m.ReadOutputStatus(1, 0, 9, coils), 0);
    EXPECT_EQ(coils, (std::vector<uint8_t>{1, 0, 1, 1, 0, 0, 1, 1, 1}));
}

TEST(ModbusEngine, WordOrderFlagDecidesWhichRegisterIsHigh) {
    ScriptedModbus m;
    m.answers.push_back({0, {0x01, 0x03, 0x04, 0x12, 0x34, 0x56, 0x78}});
    std::vector<uint32_t> values;
    ASSERT_EQ(m.ReadRegisters32(CModbus::RegisterTable::Holding, 1, 0, 1, true, values), 0);
    EXPECT_EQ(values, std::vector<uint32_t>{0x12345678u});
    ASSERT_EQ(m.ReadRegisters32(CModbus::RegisterTable::Holding, 1, 0, 1, false, values), 0);
    EXPECT_EQ(values, std::vector<uint32_t>{0x56781234u});
}

TEST(ModbusEngine, DoublesRoundTripThroughFourRegistersInEitherOrder) {
    for (bool highFirst : {true, false}) {
        const double value = -1234.5678;
        const std::vector<uint16_t> words = wordsFromValue(std::bit_cast<uint64_t>(value), 4, highFirst);
        EXPECT_EQ(std::bit_cast<double>(valueFromWords(words.data(), 4, highFirst)), value);
    }
    // 1.0 is 0x3FF0000000000000: the high word leads when the flag is set.
    EXPECT_EQ(wordsFromValue(std::bit_cast<uint64_t>(1.0), 4, true), (std::vector<uint16_t>{0x3FF0, 0, 0, 0}));
    EXPECT_EQ(wordsFromValue(std::bit_cast<uint64_t>(1.0), 4, false), (std::vector<uint16_t>{0, 0, 0, 0x3FF0}));
}

struct CheckCase {
    const char* name;
    std::function<uint16_t(CModbus&)> call;
    Bytes answer;
    uint16_t result;
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name; }

class ResponseChecks : public testing::TestWithParam<CheckCase> {};

TEST_P(ResponseChecks, ComparesWhatTheSlaveEchoes) {
    ScriptedModbus m;
    m.answers.push_back({0, GetParam().answer});
    EXPECT_EQ(GetParam().call(m), GetParam().result);
}

auto readTwo = [](CModbus& m) { std::vector<uint16_t> v; return m.ReadOutputRegisters(1, 0, 2, v); };
auto presetOne = [](CModbus& m) { return m.PresetSingleRegister(1, 2, 3); };
auto presetTwo = [](CModbus& m) { return m.PresetMultipleRegisters(1, 0, 2, kTwoRegisters); };

INSTANTIATE_TEST_SUITE_P(
    Engine, ResponseChecks,
    testing::Values(CheckCase{"ReadOk", readTwo, {0x01, 0x03, 0x04, 0, 1, 0, 2}, 0},
                    CheckCase{"ReadOtherAddress", readTwo, {0x02, 0x03, 0x04, 0, 1, 0, 2}, 2},
                    CheckCase{"ReadOtherFunction", readTwo, {0x01, 0x04, 0x04, 0, 1, 0, 2}, 2},
                    CheckCase{"ReadShorterThanAsked", readTwo, {0x01, 0x03, 0x02, 0, 1}, 2},
                    CheckCase{"PresetEchoed", presetOne, {0x01, 0x06, 0x00, 0x02, 0x00, 0x03}, 0},
                    CheckCase{"PresetValueDiffers", presetOne, {0x01, 0x06, 0x00, 0x02, 0x00, 0x04}, 2},
                    CheckCase{"MultipleEchoesHead", presetTwo, {0x01, 0x10, 0x00, 0x00, 0x00, 0x02}, 0},
                    CheckCase{"MultipleQuantityDiffers", presetTwo, {0x01, 0x10, 0x00, 0x00, 0x00, 0x01}, 2}),
    [](const testing::TestParamInfo<CheckCase>& info) { return info.param.name; });

TEST(ModbusEngine, RetriesFailedAttemptsUpToRetries) {
    struct Case {
        int16_t retries;
        size_t attempts;
    };
    for (const Case c : {Case{0, 1}, Case{1, 1}, Case{-5, 1}, Case{3, 3}}) {
        ScriptedModbus m;
        m.SetRetries(c.retries);
        m.answers.push_back({0, {0x09, 0x03, 0x04, 0, 0, 0, 0}});   // wrong address every time
        std::vector<uint16_t> v;
        EXPECT_EQ(m.ReadOutputRegisters(1, 0, 2, v), 2);
        EXPECT_EQ(m.requests.size(), c.attempts) << "Retries " << c.retries;
    }
}

TEST(ModbusEngine, StopsRetryingAtTheFirstSuccess) {
    ScriptedModbus m;
    m.SetRetries(5);
    m.answers = {{1, {}}, {3, {}}, {0, {0x01, 0x03, 0x02, 0xAA, 0xBB}}, {1, {}}};
    std::vector<uint16_t> v;
    EXPECT_EQ(m.ReadOutputRegisters(1, 0, 1, v), 0);
    EXPECT_EQ(m.requests.size(), 3u);
    EXPECT_EQ(v, std::vector<uint16_t>{0xAABB});
    // Every attempt sends the same body, whatever the transport appended.
    EXPECT_EQ(m.requests[0], m.requests[2]);
}

TEST(ModbusEngine, FailedReadLeavesZeroedOutput) {
    ScriptedModbus m;
    m.answers.push_back({0x8002, {}});
    std::vector<uint16_t> v{7, 7, 7};
    EXPECT_EQ(m.ReadOutputRegisters(1, 0, 2, v), 0x8002);
    EXPECT_EQ(v, (std::vector<uint16_t>{0, 0}));
}

TEST(ModbusEngine, ErrorTextsOfTheEngineTable) {
    ScriptedModbus m;
    const std::vector<std::pair<uint16_t, std::string>> texts{
        {0, "Ok"},
        {1, "Time Out Error"},
        {2, "invalid returned device response"},
        {3, "crc error"},
        {4, ""},
        {5, ""},
        {7, ""},
        {8, "Write communication error"},
        {9, "Read communication error"},
        {10, "Comm port not opened"},
        {11, "Critical section lock time-out error"},
        {12, ""},
        {1001, ""},
        {0x8002, "Modbus device return an exception code 2"},
        {0x80FF, "Modbus device return an exception code 255"},
    };
    for (const auto& [code, text] : texts) EXPECT_EQ(m.GetErrorText(code), text) << code;
}

TEST(ModbusEngine, ExceptionSwitchThrowsWithTextAndCode) {
    ScriptedModbus m;
    m.answers.push_back({1, {}});
    std::vector<uint16_t> v;
    EXPECT_EQ(m.ReadOutputRegisters(1, 0, 1, v), 1);   // off by default
    m.SetThrowExceptions(true);
    try {
        m.ReadOutputRegisters(1, 0, 1, v);
        FAIL() << "no exception";
    } catch (const CModbusException& e) {
        EXPECT_EQ(e.resultCode(), 1);
        EXPECT_EQ(e.errorMessage(), "Time Out Error error #1");
        EXPECT_STREQ(e.GetRuntimeClassName(), "CModbusException");
    }
    m.answers.front() = {0, {0x01, 0x03, 0x02, 0, 0}};
    EXPECT_EQ(m.ReadOutputRegisters(1, 0, 1, v), 0);   // success never throws
}

TEST(ModbusEngine, ExceptionMessageFitsTheCallersBuffer) {
    const CModbusException withCode("crc error", 3);
    const CModbusException withoutCode("Ok", 0);
    char buffer[200];
    ASSERT_TRUE(withCode.GetErrorMessage(buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "crc error error #3");
    ASSERT_TRUE(withoutCode.GetErrorMessage(buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "Ok error");
    char small[6];
    ASSERT_TRUE(withCode.GetErrorMessage(small, sizeof small));
    EXPECT_STREQ(small, "crc e");
}

}  // namespace
}  // namespace tern
