#include <merlin/core/CParSet.h>

#include <charconv>
#include <cmath>
#include <limits>

namespace merlin {

namespace {

// The longest prefix of text (after blanks) that reads as a C decimal
// floating-point number, converted without regard to the locale. No number
// gives 0. Hexadecimal, "inf" and "nan" are not decimal numbers.
double DecimalValue(const std::string& text)
{
    size_t p = 0;
    while (p < text.size() && (text[p] == ' ' || text[p] == '\t' || text[p] == '\n' ||
                               text[p] == '\r' || text[p] == '\v' || text[p] == '\f'))
        ++p;
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-'))
        negative = text[p++] == '-';
    const size_t start = p;
    size_t digits = 0;
    auto isDigit = [&](size_t q) { return q < text.size() && text[q] >= '0' && text[q] <= '9'; };
    for (; isDigit(p); ++p) ++digits;
    if (p < text.size() && text[p] == '.')
        for (++p; isDigit(p); ++p) ++digits;
    if (digits == 0)
        return 0.0;
    size_t end = p;
    if (p < text.size() && (text[p] == 'e' || text[p] == 'E')) {
        size_t q = p + 1;
        if (q < text.size() && (text[q] == '+' || text[q] == '-'))
            ++q;
        if (isDigit(q)) {
            while (isDigit(q)) ++q;
            end = q;
        }
    }
    double value = 0.0;
    const auto r = std::from_chars(text.data() + start, text.data() + end, value);
    if (r.ec == std::errc::result_out_of_range)
        value = std::numeric_limits<double>::infinity();  // underflow comes back as a tiny value
    return negative ? -value : value;
}

}  // namespace

CParSet::CParSet() = default;

void CParSet::Empty()
{
    pars_.clear();
    groupStarts_.clear();
    currentGroup_ = -1;
    previousGroup_ = -1;
}

int CParSet::AddParameter(const CPar& par, int g)
{
    if (g < 0)
        return -1;
    const int index = static_cast<int>(pars_.size());
    pars_.push_back(par);
    pars_.back().group = g;
    if (g != previousGroup_) {
        // A group number skipped over gets an empty group at this point.
        if (g >= static_cast<int>(groupStarts_.size()))
            groupStarts_.resize(g + 1, index);
        groupStarts_[g] = index;
        currentGroup_ = g;
    }
    previousGroup_ = g;
    return index;
}

int CParSet::GroupStart(int g) const
{
    if (g < 0 || g >= NumberOfGroups())
        return -1;
    return groupStarts_[g];
}

int CParSet::GroupSize(int g) const
{
    if (g < 0 || g >= NumberOfGroups())
        return -1;
    const int end = g + 1 < NumberOfGroups() ? groupStarts_[g + 1] : Count();
    return end - groupStarts_[g];
}

int CParSet::FlatIndex(int g, int i) const
{
    if (pars_.empty() || i < 0 || i >= GroupSize(g))
        return -1;
    return groupStarts_[g] + i;
}

int CParSet::GetParameter(int g, int i, CPar& out) const
{
    const int k = FlatIndex(g, i);
    if (k < 0)
        return 0;
    out = pars_[k];
    return 1;
}

int CParSet::GetDefault(int g, int i) const
{
    const int k = FlatIndex(g, i);
    return k < 0 ? 0 : pars_[k].defaultValue;
}

int CParSet::IsAtDefault(int g, int i) const
{
    const int k = FlatIndex(g, i);
    return k >= 0 && pars_[k].value == pars_[k].defaultValue ? 1 : 0;
}

int CParSet::GetAccess(int g, int i) const
{
    const int k = FlatIndex(g, i);
    return k < 0 ? 0 : pars_[k].access;
}

int CParSet::SetValue(int g, int i, int n)
{
    const int k = FlatIndex(g, i);
    if (k < 0)
        return kValueNotFound;
    const CPar& par = pars_[k];
    return StoreChecked(k, par.IsChoice() ? static_cast<double>(par.min) + n : n);
}

int CParSet::SetValueFromText(int g, int i, const std::string& text)
{
    const int k = FlatIndex(g, i);
    if (k < 0)
        return kValueNotFound;
    // Rounding is upwards after the scaling, so 0.07 with two decimals
    // becomes 8 (0.07 * 100 lies just above 7 in double precision).
    return StoreChecked(k, std::ceil(DecimalValue(text) * std::pow(10.0, pars_[k].Decimals())));
}

int CParSet::SetRawValue(int g, int i, int raw)
{
    const int k = FlatIndex(g, i);
    return k < 0 ? kValueNotFound : StoreChecked(k, raw);
}

int CParSet::StoreChecked(int k, double raw)
{
    CPar& par = pars_[k];
    if (raw < par.min)
        return kValueBelowMin;
    if (raw > par.max)
        return kValueAboveMax;
    par.value = static_cast<int>(raw);
    return kValueOk;
}

int CParSet::GetSelectionFlags(int g, int i) const
{
    const int k = FlatIndex(g, i);
    return k < 0 ? -1 : pars_[k].selectionFlags;
}

int CParSet::SetSelectionFlags(int g, int i, int flags)
{
    const int k = FlatIndex(g, i);
    if (k < 0)
        return -1;
    pars_[k].selectionFlags = flags;
    return 0;
}

int CParSet::GroupSelectionFlags(int g) const
{
    const int size = GroupSize(g);
    if (size < 0)
        return -1;
    if (size == 0)
        return 0;
    int flags = ~0;
    for (int i = 0; i < size; ++i)
        flags &= pars_[groupStarts_[g] + i].selectionFlags;
    return flags;
}

uint32_t CParSet::ViewFlags() const { return HeaderLong(208); }
void CParSet::SetViewFlags(uint32_t flags) { SetHeaderLong(208, flags); }

uint16_t CParSet::HeaderWord(int offset) const
{
    return static_cast<uint16_t>(header_[offset] | header_[offset + 1] << 8);
}

void CParSet::SetHeaderWord(int offset, uint16_t v)
{
    header_[offset] = static_cast<uint8_t>(v);
    header_[offset + 1] = static_cast<uint8_t>(v >> 8);
}

uint32_t CParSet::HeaderLong(int offset) const
{
    return HeaderWord(offset) | static_cast<uint32_t>(HeaderWord(offset + 2)) << 16;
}

void CParSet::SetHeaderLong(int offset, uint32_t v)
{
    SetHeaderWord(offset, static_cast<uint16_t>(v));
    SetHeaderWord(offset + 2, static_cast<uint16_t>(v >> 16));
}

}  // namespace merlin
