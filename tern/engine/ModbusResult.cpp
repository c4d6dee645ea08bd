#include <tern/engine/ModbusResult.h>

#include <array>

namespace tern {
namespace {

struct ResultText {
    uint16_t code;
    const char* text;
};

constexpr std::array kEngineTexts{
    ResultText{result::kOk, "Ok"},
    ResultText{result::kTimeOut, "Time Out Error"},
    ResultText{result::kInvalidResponse, "invalid returned device response"},
    ResultText{result::kCrcError, "crc error"},
    ResultText{result::kWriteError, "Write communication error"},
    ResultText{result::kReadError, "Read communication error"},
    ResultText{result::kPortNotOpen, "Comm port not opened"},
    ResultText{result::kLockTimeOut, "Critical section lock time-out error"},
};

constexpr std::array kRemoteTexts{
    ResultText{result::kBufferOverflow, "Buffer Overflow"},
    ResultText{result::kSocketError, "Socket Error"},
    ResultText{result::kWriteSocketError, "Write Socket Error"},
    ResultText{result::kReadSocketError, "Read Socket Error"},
    ResultText{result::kSocketNotConnected, "Socket not connected"},
};

template <typename Table>
const char* find(const Table& table, uint16_t code) {
    for (const ResultText& entry : table) {
        if (entry.code == code) return entry.text;
    }
    return nullptr;
}

}  // namespace

std::string modbusResultText(uint16_t code) {
    if (isExceptionResult(code)) {
        return "Modbus device return an exception code " + std::to_string(code & 0x7FFF);
    }
    const char* text = find(kEngineTexts, code);
    return text ? text : "";
}

std::string remoteResultText(uint16_t code) {
    const char* text = find(kRemoteTexts, code);
    return text ? text : modbusResultText(code);
}

}  // namespace tern
