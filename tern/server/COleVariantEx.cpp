#include <tern/server/COleVariantEx.h>

#include <cmath>

namespace tern {

namespace {

bool isIntegerType(VARTYPE base)
{
    return storageOf(base) == VariantStorage::Integer && base != VT_ERROR && base != VT_BOOL;
}

}  // namespace

bool COleVariantEx::GetArray(COleSafeArrayEx& out) const
{
    const COleVariant* v = this;
    if (v->vt() == (VT_BYREF | VT_VARIANT)) v = v->referenced();
    if (!v || !v->isArray() || !v->array() || v->array()->GetDim() != 1) return false;
    out = COleSafeArrayEx(*v->array());
    return true;
}

std::optional<int64_t> COleVariantEx::GetInteger() const
{
    if (isArray() || !isValidType(vt())) return std::nullopt;
    if (isIntegerType(baseType())) return integer();
    if (storageOf(baseType()) == VariantStorage::Real && std::isfinite(real()) && std::fabs(real()) < 9.0e18)
        return static_cast<int64_t>(real());
    return std::nullopt;
}

bool COleVariantEx::IsIntegerOne() const
{
    return !isArray() && isValidType(vt()) && isIntegerType(baseType()) && integer() == 1;
}

}  // namespace tern
