#include <tern/server/COleSafeArrayEx.h>

#include <algorithm>

namespace tern {

bool COleSafeArrayEx::accepts(std::initializer_list<VARTYPE> types) const
{
    return std::find(types.begin(), types.end(), elementType()) != types.end();
}

bool COleSafeArrayEx::GetRegisterWords(std::vector<uint16_t>& out) const
{
    if (!accepts({VT_I2, VT_I4})) return false;
    out.resize(size());
    for (size_t i = 0; i < size(); ++i) out[i] = static_cast<uint16_t>(integerAt(i));
    return true;
}

bool COleSafeArrayEx::GetSingles(std::vector<float>& out) const
{
    if (!accepts({VT_R4, VT_R8})) return false;
    out.resize(size());
    for (size_t i = 0; i < size(); ++i) out[i] = static_cast<float>(realAt(i));
    return true;
}

bool COleSafeArrayEx::GetDoubles(std::vector<double>& out) const
{
    if (!accepts({VT_R4, VT_R8})) return false;
    out.resize(size());
    for (size_t i = 0; i < size(); ++i) out[i] = realAt(i);
    return true;
}

bool COleSafeArrayEx::GetCoils(std::vector<uint8_t>& out) const
{
    if (!accepts({VT_I2, VT_I4, VT_BOOL})) return false;
    out.resize(size());
    for (size_t i = 0; i < size(); ++i) out[i] = integerAt(i) != 0 ? 1 : 0;
    return true;
}

bool COleSafeArrayEx::GetBytes(std::vector<uint8_t>& out) const
{
    if (!accepts({VT_I2, VT_I4, VT_UI1})) return false;
    out.resize(size());
    for (size_t i = 0; i < size(); ++i) out[i] = static_cast<uint8_t>(integerAt(i));
    return true;
}

COleSafeArrayEx COleSafeArrayEx::FromRegisterWords(std::span<const uint16_t> words, VARTYPE elementType)
{
    COleSafeArrayEx a(COleSafeArray::Vector(elementType, words.size()));
    for (size_t i = 0; i < words.size(); ++i)
        a.setInteger(i, elementType == VT_I2 ? static_cast<int16_t>(words[i]) : int64_t{words[i]});
    return a;
}

COleSafeArrayEx COleSafeArrayEx::FromSingles(std::span<const float> values)
{
    COleSafeArrayEx a(COleSafeArray::Vector(VT_R4, values.size()));
    for (size_t i = 0; i < values.size(); ++i) a.setReal(i, values[i]);
    return a;
}

COleSafeArrayEx COleSafeArrayEx::FromDoubles(std::span<const double> values)
{
    COleSafeArrayEx a(COleSafeArray::Vector(VT_R8, values.size()));
    for (size_t i = 0; i < values.size(); ++i) a.setReal(i, values[i]);
    return a;
}

COleSafeArrayEx COleSafeArrayEx::FromCoils(std::span<const uint8_t> coils)
{
    COleSafeArrayEx a(COleSafeArray::Vector(VT_BOOL, coils.size()));
    for (size_t i = 0; i < coils.size(); ++i) a.setInteger(i, coils[i] != 0);
    return a;
}

COleSafeArrayEx COleSafeArrayEx::FromBytes(std::span<const uint8_t> bytes)
{
    COleSafeArrayEx a(COleSafeArray::Vector(VT_UI1, bytes.size()));
    for (size_t i = 0; i < bytes.size(); ++i) a.setInteger(i, bytes[i]);
    return a;
}

}  // namespace tern
