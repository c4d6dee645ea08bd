// The Modbus request members of CModBusLink: VARIANT arguments in, the
// engine's operation, the result code out.
#include <tern/server/CModBusLink.h>

#include <tern/server/COleSafeArrayEx.h>
#include <tern/server/COleVariantEx.h>
#include <tern/server/ServerStrings.h>

#include <algorithm>
#include <bit>

namespace tern {

using server::CConnection;
namespace usage = server::usage;

namespace {

enum ResultType { kShorts = 2, kLongs = 3, kSingles = 4, kDoubles = 5 };

// vVarType: missing, or outside 2..5, means 4-byte integers.
int resultType(const COleVariant& varType)
{
    const auto n = COleVariantEx(varType).GetInteger();
    return n && *n >= kShorts && *n <= kDoubles ? static_cast<int>(*n) : kLongs;
}

// Exactly count values: the engine's answer, or zeros where a failed
// request left none.
template <typename T>
void settle(std::vector<T>& values, size_t count, uint16_t code)
{
    if (code != 0) values.assign(count, T{});
    values.resize(count);
}

template <typename To, typename From>
std::vector<To> bitCasts(const std::vector<From>& in)
{
    std::vector<To> out(in.size());
    std::transform(in.begin(), in.end(), out.begin(), [](From v) { return std::bit_cast<To>(v); });
    return out;
}

// An input array cut or padded with zeros to count elements: elements
// beyond the caller's array are sent as 0.
template <typename T>
std::vector<T> sized(std::vector<T> values, size_t count)
{
    values.resize(count);
    return values;
}

}  // namespace

HRESULT CModBusLink::readRegisters(bool input, int16_t Addr, int32_t DataStart, int16_t Quantity,
                                   COleVariant* values, const COleVariant& varType, const COleVariant& realType,
                                   int32_t* retval)
{
    std::shared_ptr<CConnection> c;
    if (HRESULT hr = need(Needs::Any, c); FAILED(hr)) return hr;
    if (HRESULT hr = values->Clear(); FAILED(hr)) return hr;
    CModbus& engine = c->engine();
    const auto slave = static_cast<uint8_t>(Addr);
    const auto start = static_cast<uint16_t>(DataStart);
    const auto count = static_cast<uint16_t>(Quantity);
    const bool highFirst = COleVariantEx(realType).IsIntegerOne();
    const auto table = input ? CModbus::RegisterTable::Input : CModbus::RegisterTable::Holding;
    uint16_t code = 0;
    switch (const int type = resultType(varType)) {
    case kSingles: {
        std::vector<uint32_t> raw(count);
        code = engine.ReadRegisters32(table, slave, start, count, highFirst, raw);
        settle(raw, count, code);
        *values = COleVariant::Array(COleSafeArrayEx::FromSingles(bitCasts<float>(raw)));
        break;
    }
    case kDoubles: {
        std::vector<uint64_t> raw(count);
        code = engine.ReadRegisters64(table, slave, start, count, highFirst, raw);
        settle(raw, count, code);
        *values = COleVariant::Array(COleSafeArrayEx::FromDoubles(bitCasts<double>(raw)));
        break;
    }
    default: {
        std::vector<uint16_t> words(count);
        code = input ? engine.ReadInputRegisters(slave, start, count, words)
                     : engine.ReadOutputRegisters(slave, start, count, words);
        settle(words, count, code);
        *values = COleVariant::Array(COleSafeArrayEx::FromRegisterWords(words, type == kShorts ? VT_I2 : VT_I4));
    }
    }
    return finish(code, *c, retval);
}

HRESULT CModBusLink::ReadOutputRegisters(int16_t Addr, int32_t DataStart, int16_t Quantity, COleVariant* vRegValues,
                                         const COleVariant& vVarType, const COleVariant& vRealType, int32_t* lpRetVal)
{
    return readRegisters(false, Addr, DataStart, Quantity, vRegValues, vVarType, vRealType, lpRetVal);
}

HRESULT CModBusLink::ReadInputRegisters(int16_t Addr, int32_t DataStart, int16_t Quantity, COleVariant* vRegValues,
                                        const COleVariant& vVarType, const COleVariant& vRealType, int32_t* plRetVal)
{
    return readRegisters(true, Addr, DataStart, Quantity, vRegValues, vVarType, vRealType, plRetVal);
}

HRESULT CModBusLink::readBits(bool input, int16_t Addr, int32_t DataStart, int16_t Quantity, COleVariant* values,
                              int32_t* retval)
{
    std::shared_ptr<CConnection> c;
    if (HRESULT hr = need(Needs::Any, c); FAILED(hr)) return hr;
    if (HRESULT hr = values->Clear(); FAILED(hr)) return hr;
    const auto slave = static_cast<uint8_t>(Addr);
    const auto start = static_cast<uint16_t>(DataStart);
    const auto count = static_cast<uint16_t>(Quantity);
    std::vector<uint8_t> bits(count);
    const uint16_t code = input ? c->engine().ReadInputStatus(slave, start, count, bits)
                                : c->engine().ReadOutputStatus(slave, start, count, bits);
    settle(bits, count, code);
    *values = COleVariant::Array(COleSafeArrayEx::FromCoils(bits));
    return finish(code, *c, retval);
}

HRESULT CModBusLink::ReadOutputStatus(int16_t Addr, int32_t DataStart, int16_t Quantity, COleVariant* vCoilValues,
                                      int32_t* plRetVal)
{
    return readBits(false, Addr, DataStart, Quantity, vCoilValues, plRetVal);
}

HRESULT CModBusLink::ReadInputStatus(int16_t Addr, int32_t DataStart, int16_t Quantity, COleVariant* vCoilValues,
                                     int32_t* plRetVal)
{
    return readBits(true, Addr, DataStart, Quantity, vCoilValues, plRetVal);
}

HRESULT CModBusLink::PresetSingleRegister(int16_t Addr, int32_t Register, const COleVariant& RegValue,
                                          const COleVariant& vRealType, int32_t* lRetval)
{
    std::shared_ptr<CConnection> c;
    if (HRESULT hr = need(Needs::Any, c); FAILED(hr)) return hr;
    const auto slave = static_cast<uint8_t>(Addr);
    const auto reg = static_cast<uint16_t>(Register);
    const bool highFirst = COleVariantEx(vRealType).IsIntegerOne();
    // Only scalars: an array's value is not a register value.
    const bool scalar = COleVariant::isValidType(RegValue.vt()) && !RegValue.isArray();
    uint16_t code = usage::kTypeMismatch;
    switch (scalar ? RegValue.vt() & 0x7F : 0) {
    case VT_I2:
    case VT_I4:
        code = c->engine().PresetSingleRegister(slave, reg, static_cast<uint16_t>(RegValue.integer()));
        break;
    case VT_R4:
        code = c->engine().PresetRegister32(slave, reg, highFirst,
                                            std::bit_cast<uint32_t>(static_cast<float>(RegValue.real())));
        break;
    case VT_R8:
        code = c->engine().PresetRegister64(slave, reg, highFirst, std::bit_cast<uint64_t>(RegValue.real()));
        break;
    default:
        break;
    }
    return finish(code, *c, lRetval);
}

HRESULT CModBusLink::ForceSingleCoil(int16_t Addr, int32_t Register, VARIANT_BOOL CoilValue, int32_t* plRetVal)
{
    std::shared_ptr<CConnection> c;
    if (HRESULT hr = need(Needs::Any, c); FAILED(hr)) return hr;
    const int state = CoilValue == VARIANT_TRUE ? 1 : 0;
    const uint16_t code =
        c->engine().ForceSingleCoil(static_cast<uint8_t>(Addr), static_cast<uint16_t>(Register), state);
    return finish(code, *c, plRetVal);
}

uint16_t CModBusLink::presetRegisterValues(CModbus& engine, int16_t Addr, int32_t DataStart, int16_t Quantity,
                                           const COleVariant& values, bool highWordFirst)
{
    const auto slave = static_cast<uint8_t>(Addr);
    const auto start = static_cast<uint16_t>(DataStart);
    const auto count = static_cast<uint16_t>(Quantity);
    const int kind = values.vt() & 0xF7;
    if (kind < VT_I2 || kind > VT_R8) return usage::kTypeMismatch;
    COleSafeArrayEx array;
    if (!COleVariantEx(values).GetArray(array)) return usage::kArrayError;
    if (kind == VT_R4) {
        std::vector<float> singles;
        if (!array.GetSingles(singles)) return usage::kArrayError;
        return engine.PresetRegisters32(slave, start, count, highWordFirst, bitCasts<uint32_t>(sized(singles, count)));
    }
    if (kind == VT_R8) {
        std::vector<double> doubles;
        if (!array.GetDoubles(doubles)) return usage::kArrayError;
        return engine.PresetRegisters64(slave, start, count, highWordFirst, bitCasts<uint64_t>(sized(doubles, count)));
    }
    std::vector<uint16_t> words;
    if (!array.GetRegisterWords(words)) return usage::kArrayError;
    return engine.PresetMultipleRegisters(slave, start, count, sized(words, count));
}

HRESULT CModBusLink::PresetMultipleRegisters(int16_t Addr, int32_t DataStart, int16_t Quantity,
                                             const COleVariant& vRegValues, const COleVariant& vRealType,
                                             int32_t* plRetVal)
{
    std::shared_ptr<CConnection> c;
    if (HRESULT hr = need(Needs::Any, c); FAILED(hr)) return hr;
    const bool highFirst = COleVariantEx(vRealType).IsIntegerOne();
    const uint16_t code = presetRegisterValues(c->engine(), Addr, DataStart, Quantity, vRegValues, highFirst);
    return finish(code, *c, plRetVal);
}

HRESULT CModBusLink::ForceMultipleCoils(int16_t Addr, int32_t DataStart, int16_t Quantity,
                                        const COleVariant& vCoilValues, int32_t* plRetVal)
{
    std::shared_ptr<CConnection> c;
    if (HRESULT hr = need(Needs::Any, c); FAILED(hr)) return hr;
    COleSafeArrayEx array;
    std::vector<uint8_t> coils;
    uint16_t code = usage::kArrayError;
    if (COleVariantEx(vCoilValues).GetArray(array) && array.GetCoils(coils)) {
        const auto count = static_cast<uint16_t>(Quantity);
        code = c->engine().ForceMultipleCoils(static_cast<uint8_t>(Addr), static_cast<uint16_t>(DataStart), count,
                                              sized(coils, count));
    }
    return finish(code, *c, plRetVal);
}

// ---- raw frames ---------------------------------------------------------------

namespace {

constexpr size_t kDefaultResponseBuffer = 512;

// The query bytes: QueryLength of them, zeros beyond the caller's array; a
// negative length cannot make an array.
bool queryBytes(const COleVariant& vQuery, int16_t QueryLength, std::vector<uint8_t>& out)
{
    COleSafeArrayEx array;
    if (QueryLength < 0 || !COleVariantEx(vQuery).GetArray(array) || !array.GetBytes(out)) return false;
    out.resize(static_cast<size_t>(QueryLength));
    return true;
}

size_t responseCapacity(int16_t RespLength)
{
    return RespLength > 0 ? static_cast<size_t>(RespLength) : kDefaultResponseBuffer;
}

}  // namespace

HRESULT CModBusLink::beginRaw(Needs needs, const COleVariant& vQuery, int16_t QueryLength, COleVariant* vResponse,
                              COleVariant*& vNumOfBytesRead, std::shared_ptr<CConnection>& c,
                              std::vector<uint8_t>& query, int32_t* retval)
{
    std::shared_ptr<CConnection> connection;
    if (HRESULT hr = need(needs, connection); FAILED(hr)) return hr;
    if (vNumOfBytesRead && vNumOfBytesRead->isMissing()) vNumOfBytesRead = nullptr;
    if (HRESULT hr = vResponse->Clear(); FAILED(hr)) return hr;
    if (vNumOfBytesRead)
        if (HRESULT hr = vNumOfBytesRead->Clear(); FAILED(hr)) return hr;
    if (!queryBytes(vQuery, QueryLength, query)) return finish(usage::kArrayError, *connection, retval);
    c = std::move(connection);
    return S_OK;
}

HRESULT CModBusLink::exchangeResult(CConnection& c, uint16_t code, std::vector<uint8_t> response,
                                    COleVariant* vResponse, size_t received, COleVariant* vNumOfBytesRead,
                                    int32_t* retval)
{
    *vResponse = COleVariant::Array(COleSafeArrayEx::FromBytes(response));
    if (vNumOfBytesRead) *vNumOfBytesRead = COleVariant::I4(static_cast<int32_t>(received));
    return finish(code, c, retval);
}

HRESULT CModBusLink::TxRxMessage(const COleVariant& vQuery, int16_t QueryLength, COleVariant* vResponse,
                                 int16_t RespLength, COleVariant* vNumOfBytesRead, int32_t* plRetVal)
{
    std::shared_ptr<CConnection> c;
    std::vector<uint8_t> query;
    if (HRESULT hr = beginRaw(Needs::Any, vQuery, QueryLength, vResponse, vNumOfBytesRead, c, query, plRetVal); FAILED(hr))
        return hr;
    // The framing would put a lone checksum on the shared line.
    if (query.empty()) return finish(usage::kArrayError, *c, plRetVal);
    // An ASCII exchange hands back its whole receive buffer with the frame
    // body at the start; RTU and TCP exactly the frame body.
    const bool ascii = c->local() && c->local()->GetTransmissionMode() == CLocalModbus::kAscii;
    std::vector<uint8_t> response(ascii ? responseCapacity(RespLength) : 0);
    size_t received = 0;
    const size_t expected = RespLength > 0 ? static_cast<size_t>(RespLength) : 0;
    const uint16_t code = c->engine().Exchange(query, query.size(), response, expected, &received);
    if (!ascii) response.resize(code == 0 ? received : 0);
    return exchangeResult(*c, code, std::move(response), vResponse, code == 0 ? received : 0, vNumOfBytesRead,
                          plRetVal);
}

HRESULT CModBusLink::TxRxRawData(const COleVariant& vQuery, int16_t QueryLength, COleVariant* vResponse,
                                 int16_t RespLength, int32_t TimeOut, COleVariant* vNumOfBytesRead,
                                 int32_t* plRetVal)
{
    std::shared_ptr<CConnection> c;
    std::vector<uint8_t> query;
    if (HRESULT hr = beginRaw(Needs::Serial, vQuery, QueryLength, vResponse, vNumOfBytesRead, c, query, plRetVal); FAILED(hr))
        return hr;
    std::vector<uint8_t> response(responseCapacity(RespLength));
    size_t received = 0;
    // A negative wait would be read as some fifty days: it means "the port's own".
    const uint32_t wait = TimeOut > 0 ? static_cast<uint32_t>(TimeOut) : 0;
    const uint16_t code = c->local()->RawExchange(query, response, received, wait);
    response.resize(std::min(received, response.size()));
    return exchangeResult(*c, code, std::move(response), vResponse, received, vNumOfBytesRead, plRetVal);
}

}  // namespace tern
