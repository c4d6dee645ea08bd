#include <merlin/core/CDpfParSet.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iostream>

namespace merlin {

CDpfParSet::CDpfParSet(std::filesystem::path programDirectory)
    : programDir_(std::move(programDirectory)),
      strings_(kStringCapacity),
      groups_(kGroupCapacity),
      params_(kParamCapacity),
      paramList_(kParamListCapacity)
{
}

std::ostream* CDpfParSet::Trace() const
{
    return traceSet_ ? trace_ : &std::cout;
}

const std::string& CDpfParSet::StringText(int key) const
{
    static const std::string kNone;
    return key >= 0 && key < kStringCapacity ? strings_[key].text : kNone;
}

void CDpfParSet::ResetTables()
{
    // Every table starts empty, so a definition read into a set that held
    // another one (replacing the definition of a document) keeps nothing of
    // the old file: no old choice texts, fault codes or group names.
    std::fill(strings_.begin(), strings_.end(), StringEntry{});
    std::fill(groups_.begin(), groups_.end(), GroupEntry{});
    std::fill(params_.begin(), params_.end(), ParamEntry{});
    std::fill(paramList_.begin(), paramList_.end(), ParamListEntry{});
    enums_.Clear();
    faultCodes_.clear();
    activeFaults_.clear();
    faultHistory_.clear();
    enumList_ = enumField1_ = enumTextKey_ = 0;
}

int CDpfParSet::CollectGroupNames(std::vector<std::string>& names) const
{
    names.clear();
    for (int key = 1; key < kGroupCapacity && groups_[key].nameKey != 0; ++key)
        names.push_back(StringText(groups_[key].nameKey));
    return static_cast<int>(names.size());
}

int CDpfParSet::BuildParameterSet()
{
    Empty();
    leftOut_.clear();
    int processed = 0;
    for (int key = 1; key < kParamListCapacity && paramList_[key].key != 0; ++key, ++processed) {
        const ParamListEntry& entry = paramList_[key];
        // Groups count from 1. Only the first 99 have a title slot, but a
        // parameter of a later group is as much the drive's as any other:
        // the set grows a group for it. Below 1 there is no group, and a
        // number past what a list of parameters can fill is a typing error
        // that would only make thousands of empty groups.
        if (entry.group < 1 || entry.group > kMaxGroups) {
            leftOut_.push_back(key);
            continue;
        }
        const bool defined = entry.paramKey >= 0 && entry.paramKey < kParamCapacity &&
                             params_[entry.paramKey].key >= 0;
        if (!defined) {
            // A placeholder the user can see: neutral attributes, read-only.
            CPar placeholder;
            placeholder.name = "???";
            placeholder.registerNumber = 40000;
            placeholder.type = 10;
            placeholder.access = 1;
            AddParameter(placeholder, entry.group - 1);
            continue;
        }
        const ParamEntry& p = params_[entry.paramKey];
        scratch_ = CPar{};
        scratch_.group = entry.group - 1;
        scratch_.name = StringText(p.nameKey);
        scratch_.type = p.type;
        scratch_.min = p.min;
        scratch_.max = p.max;
        scratch_.listOrUnit = p.listOrUnit;
        scratch_.access = p.access;
        scratch_.registerNumber = p.registerNumber;
        scratch_.defaultValue = p.defaultValue;
        scratch_.value = p.defaultValue;   // a default outside min..max is taken as it is
        AddParameter(scratch_, scratch_.group);
    }
    return processed;
}

bool CDpfParSet::FetchScratch(int g, int i)
{
    return GetParameter(g, i, scratch_) == 1;
}

int CDpfParSet::Value(int g, int i) { return FetchScratch(g, i) ? scratch_.value : -1; }
int CDpfParSet::RegisterOffset(int g, int i) { return FetchScratch(g, i) ? scratch_.RegisterOffset() : -1; }
int CDpfParSet::Access(int g, int i) { return FetchScratch(g, i) ? scratch_.access : -1; }

std::string CDpfParSet::Unit(int g, int i)
{
    if (!FetchScratch(g, i) || scratch_.IsChoice())
        return {};
    return StringText(scratch_.listOrUnit);
}

std::vector<std::string> CDpfParSet::Choices(int g, int i)
{
    if (!FetchScratch(g, i) || !scratch_.IsChoice())
        return {};
    return enums_.BuildChoices(scratch_.listOrUnit, scratch_.min, scratch_.max);
}

std::string CDpfParSet::ChoiceText(int g, int i, bool ofDefault)
{
    if (!FetchScratch(g, i) || !scratch_.IsChoice())
        return {};
    return enums_.Text(scratch_.listOrUnit, ofDefault ? scratch_.defaultValue : scratch_.value);
}

std::string CDpfParSet::ValueTextOf(const CPar& par, int raw) const
{
    if (par.IsChoice())
        return enums_.Text(par.listOrUnit, raw);
    return LimitTextOf(par, raw);
}

std::string CDpfParSet::LimitTextOf(const CPar& par, int raw) const
{
    if (par.IsChoice())
        return std::to_string(raw);
    // The value as a single-precision number with the parameter's decimals,
    // like "%1.2f", but with a point whatever the locale.
    const int decimals = par.Decimals();
    const float scaled = static_cast<float>(raw / std::pow(10.0, decimals));
    char text[64];
    const auto r = std::to_chars(text, text + sizeof text, static_cast<double>(scaled),
                                 std::chars_format::fixed, decimals);
    return std::string(text, r.ptr);
}

std::string CDpfParSet::ValueText(int g, int i)
{
    return FetchScratch(g, i) ? ValueTextOf(scratch_, scratch_.value) : std::string();
}

std::string CDpfParSet::DefaultText(int g, int i)
{
    return FetchScratch(g, i) ? ValueTextOf(scratch_, scratch_.defaultValue) : std::string();
}

std::string CDpfParSet::MinimumText(int g, int i)
{
    return FetchScratch(g, i) ? LimitTextOf(scratch_, scratch_.min) : std::string();
}

std::string CDpfParSet::MaximumText(int g, int i)
{
    return FetchScratch(g, i) ? LimitTextOf(scratch_, scratch_.max) : std::string();
}

int CDpfParSet::GroupCount() const
{
    int count = 0;
    for (int key = 1; key < kGroupCapacity && groups_[key].nameKey != 0; ++key)
        ++count;
    return count;
}

std::string CDpfParSet::GroupName(int g) const
{
    if (g + 1 < 1 || g + 1 >= kGroupCapacity || groups_[g + 1].nameKey == 0)
        return {};
    return StringText(groups_[g + 1].nameKey);
}

void CDpfParSet::CopyValuesByRegister(const CParSet& other)
{
    // 40010 is not carried over from another definition.
    constexpr int kNotCopied = 40010;
    for (int k = 0; k < Count(); ++k) {
        CPar& par = At(k);
        if (par.registerNumber == kNotCopied)
            continue;
        for (const CPar& source : other.Parameters())
            if (source.registerNumber == par.registerNumber) {
                par.value = source.value;
                break;
            }
    }
}

}  // namespace merlin
