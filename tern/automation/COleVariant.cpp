#include <tern/automation/COleVariant.h>

#include <tern/automation/COleSafeArray.h>

namespace tern {

VariantStorage storageOf(VARTYPE baseType)
{
    switch (baseType) {
    case VT_EMPTY:
    case VT_NULL:
        return VariantStorage::None;
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_I8:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR:
    case VT_BOOL:
        return VariantStorage::Integer;
    case VT_R4:
    case VT_R8:
    case VT_DATE:
        return VariantStorage::Real;
    case VT_BSTR:
        return VariantStorage::String;
    case VT_VARIANT:
        return VariantStorage::Variant;
    default:
        return VariantStorage::Invalid;
    }
}

int64_t normaliseInteger(VARTYPE baseType, int64_t value)
{
    switch (baseType) {
    case VT_I1: return static_cast<int8_t>(value);
    case VT_I2: return static_cast<int16_t>(value);
    case VT_I4:
    case VT_INT:
    case VT_ERROR: return static_cast<int32_t>(value);
    case VT_UI1: return static_cast<uint8_t>(value);
    case VT_UI2: return static_cast<uint16_t>(value);
    case VT_UI4:
    case VT_UINT: return static_cast<uint32_t>(value);
    case VT_BOOL: return value != 0 ? VARIANT_TRUE : VARIANT_FALSE;
    default: return value;  // VT_I8, and VT_UI8 as its bit pattern
    }
}

double normaliseReal(VARTYPE baseType, double value)
{
    return baseType == VT_R4 ? static_cast<double>(static_cast<float>(value)) : value;
}

bool isArrayElementType(VARTYPE baseType)
{
    const VariantStorage s = storageOf(baseType);
    return s != VariantStorage::None && s != VariantStorage::Invalid;
}

bool COleVariant::isValidType(VARTYPE vt)
{
    if ((vt & ~(VT_ARRAY | VT_BYREF | VT_TYPEMASK)) != 0) return false;
    const VARTYPE base = vt & VT_TYPEMASK;
    if (vt & VT_ARRAY) return isArrayElementType(base);
    const VariantStorage s = storageOf(base);
    if (vt & VT_BYREF) return s != VariantStorage::None && s != VariantStorage::Invalid;
    return s != VariantStorage::Variant && s != VariantStorage::Invalid;
}

COleVariant COleVariant::String(std::string v)
{
    COleVariant r;
    r.vt_ = VT_BSTR;
    r.str_ = std::move(v);
    return r;
}

COleVariant COleVariant::Null()
{
    COleVariant r;
    r.vt_ = VT_NULL;
    return r;
}

COleVariant COleVariant::Integer(VARTYPE vt, int64_t value)
{
    COleVariant r;
    r.vt_ = vt;
    r.int_ = normaliseInteger(vt & VT_TYPEMASK, value);
    return r;
}

COleVariant COleVariant::Real(VARTYPE vt, double value)
{
    COleVariant r;
    r.vt_ = vt;
    r.real_ = normaliseReal(vt & VT_TYPEMASK, value);
    return r;
}

COleVariant COleVariant::Array(COleSafeArray array, bool byRef)
{
    COleVariant r;
    r.vt_ = static_cast<VARTYPE>(VT_ARRAY | array.elementType() | (byRef ? VT_BYREF : 0));
    r.array_ = std::make_shared<const COleSafeArray>(std::move(array));
    return r;
}

COleVariant COleVariant::RefVariant(COleVariant referenced)
{
    COleVariant r;
    r.vt_ = VT_BYREF | VT_VARIANT;
    r.ref_ = std::make_shared<const COleVariant>(std::move(referenced));
    return r;
}

COleVariant COleVariant::Unsupported(VARTYPE vt)
{
    COleVariant r;
    r.vt_ = vt;
    return r;
}

HRESULT COleVariant::Clear()
{
    if (!isValidType(vt_)) return DISP_E_BADVARTYPE;
    *this = COleVariant();
    return S_OK;
}

bool COleVariant::operator==(const COleVariant& o) const
{
    if (vt_ != o.vt_ || int_ != o.int_ || real_ != o.real_ || str_ != o.str_) return false;
    if ((array_ == nullptr) != (o.array_ == nullptr) || (ref_ == nullptr) != (o.ref_ == nullptr)) return false;
    if (array_ && !(*array_ == *o.array_)) return false;
    return !ref_ || *ref_ == *o.ref_;
}

}  // namespace tern
