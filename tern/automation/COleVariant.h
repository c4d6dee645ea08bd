#pragma once
// VARIANT: a value together with its type code. Arrays (COleSafeArray) and
// the VARIANT a by-reference VARIANT points at are held immutably and shared,
// so copies are cheap and behave as values.
//
// A by-reference scalar (VT_BYREF | VT_I4, ...) carries its value like the
// by-value type: across a process boundary a reference can only travel as
// the value it refers to. Only VT_BYREF | VT_VARIANT keeps a nested VARIANT.
//
// Type codes this model cannot hold are kept as such (Unsupported), so that
// a conversion can refuse them and Clear() can report them, as VariantClear
// reports a bad type.
#include <tern/automation/OleTypes.h>

#include <cstdint>
#include <memory>
#include <string>

namespace tern {

class COleSafeArray;

// How values of a base type (the code without VT_ARRAY / VT_BYREF) are held.
enum class VariantStorage { None, Integer, Real, String, Variant, Invalid };
VariantStorage storageOf(VARTYPE baseType);
// An integer or real brought into the range and precision of its type
// (VT_I2 keeps 16 bits, VT_BOOL becomes -1 or 0, VT_R4 is rounded to float).
int64_t normaliseInteger(VARTYPE baseType, int64_t value);
double normaliseReal(VARTYPE baseType, double value);
// Element types an array may have.
bool isArrayElementType(VARTYPE baseType);

class COleVariant {
public:
    COleVariant() = default;  // VT_EMPTY

    static COleVariant I2(int16_t v) { return Integer(VT_I2, v); }
    static COleVariant I4(int32_t v) { return Integer(VT_I4, v); }
    static COleVariant R4(float v) { return Real(VT_R4, v); }
    static COleVariant R8(double v) { return Real(VT_R8, v); }
    static COleVariant UI1(uint8_t v) { return Integer(VT_UI1, v); }
    static COleVariant Bool(bool v) { return Integer(VT_BOOL, v ? VARIANT_TRUE : VARIANT_FALSE); }
    static COleVariant Error(SCODE code) { return Integer(VT_ERROR, code); }
    static COleVariant String(std::string v);
    static COleVariant Null();
    // The value an automation client passes for an optional argument it leaves out.
    static COleVariant Missing() { return Error(DISP_E_PARAMNOTFOUND); }
    // Scalars of any integer or real type; vt may carry VT_BYREF.
    static COleVariant Integer(VARTYPE vt, int64_t value);
    static COleVariant Real(VARTYPE vt, double value);
    static COleVariant Array(COleSafeArray array, bool byRef = false);
    static COleVariant RefVariant(COleVariant referenced);
    static COleVariant Unsupported(VARTYPE vt);

    VARTYPE vt() const { return vt_; }
    VARTYPE baseType() const { return static_cast<VARTYPE>(vt_ & VT_TYPEMASK); }
    bool isArray() const { return (vt_ & VT_ARRAY) != 0; }
    bool isByRef() const { return (vt_ & VT_BYREF) != 0; }
    bool isMissing() const { return vt_ == VT_ERROR && int_ == DISP_E_PARAMNOTFOUND; }
    // True for every type code this model can hold.
    static bool isValidType(VARTYPE vt);

    int64_t integer() const { return int_; }
    double real() const { return real_; }
    const std::string& string() const { return str_; }
    const COleSafeArray* array() const { return array_.get(); }
    const COleVariant* referenced() const { return ref_.get(); }

    // Back to VT_EMPTY; DISP_E_BADVARTYPE (and unchanged) for a type code
    // that is not a valid automation type.
    HRESULT Clear();

    bool operator==(const COleVariant& other) const;

private:
    VARTYPE vt_ = VT_EMPTY;
    int64_t int_ = 0;
    double real_ = 0;
    std::string str_;
    std::shared_ptr<const COleSafeArray> array_;
    std::shared_ptr<const COleVariant> ref_;
};

}  // namespace tern
