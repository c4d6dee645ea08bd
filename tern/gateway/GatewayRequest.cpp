#include <tern/gateway/GatewayRequest.h>

#include <tern/engine/CLocalModbus.h>
#include <tern/engine/ModbusChecksum.h>

#include <platform/Clock.h>

#include <algorithm>

namespace tern::gateway {

namespace {

uint16_t wordAt(const std::vector<uint8_t>& pdu, size_t i) { return static_cast<uint16_t>(pdu[i] << 8 | pdu[i + 1]); }

bool inRange(uint16_t value, uint16_t low, uint16_t high) { return value >= low && value <= high; }

// The frame of a broadcast as the line's framing wants it.
std::vector<uint8_t> serialFrame(const CLocalModbus& line, const std::vector<uint8_t>& body)
{
    if (line.GetTransmissionMode() == CLocalModbus::kAscii) {
        std::string text(":");
        for (uint8_t b : body) appendHexByte(text, b);
        appendHexByte(text, lrcModbus(body.data(), body.size()));
        text += "\r\n";
        return {text.begin(), text.end()};
    }
    std::vector<uint8_t> frame = body;
    const uint16_t crc = crc16Modbus(body.data(), body.size());
    frame.push_back(static_cast<uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<uint8_t>(crc >> 8));
    return frame;
}

LineAnswer broadcast(CLocalModbus& line, const std::vector<uint8_t>& body)
{
    LineAnswer answer;
    answer.reply = false;
    size_t received = 0;
    std::span<uint8_t> none;
    answer.result = line.RawExchange(serialFrame(line, body), none, received, 1);
    // The drives act on a broadcast after it ends; the next frame must not
    // run into their turnaround.
    platform::sleepMs(std::max<uint32_t>(CLocalModbus::silentTime(line.GetByteSize(), line.GetBaudRate()), 2));
    return answer;
}

}  // namespace

bool isWriteFunction(uint8_t function)
{
    return function == 5 || function == 6 || function == 15 || function == 16;
}

uint8_t checkRequest(const std::vector<uint8_t>& pdu, bool readOnly)
{
    if (pdu.size() < 5) return exception::kIllegalFunction;
    const uint8_t function = pdu[0];
    if (readOnly && isWriteFunction(function)) return exception::kIllegalFunction;
    const uint16_t quantity = wordAt(pdu, 3);
    switch (function) {
    case 1: case 2: return inRange(quantity, 1, 2000) ? 0 : exception::kIllegalDataValue;
    case 3: case 4: return inRange(quantity, 1, 125) ? 0 : exception::kIllegalDataValue;
    case 5: return quantity == 0xFF00 || quantity == 0 ? 0 : exception::kIllegalDataValue;
    case 6: return 0;
    case 15:
        return pdu.size() >= 6 && inRange(quantity, 1, 1968) && pdu[5] == (quantity + 7) / 8 ? 0
                                                                                                : exception::kIllegalDataValue;
    case 16:
        return pdu.size() >= 6 && inRange(quantity, 1, 123) && pdu[5] == 2 * quantity ? 0
                                                                                      : exception::kIllegalDataValue;
    default: return exception::kIllegalFunction;
    }
}

size_t responseBodyLength(const std::vector<uint8_t>& pdu)
{
    const uint16_t quantity = wordAt(pdu, 3);
    switch (pdu[0]) {
    case 1: case 2: return 3 + (quantity + 7u) / 8u;
    case 3: case 4: return 3 + 2u * quantity;
    default: return 6;
    }
}

std::vector<uint8_t> exceptionPdu(uint8_t function, uint8_t code)
{
    return {static_cast<uint8_t>(function | 0x80), code};
}

uint8_t exceptionForResult(uint16_t result)
{
    if (isExceptionResult(result)) return static_cast<uint8_t>(result & 0xFF);
    switch (result) {
    case result::kTimeOut:
    case result::kInvalidResponse:
    case result::kCrcError: return exception::kTargetNoResponse;
    default: return exception::kPathUnavailable;
    }
}

LineAnswer exchangeOnLine(CModbus& engine, uint8_t unit, const std::vector<uint8_t>& pdu)
{
    std::vector<uint8_t> request{unit};
    request.insert(request.end(), pdu.begin(), pdu.end());
    if (unit == 0)
        if (auto* line = dynamic_cast<CLocalModbus*>(&engine)) return broadcast(*line, request);

    LineAnswer answer;
    const size_t expected = responseBodyLength(pdu);
    std::vector<uint8_t> response(expected);
    size_t got = 0;
    answer.result = engine.Exchange(request, request.size(), response, expected, &got);
    // A frame from another station or for another function is no answer.
    if (answer.result == result::kOk && (got < 2 || response[0] != unit || response[1] != pdu[0]))
        answer.result = result::kInvalidResponse;
    if (answer.result == result::kOk) answer.pdu.assign(response.begin() + 1, response.begin() + static_cast<long>(got));
    else answer.pdu = exceptionPdu(pdu[0], exceptionForResult(answer.result));
    return answer;
}

}  // namespace tern::gateway
