#pragma once
// SAFEARRAY: elements of one type in one or more dimensions, each with its
// own lower bound. Elements are addressed by their position in storage order
// (the first dimension varies fastest), which is all the link server needs:
// it accepts one-dimensional arrays and always answers with them.
#include <tern/automation/COleVariant.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tern {

struct SafeArrayBound {
    uint32_t cElements = 0;
    int32_t lLbound = 0;
    bool operator==(const SafeArrayBound&) const = default;
};

class COleSafeArray {
public:
    COleSafeArray() = default;  // no element type, no dimensions
    // Zero-filled; an element type that arrays cannot hold gives an invalid
    // array (elementType() VT_EMPTY).
    COleSafeArray(VARTYPE elementType, std::vector<SafeArrayBound> bounds);
    static COleSafeArray Vector(VARTYPE elementType, size_t count) {
        return COleSafeArray(elementType, {SafeArrayBound{static_cast<uint32_t>(count), 0}});
    }

    // The number of elements of a shape; false when it cannot be addressed.
    static bool elementCount(const std::vector<SafeArrayBound>& bounds, size_t& count);

    VARTYPE elementType() const { return vt_; }
    VariantStorage storage() const { return storageOf(vt_); }
    unsigned GetDim() const { return static_cast<unsigned>(bounds_.size()); }
    const std::vector<SafeArrayBound>& bounds() const { return bounds_; }
    size_t size() const { return count_; }

    // Out-of-range positions and accessors of the wrong storage read as 0
    // or empty and write nothing.
    int64_t integerAt(size_t i) const { return i < ints_.size() ? ints_[i] : 0; }
    double realAt(size_t i) const { return i < reals_.size() ? reals_[i] : 0; }
    const std::string& stringAt(size_t i) const;
    const COleVariant& variantAt(size_t i) const;
    void setInteger(size_t i, int64_t v);
    void setReal(size_t i, double v);
    void setString(size_t i, std::string v);
    void setVariant(size_t i, COleVariant v);

    bool operator==(const COleSafeArray& other) const;

private:
    VARTYPE vt_ = VT_EMPTY;
    std::vector<SafeArrayBound> bounds_;
    size_t count_ = 0;
    std::vector<int64_t> ints_;
    std::vector<double> reals_;
    std::vector<std::string> strings_;
    std::vector<COleVariant> variants_;
};

}  // namespace tern
