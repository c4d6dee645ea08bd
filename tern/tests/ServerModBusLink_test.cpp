// The ModBusLink object itself, without the bus: shared connections, the
// usage errors, the VARIANT rules of every member and how failures are
// reported, against the simulated slave on an in-memory line.
#include <tern/server/CModBusLink.h>
#include <tern/server/ServerStrings.h>
#include <tern/automation/ErrorInfo.h>
#include <tern/automation/ModBusLinkIdentity.h>
#include <tern/tests/ServerVariants.h>

#include <sim/modbus/ModbusMapModel.h>
#include <sim/modbus/ModbusSlaveRunner.h>

#include <platform/MemoryLine.h>
#include <platform/RegistryStore.h>
#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

#include <bit>
#include <functional>
#include <memory>

namespace tern {
namespace {

using namespace tern::testkit;
using sim::ModbusTable;
using Table = server::ConnectionTable;

constexpr HRESULT usageHResult(uint16_t code) { return server::resultHResult(code); }
constexpr HRESULT kTimeOut = makeHResult(0x80040201);

std::string errorText()
{
    const auto info = GetErrorInfo();
    return info ? info->description : "<no error information>";
}

class ModBusLinkTest : public testing::Test {
protected:
    ModBusLinkTest() : redirect_(dir_.path())
    {
        table_.setEngineFactory([this](const std::string&, int16_t type) -> std::unique_ptr<CModbus> {
            if (type == server::kTcpConnection) return std::make_unique<CRemoteModbus>();
            return std::make_unique<CLocalModbus>(line_.a());
        });
        model_.fill();
        std::string error;
        EXPECT_TRUE(runner_.startSerial(line_.b(), error)) << error;
        ClearErrorInfo();
    }

    // An object on the serial connection "XYZ", connected, with a short time-out.
    std::unique_ptr<CModBusLink> connected(const std::string& name = "XYZ")
    {
        auto link = std::make_unique<CModBusLink>(table_);
        VARIANT_BOOL ok = VARIANT_FALSE;
        EXPECT_EQ(link->OpenConnection(name, server::kSerialConnection, &ok), S_OK);
        EXPECT_EQ(link->put_TimeOut(100), S_OK);
        EXPECT_EQ(link->Connect(&ok), S_OK);
        EXPECT_EQ(ok, VARIANT_TRUE);
        return link;
    }

    uint16_t holding(uint16_t address) const { return model_.value(ModbusTable::HoldingRegisters, 1, address); }

