#pragma once
// Thrown by a CModbus operation that fails while the exception switch is on.
#include <tern/engine/CException.h>

namespace tern {

class CModbusException : public CException {
public:
    CModbusException(std::string text, uint16_t resultCode) : CException(std::move(text), resultCode) {}
    uint16_t resultCode() const { return static_cast<uint16_t>(code()); }
    const char* GetRuntimeClassName() const override { return "CModbusException"; }
};

}  // namespace tern
