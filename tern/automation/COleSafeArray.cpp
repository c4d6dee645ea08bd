#include <tern/automation/COleSafeArray.h>

#include <limits>

namespace tern {

// A hostile peer may announce any dimensions.
bool COleSafeArray::elementCount(const std::vector<SafeArrayBound>& bounds, size_t& count)
{
    count = bounds.empty() ? 0 : 1;
    for (const auto& b : bounds) {
        if (b.cElements != 0 && count > std::numeric_limits<size_t>::max() / b.cElements) return false;
        count *= b.cElements;
    }
    return true;
}

COleSafeArray::COleSafeArray(VARTYPE elementType, std::vector<SafeArrayBound> bounds)
{
    size_t count = 0;
    if (!isArrayElementType(elementType) || !elementCount(bounds, count)) return;
    vt_ = elementType;
    bounds_ = std::move(bounds);
    count_ = count;
    switch (storageOf(vt_)) {
    case VariantStorage::Integer: ints_.assign(count_, 0); break;
    case VariantStorage::Real: reals_.assign(count_, 0.0); break;
    case VariantStorage::String: strings_.assign(count_, {}); break;
    case VariantStorage::Variant: variants_.assign(count_, {}); break;
    default: break;
    }
}

const std::string& COleSafeArray::stringAt(size_t i) const
{
    static const std::string empty;
    return i < strings_.size() ? strings_[i] : empty;
}

const COleVariant& COleSafeArray::variantAt(size_t i) const
{
    static const COleVariant empty;
    return i < variants_.size() ? variants_[i] : empty;
}

void COleSafeArray::setInteger(size_t i, int64_t v)
{
    if (i < ints_.size()) ints_[i] = normaliseInteger(vt_, v);
}

void COleSafeArray::setReal(size_t i, double v)
{
    if (i < reals_.size()) reals_[i] = normaliseReal(vt_, v);
}

void COleSafeArray::setString(size_t i, std::string v)
{
    if (i < strings_.size()) strings_[i] = std::move(v);
}

void COleSafeArray::setVariant(size_t i, COleVariant v)
{
    if (i < variants_.size()) variants_[i] = std::move(v);
}

bool COleSafeArray::operator==(const COleSafeArray& o) const
{
    return vt_ == o.vt_ && bounds_ == o.bounds_ && ints_ == o.ints_ && reals_ == o.reals_ &&
           strings_ == o.strings_ && variants_ == o.variants_;
}

}  // namespace tern