    platform::testing::TempDir dir_;
    platform::testing::RegistryRedirect redirect_;
    platform::MemoryLine line_;
    sim::ModbusMapModel model_{{1}, 1000};
    sim::ModbusSlaveRunner runner_{model_};
    Table table_;
};

TEST_F(ModBusLinkTest, ObjectsOpeningOneNameShareItsConnectionUntilTheLastLetsGo)
{
    auto first = connected();
    auto second = std::make_unique<CModBusLink>(table_);
    VARIANT_BOOL ok = VARIANT_FALSE;
    ASSERT_EQ(second->OpenConnection("XYZ", server::kSerialConnection, &ok), S_OK);
    EXPECT_EQ(table_.size(), 1u);

    ASSERT_EQ(first->put_BaudRate(19200), S_OK);
    int32_t baud = 0;
    ASSERT_EQ(second->get_BaudRate(&baud), S_OK);
    EXPECT_EQ(baud, 19200);
    VARIANT_BOOL active = VARIANT_FALSE;
    ASSERT_EQ(second->get_IsActive(&active), S_OK);
    EXPECT_EQ(active, VARIANT_TRUE);

    first.reset();  // releasing an object closes its reference like CloseConnection
    ASSERT_EQ(second->get_IsActive(&active), S_OK);
    EXPECT_EQ(active, VARIANT_TRUE);
    EXPECT_TRUE(line_.a().isOpen());

    ASSERT_EQ(second->CloseConnection(), S_OK);
    EXPECT_EQ(table_.size(), 0u);
    EXPECT_FALSE(line_.a().isOpen());
    // The name is case-sensitive and a new connection starts from the defaults.
    auto third = connected("xyz");
    ASSERT_EQ(third->get_BaudRate(&baud), S_OK);
    EXPECT_EQ(baud, 9600);
}

TEST_F(ModBusLinkTest, ASecondTypeJoinsTheConnectionOfItsName)
{
    auto serial = connected();
    CModBusLink joined(table_);
    VARIANT_BOOL ok = VARIANT_FALSE;
    ASSERT_EQ(joined.OpenConnection("XYZ", server::kTcpConnection, &ok), S_OK);
    EXPECT_EQ(ok, VARIANT_TRUE);
    std::string host;
    EXPECT_EQ(joined.get_Host(&host), usageHResult(server::usage::kRemoteOnly));
    EXPECT_EQ(errorText(), "This property or method must be called only for remote connection");
    int16_t port = 0;
    EXPECT_EQ(joined.get_ComPort(&port), S_OK);
}

TEST_F(ModBusLinkTest, SerialMembersRefuseATcpConnection)
{
    CModBusLink tcp(table_);
    VARIANT_BOOL ok = VARIANT_FALSE;
    ASSERT_EQ(tcp.OpenConnection("peer", server::kTcpConnection, &ok), S_OK);
    const HRESULT localOnly = usageHResult(server::usage::kLocalOnly);
    std::string path;
    int32_t ret = 0;
    COleVariant response;
    EXPECT_EQ(tcp.put_FlowControl(1), localOnly);
    EXPECT_EQ(errorText(), "This property or method must be called only for local connection");
    EXPECT_EQ(tcp.CreateTCPServer(&path), localOnly);
    EXPECT_EQ(tcp.TxRxRawData(intArray(VT_UI1, {1}), 1, &response, 0, 10, nullptr, &ret), localOnly);
    EXPECT_EQ(tcp.put_TimeOut(2500), S_OK);  // either kind
    int32_t timeOut = 0;
    EXPECT_EQ(tcp.get_TimeOut(&timeOut), S_OK);
    EXPECT_EQ(timeOut, 2500);
    EXPECT_EQ(tcp.put_Host("127.0.0.1"), S_OK);
}

TEST_F(ModBusLinkTest, EveryMemberThatNeedsAConnectionFailsWithoutOne)
{
    CModBusLink link(table_);
    VARIANT_BOOL ok = VARIANT_TRUE;
    ASSERT_EQ(link.OpenConnection("XYZ", 3, &ok), S_OK);  // not a connection type: no error
    EXPECT_EQ(ok, VARIANT_FALSE);
    int16_t s = 0;
    int32_t l = 0;
    std::string text;
    COleVariant v;
    const std::vector<std::pair<const char*, std::function<HRESULT()>>> members = {
        {"ComPort", [&] { return link.get_ComPort(&s); }},
        {"FlowControl", [&] { return link.put_FlowControl(2); }},
        {"Connect", [&] { return link.Connect(&ok); }},
        {"IsActive", [&] { return link.get_IsActive(&ok); }},
        {"Retries", [&] { return link.put_Retries(3); }},
        {"TimeOut", [&] { return link.get_TimeOut(&l); }},
        {"Host", [&] { return link.get_Host(&text); }},
        {"TcpServer", [&] { return link.get_TcpServer(&text); }},
        {"ReadOutputRegisters",
         [&] { return link.ReadOutputRegisters(1, 0, 1, &v, COleVariant::Missing(), COleVariant::Missing(), &l); }},
        {"PresetSingleRegister", [&] { return link.PresetSingleRegister(1, 0, COleVariant::I2(1), v, &l); }},
        {"TxRxMessage", [&] { return link.TxRxMessage(intArray(VT_UI1, {1}), 1, &v, 0, nullptr, &l); }},
    };
    for (const auto& [name, call] : members) {
        EXPECT_EQ(call(), usageHResult(server::usage::kNotOpened)) << name;
        const auto info = GetErrorInfo();
        ASSERT_TRUE(info) << name;
        EXPECT_EQ(info->description, "Connection not opened") << name;
        EXPECT_EQ(info->interfaceGuid, identity::kErrorInterfaceGuid) << name;
    }
    EXPECT_EQ(link.put_RaiseError(VARIANT_TRUE), S_OK);
    EXPECT_EQ(link.get_RaiseError(&ok), S_OK);
    EXPECT_EQ(ok, VARIANT_TRUE);
    EXPECT_EQ(link.CloseConnection(), S_OK);
}

TEST_F(ModBusLinkTest, RegistersComeBackAsTheRequestedType)
{
    auto link = connected();
    model_.setValue(ModbusTable::HoldingRegisters, 1, 10, 0xFFFF);
    struct Case {
        COleVariant varType;
        VARTYPE vt;
        int64_t value;
    };
    const Case cases[] = {{COleVariant::Missing(), VT_ARRAY | VT_I4, 65535},
                          {COleVariant::I2(2), VT_ARRAY | VT_I2, -1},
                          {COleVariant::I4(3), VT_ARRAY | VT_I4, 65535},
                          {COleVariant::I2(1), VT_ARRAY | VT_I4, 65535},
                          {COleVariant::I2(6), VT_ARRAY | VT_I4, 65535},
                          {COleVariant::String("2"), VT_ARRAY | VT_I4, 65535}};
    for (const auto& c : cases) {
        COleVariant values = COleVariant::I4(99);  // whatever the caller passed is replaced
        int32_t ret = -1;
        ASSERT_EQ(link->ReadOutputRegisters(1, 10, 1, &values, c.varType, COleVariant::Missing(), &ret), S_OK);
        EXPECT_EQ(ret, 0);
        EXPECT_EQ(values.vt(), c.vt);
        EXPECT_EQ(integersOf(values), std::vector<int64_t>{c.value});
    }
}

TEST_F(ModBusLinkTest, FloatingPointReadsTakeTwoOrFourRegistersInTheAskedWordOrder)
{
    auto link = connected();
    const uint32_t bits = std::bit_cast<uint32_t>(1.5f);
    model_.setValue(ModbusTable::InputRegisters, 1, 20, static_cast<uint16_t>(bits >> 16));
    model_.setValue(ModbusTable::InputRegisters, 1, 21, static_cast<uint16_t>(bits));
    COleVariant values;
    int32_t ret = -1;
    ASSERT_EQ(link->ReadInputRegisters(1, 20, 1, &values, COleVariant::I2(4), COleVariant::I2(1), &ret), S_OK);
    ASSERT_EQ(values.vt(), VT_ARRAY | VT_R4);
    EXPECT_EQ(values.array()->realAt(0), 1.5);

    const uint64_t wide = std::bit_cast<uint64_t>(-2.25);
    for (unsigned i = 0; i < 4; ++i)  // low word first: the word-order flag is clear
        model_.setValue(ModbusTable::HoldingRegisters, 1, static_cast<uint16_t>(30 + i),
                        static_cast<uint16_t>(wide >> (16 * i)));
    ASSERT_EQ(link->ReadOutputRegisters(1, 30, 1, &values, COleVariant::I4(5), COleVariant::I4(0), &ret), S_OK);
    ASSERT_EQ(values.vt(), VT_ARRAY | VT_R8);
    EXPECT_EQ(values.array()->realAt(0), -2.25);
}

TEST_F(ModBusLinkTest, ATimeOutFailsTheCallOnlyWhenRaiseErrorIsOn)
{
    auto link = connected();
    runner_.faults().add(*sim::parseFault("noreply"));
    COleVariant values;
    int32_t ret = 0;
    ASSERT_EQ(link->ReadOutputRegisters(1, 0, 2, &values, COleVariant::Missing(), COleVariant::Missing(), &ret), S_OK);
    EXPECT_EQ(ret, kTimeOut);
    EXPECT_FALSE(GetErrorInfo());
    EXPECT_EQ(integersOf(values), (std::vector<int64_t>{0, 0}));  // still an array of Quantity values

    ASSERT_EQ(link->put_RaiseError(VARIANT_TRUE), S_OK);
    EXPECT_EQ(link->ReadOutputRegisters(1, 0, 2, &values, COleVariant::Missing(), COleVariant::Missing(), &ret),
              kTimeOut);
    const auto info = GetErrorInfo();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->description, "Time Out Error");
    EXPECT_EQ(info->interfaceGuid, "{B3DE3CC1-C629-11D1-8FE9-E4CD05C10000}");
    EXPECT_EQ(info->source, "");  // no ProgID registered for the source class

