#pragma once
// Building and reading the VARIANT arrays of the link server's tests.
#include <tern/automation/COleSafeArray.h>
#include <tern/automation/COleVariant.h>

#include <cstdint>
#include <vector>

namespace tern::testkit {

inline COleSafeArray integerElements(VARTYPE vt, const std::vector<int64_t>& values, int32_t lowerBound = 0)
{
    COleSafeArray a(vt, {SafeArrayBound{static_cast<uint32_t>(values.size()), lowerBound}});
    for (size_t i = 0; i < values.size(); ++i) a.setInteger(i, values[i]);
    return a;
}

inline COleSafeArray realElements(VARTYPE vt, const std::vector<double>& values)
{
    COleSafeArray a = COleSafeArray::Vector(vt, values.size());
    for (size_t i = 0; i < values.size(); ++i) a.setReal(i, values[i]);
    return a;
}

inline COleVariant intArray(VARTYPE vt, const std::vector<int64_t>& values, int32_t lowerBound = 0)
{
    return COleVariant::Array(integerElements(vt, values, lowerBound));
}

inline COleVariant realArray(VARTYPE vt, const std::vector<double>& values)
{
    return COleVariant::Array(realElements(vt, values));
}

// The elements of an array VARIANT (nothing for any other value).
inline std::vector<int64_t> integersOf(const COleVariant& v)
{
    std::vector<int64_t> out;
    if (v.array())
        for (size_t i = 0; i < v.array()->size(); ++i) out.push_back(v.array()->integerAt(i));
    return out;
}

}  // namespace tern::testkit
