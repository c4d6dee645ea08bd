#pragma once
// The link server's array conversions between SAFEARRAYs and the engine's
// plain arrays. Inputs accept the element types each use allows and report
// anything else as a failed conversion; outputs are always fresh
// one-dimensional arrays with lower bound 0.
//
//   use                          accepted element types       conversion
//   register values, integer     VT_I2, VT_I4                 low 16 bits
//   register values, single      VT_R4, VT_R8                 to float
//   register values, double      VT_R4, VT_R8                 to double
//   coil values                  VT_I2, VT_I4, VT_BOOL        non-zero is on
//   query bytes                  VT_I2, VT_I4, VT_UI1         low 8 bits
#include <tern/automation/COleSafeArray.h>

#include <cstdint>
#include <span>
#include <vector>

namespace tern {

class COleSafeArrayEx : public COleSafeArray {
public:
    COleSafeArrayEx() = default;
    explicit COleSafeArrayEx(COleSafeArray array) : COleSafeArray(std::move(array)) {}

    // Every element, in order; false when the element type is not accepted.
    bool GetRegisterWords(std::vector<uint16_t>& out) const;
    bool GetSingles(std::vector<float>& out) const;
    bool GetDoubles(std::vector<double>& out) const;
    bool GetCoils(std::vector<uint8_t>& out) const;
    bool GetBytes(std::vector<uint8_t>& out) const;

    // VT_I2 holds the register bits (0xFFFF is -1); VT_I4 holds them as
    // unsigned values 0 to 65535.
    static COleSafeArrayEx FromRegisterWords(std::span<const uint16_t> words, VARTYPE elementType);
    static COleSafeArrayEx FromSingles(std::span<const float> values);
    static COleSafeArrayEx FromDoubles(std::span<const double> values);
    static COleSafeArrayEx FromCoils(std::span<const uint8_t> coils);   // VT_BOOL
    static COleSafeArrayEx FromBytes(std::span<const uint8_t> bytes);   // VT_UI1

private:
    bool accepts(std::initializer_list<VARTYPE> types) const;
};

}  // namespace tern