    platform::RegistryStore::instance().setString(platform::Hive::ClassesRoot,
                                                  "CLSID\\{B3DE3CC2-C629-11D1-8FE9-E4CD05C10000}\\ProgID", "",
                                                  "Modbus.Errors.1");
    EXPECT_EQ(link->PresetSingleRegister(1, 0, COleVariant::I2(1), COleVariant::Missing(), &ret), kTimeOut);
    EXPECT_EQ(GetErrorInfo().value_or(ErrorInfo{}).source, "Modbus.Errors.1");
}

TEST_F(ModBusLinkTest, ASlaveExceptionBecomesItsOwnOutValueAndText)
{
    auto link = connected();
    COleVariant values;
    int32_t ret = 0;
    ASSERT_EQ(link->ReadOutputRegisters(1, 999, 2, &values, COleVariant::Missing(), COleVariant::Missing(), &ret),
              S_OK);
    EXPECT_EQ(ret, makeHResult(0x80048202));
    link->put_RaiseError(VARIANT_TRUE);
    EXPECT_EQ(link->ReadOutputStatus(1, 999, 9, &values, &ret), makeHResult(0x80048202));
    EXPECT_EQ(errorText(), "Modbus device return an exception code 2");
}

TEST_F(ModBusLinkTest, ASingleRegisterIsWrittenByTheTypeOfItsValue)
{
    auto link = connected();
    int32_t ret = -1;
    ASSERT_EQ(link->PresetSingleRegister(1, 5, COleVariant::I4(0x12345), COleVariant::Missing(), &ret), S_OK);
    EXPECT_EQ(ret, 0);
    EXPECT_EQ(holding(5), 0x2345);
    ASSERT_EQ(link->PresetSingleRegister(1, 6, COleVariant::Integer(VT_I2 | VT_BYREF, -2), COleVariant::Missing(), &ret),
              S_OK);
    EXPECT_EQ(holding(6), 0xFFFE);

    const uint32_t single = std::bit_cast<uint32_t>(3.5f);
    ASSERT_EQ(link->PresetSingleRegister(1, 40, COleVariant::R4(3.5f), COleVariant::I4(1), &ret), S_OK);
    EXPECT_EQ(holding(40), single >> 16);  // word order flag set: high word first
    EXPECT_EQ(holding(41), single & 0xFFFF);
    const uint64_t wide = std::bit_cast<uint64_t>(0.1);
    ASSERT_EQ(link->PresetSingleRegister(1, 50, COleVariant::R8(0.1), COleVariant::Missing(), &ret), S_OK);
    for (unsigned i = 0; i < 4; ++i) EXPECT_EQ(holding(static_cast<uint16_t>(50 + i)), (wide >> (16 * i)) & 0xFFFF);
}

TEST_F(ModBusLinkTest, ASingleRegisterValueOfAnotherTypeIsATypeMismatchWhateverRaiseErrorSays)
{
    auto link = connected();
    const uint16_t before = holding(5);
    const COleVariant refused[] = {COleVariant::String("12"), COleVariant::Bool(true), COleVariant::UI1(1),
                                   intArray(VT_I2, {1}), COleVariant(), COleVariant::Missing()};
    for (const auto& value : refused) {
        int32_t ret = 0;
        EXPECT_EQ(link->PresetSingleRegister(1, 5, value, COleVariant::Missing(), &ret),
                  usageHResult(server::usage::kTypeMismatch))
            << value.vt();
        EXPECT_EQ(errorText(), "TYPE MISMACTH Error");
    }
    EXPECT_EQ(holding(5), before);
}

TEST_F(ModBusLinkTest, MultipleRegistersAcceptTheirArrayShapesAndNothingElse)
{
    auto link = connected();
    int32_t ret = -1;
    ASSERT_EQ(link->PresetMultipleRegisters(1, 100, 3, intArray(VT_I4, {0x10001, -1}), COleVariant::Missing(), &ret),
              S_OK);
    EXPECT_EQ(holding(100), 1);
    EXPECT_EQ(holding(101), 0xFFFF);
    EXPECT_EQ(holding(102), 0);  // beyond the caller's array: 0

    // A VARIANT by reference around a double array counts as single precision.
    const COleVariant wrapped = COleVariant::RefVariant(realArray(VT_R8, {2.5}));
    ASSERT_EQ(link->PresetMultipleRegisters(1, 110, 1, wrapped, COleVariant::Missing(), &ret), S_OK);
    const uint32_t single = std::bit_cast<uint32_t>(2.5f);
    EXPECT_EQ(holding(110), single & 0xFFFF);
    EXPECT_EQ(holding(111), single >> 16);

    struct Refused {
        COleVariant values;
        uint16_t code;
    };
    const Refused refused[] = {
        {COleVariant::Array(COleSafeArray::Vector(VT_BSTR, 2)), server::usage::kTypeMismatch},
        {intArray(VT_UI1, {1}), server::usage::kTypeMismatch},
        {COleVariant::String("1"), server::usage::kTypeMismatch},
        {COleVariant::Array(COleSafeArray(VT_I4, {{2, 0}, {2, 0}})), server::usage::kArrayError},
        {COleVariant::RefVariant(intArray(VT_I2, {1})), server::usage::kArrayError},
        {intArray(VT_BOOL, {1}), server::usage::kArrayError},
        {COleVariant::I2(7), server::usage::kArrayError},
    };
    for (const auto& r : refused) {
        EXPECT_EQ(link->PresetMultipleRegisters(1, 120, 1, r.values, COleVariant::Missing(), &ret),
                  usageHResult(r.code))
            << r.values.vt();
        EXPECT_EQ(errorText(), server::usageErrorText(r.code));
    }
    EXPECT_EQ(errorText(), "<no error information>");  // taken by the last look
    EXPECT_EQ(server::usageErrorText(server::usage::kArrayError), "Error building  Array ");
}

TEST_F(ModBusLinkTest, CoilsGoOnForTrueAndComeBackAsBooleans)
{
    auto link = connected();
    int32_t ret = -1;
    ASSERT_EQ(link->ForceMultipleCoils(1, 0, 4, intArray(VT_BOOL, {1, 0, 1, 1}), &ret), S_OK);
    ASSERT_EQ(link->ForceSingleCoil(1, 2, VARIANT_FALSE, &ret), S_OK);
    COleVariant coils;
    ASSERT_EQ(link->ReadOutputStatus(1, 0, 4, &coils, &ret), S_OK);
    EXPECT_EQ(coils.vt(), VT_ARRAY | VT_BOOL);
    EXPECT_EQ(integersOf(coils), (std::vector<int64_t>{-1, 0, 0, -1}));
    EXPECT_EQ(link->ForceMultipleCoils(1, 0, 1, realArray(VT_R8, {1}), &ret),
              usageHResult(server::usage::kArrayError));
}

TEST_F(ModBusLinkTest, ARawFrameGoesThroughTheFramingAndComesBackAsItsBody)
{
    auto link = connected();
    const std::vector<int64_t> body{1, 3, 2, holding(7) >> 8, holding(7) & 0xFF};
    COleVariant response, count = COleVariant::I2(0);
    int32_t ret = -1;
    ASSERT_EQ(link->TxRxMessage(intArray(VT_I4, {1, 3, 0, 7, 0, 1, 0xEE}), 6, &response, 5, &count, &ret), S_OK);
    EXPECT_EQ(ret, 0);
    EXPECT_EQ(response.vt(), VT_ARRAY | VT_UI1);
    EXPECT_EQ(integersOf(response), body);
    EXPECT_EQ(count, COleVariant::I4(5));

    COleVariant missing = COleVariant::Missing();
    ASSERT_EQ(link->TxRxMessage(intArray(VT_UI1, {1, 3, 0, 7, 0, 1}), 6, &response, 0, &missing, &ret), S_OK);
    EXPECT_EQ(integersOf(response), body);
    EXPECT_TRUE(missing.isMissing());
    EXPECT_EQ(link->TxRxMessage(intArray(VT_UI1, {1}), -1, &response, 0, nullptr, &ret),
              usageHResult(server::usage::kArrayError));
}

TEST_F(ModBusLinkTest, ARawExchangeHandsBackExactlyWhatCame)
{
    auto link = connected();
    COleVariant response, count;
    int32_t ret = -1;
    // 01 03 00 07 00 01 with its CRC: the slave answers 7 bytes.
    const COleVariant query = intArray(VT_UI1, {0x01, 0x03, 0x00, 0x07, 0x00, 0x01, 0x35, 0xCB});
    ASSERT_EQ(link->TxRxRawData(query, 8, &response, 64, 100, &count, &ret), S_OK);
    EXPECT_EQ(ret, 0);
    EXPECT_EQ(integersOf(response).size(), 7u);
    EXPECT_EQ(count, COleVariant::I4(7));
}

TEST_F(ModBusLinkTest, AnAsciiExchangeHandsBackItsWholeBufferWithTheBodyFirst)
{
    platform::MemoryLine asciiLine;
    sim::ModbusSlaveRunner asciiSlave(model_, sim::ModbusRunnerOptions{sim::ModbusFraming::Ascii});
    std::string error;
    ASSERT_TRUE(asciiSlave.startSerial(asciiLine.b(), error)) << error;
    table_.setEngineFactory([&](const std::string&, int16_t) { return std::make_unique<CLocalModbus>(asciiLine.a()); });
    CModBusLink link(table_);
    VARIANT_BOOL ok = VARIANT_FALSE;
    ASSERT_EQ(link.OpenConnection("ASCII", 1, &ok), S_OK);
    ASSERT_EQ(link.put_TransmissionMode(1), S_OK);
    ASSERT_EQ(link.Connect(&ok), S_OK);
    COleVariant response, count;
    int32_t ret = -1;
    ASSERT_EQ(link.TxRxMessage(intArray(VT_UI1, {1, 3, 0, 7, 0, 1}), 6, &response, 0, &count, &ret), S_OK);
    EXPECT_EQ(ret, 0);
    const auto bytes = integersOf(response);
    ASSERT_EQ(bytes.size(), 512u);
    EXPECT_EQ(std::vector<int64_t>(bytes.begin(), bytes.begin() + 5),
              (std::vector<int64_t>{1, 3, 2, holding(7) >> 8, holding(7) & 0xFF}));
    EXPECT_EQ(count, COleVariant::I4(5));
}

TEST_F(ModBusLinkTest, ATcpConnectionReachesItsPeer)
{
    sim::ModbusSlaveRunner peer(model_);
    std::string error;
    ASSERT_TRUE(peer.startTcp(0, error)) << error;
    CModBusLink link(table_);
    VARIANT_BOOL ok = VARIANT_FALSE;
    ASSERT_EQ(link.OpenConnection("TCP", server::kTcpConnection, &ok), S_OK);
    ASSERT_EQ(link.put_Host("127.0.0.1"), S_OK);
    ASSERT_EQ(link.put_TcpPort(peer.tcpPort()), S_OK);
    ASSERT_EQ(link.put_TimeOut(500), S_OK);
    ASSERT_EQ(link.Connect(&ok), S_OK);
    ASSERT_EQ(ok, VARIANT_TRUE);
    COleVariant values;
    int32_t ret = -1;
    ASSERT_EQ(link.ReadOutputRegisters(1, 3, 2, &values, COleVariant::Missing(), COleVariant::Missing(), &ret), S_OK);
    EXPECT_EQ(ret, 0);
    EXPECT_EQ(integersOf(values), (std::vector<int64_t>{holding(3), holding(4)}));
    COleVariant response;
    ASSERT_EQ(link.TxRxMessage(intArray(VT_I2, {1, 3, 0, 7, 0, 1}), 6, &response, 5, nullptr, &ret), S_OK);
    EXPECT_EQ(integersOf(response), (std::vector<int64_t>{1, 3, 2, holding(7) >> 8, holding(7) & 0xFF}));
}

TEST_F(ModBusLinkTest, AnInOutValueThatCannotBeClearedIsTheCallsResult)
{
    auto link = connected();
    COleVariant values = COleVariant::Unsupported(0x0FFF);
    int32_t ret = 0;
    EXPECT_EQ(link->ReadOutputRegisters(1, 0, 1, &values, COleVariant::Missing(), COleVariant::Missing(), &ret),
              DISP_E_BADVARTYPE);
    EXPECT_EQ(values.vt(), 0x0FFF);
}

}  // namespace
}  // namespace tern
