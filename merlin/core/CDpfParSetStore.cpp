// The store callbacks of the definition-file reader: each field goes into its
// fixed slot the moment the parser recognises it.
#include <merlin/core/CDpfParSet.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <ostream>

namespace merlin {

namespace {

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first);
}

// Revision texts lose every blank and apostrophe: 'LM3 ' becomes LM3.
std::string RevisionText(const std::string& text)
{
    std::string out;
    for (char c : text)
        if (c != ' ' && c != '\'')
            out += c;
    return out;
}

}  // namespace

int DpfNumber(std::string_view text)
{
    size_t p = 0;
    while (p < text.size() && (text[p] == ' ' || text[p] == '\t'))
        ++p;
    bool negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-'))
        negative = text[p++] == '-';
    long long value = 0;
    for (; p < text.size() && text[p] >= '0' && text[p] <= '9'; ++p)
        value = std::min(value * 10 + (text[p] - '0'), static_cast<long long>(INT_MAX) + 1);
    if (negative)
        return static_cast<int>(-value);
    return static_cast<int>(std::min(value, static_cast<long long>(INT_MAX)));
}

void CDpfParSet::StoreString(int key, int field, const std::string& text)
{
    StringEntry& entry = strings_[key];
    entry.key = key;
    if (field == 0)
        entry.text = text;   // leading blanks are part of the text
}

void CDpfParSet::StoreGroup(int key, int field, const std::string& text)
{
    GroupEntry& entry = groups_[key];
    entry.key = key;
    switch (field) {
    case 0: entry.nameKey = DpfNumber(text); break;
    case 1: entry.f1 = DpfNumber(text); break;
    case 2: entry.f2 = Trimmed(text); break;
    case 3: entry.f3 = DpfNumber(text); break;
    case 4: entry.f4 = DpfNumber(text); break;
    default: break;
    }
}

void CDpfParSet::StoreParameter(int key, int field, const std::string& text)
{
    ParamEntry& entry = params_[key];
    entry.key = key;
    switch (field) {
    case 0: entry.nameKey = DpfNumber(text); break;
    case 1: entry.type = DpfNumber(text); break;
    case 2: entry.min = DpfNumber(text); break;
    case 3: entry.max = DpfNumber(text); break;
    case 4: entry.listOrUnit = DpfNumber(text); break;
    case 5: entry.access = DpfNumber(text); break;
    case 6: entry.registerNumber = DpfNumber(text); break;
    case 7: entry.defaultValue = DpfNumber(text); break;
    case 8: entry.f8 = Trimmed(text); break;
    case 9: entry.f9 = DpfNumber(text); break;
    case 10: entry.f10 = DpfNumber(text); break;
    default: break;
    }
}

void CDpfParSet::StoreParamList(int key, int field, const std::string& text)
{
    ParamListEntry& entry = paramList_[key];
    entry.key = key;
    if (field == 0)
        entry.group = DpfNumber(text);
    else if (field == 1)
        entry.paramKey = DpfNumber(text);
}

void CDpfParSet::StoreEnum(int /*key*/, int field, const std::string& text)
{
    // The line key is not used: a list's lines stand together, in the order
    // of the choice values.
    if (field == 0) {
        enumList_ = DpfNumber(text);
    } else if (field == 1) {
        enumField1_ = DpfNumber(text);
    } else if (field == 2) {
        enumTextKey_ = DpfNumber(text);
        if (enums_.AddText(StringText(enumTextKey_), enumList_) < 0 && Trace()) {
            char line[80];
            std::snprintf(line, sizeof line, " List %d out of range: text ignored\n", enumList_);
            *Trace() << line;
        }
    }
}

void CDpfParSet::StoreRevision(int key, int field, const std::string& text)
{
    if (key < 1 || key > 6 || field > 1)
        return;
    if (key <= 3 && field == 0) {
        const auto number = static_cast<uint16_t>(DpfNumber(text));
        if (key == 1) SetDeviceType(number);
        if (key == 2) SetApplication(number);
        if (key == 3) SetVersion(number);
        return;
    }
    std::string* const targets[] = {&deviceTypeText, &applicationText, &versionText,
                                    &revisionDate,   &revisionAuthor,  &revisionName};
    if (key <= 3 || field == 0)
        *targets[key - 1] = RevisionText(text);
}

void CDpfParSet::StoreFaultCode(int /*key*/, int field, const std::string& text)
{
    if (field == 0) {
        faultCodes_.push_back(FaultCode{DpfNumber(text), {}, 0, {}, 0});
        return;
    }
    if (faultCodes_.empty())
        return;
    FaultCode& record = faultCodes_.back();
    switch (field) {
    case 1: record.text = StringText(DpfNumber(text)); break;
    case 2: record.cause = DpfNumber(text); break;
    case 3: record.label = text; break;
    case 4: record.reserved = DpfNumber(text); break;
    default: break;
    }
}

void CDpfParSet::StoreFaultRegister(bool history, int /*key*/, int field, const std::string& text)
{
    if (field != 0)
        return;
    const int paramKey = DpfNumber(text);
    FaultRegister record{paramKey, 0, {}};
    // A key outside the table names no parameter: register 0, no name.
    if (paramKey >= 0 && paramKey < kParamCapacity) {
        record.registerNumber = params_[paramKey].registerNumber;
        record.name = StringText(params_[paramKey].nameKey);
    }
    (history ? faultHistory_ : activeFaults_).push_back(std::move(record));
}

void CDpfParSet::CloseGroups(int lastKey)
{
    if (lastKey + 1 < kGroupCapacity)
        groups_[lastKey + 1].nameKey = 0;   // end of the group names
}

void CDpfParSet::CloseParameters(int lastKey)
{
    if (lastKey + 1 < kParamCapacity)
        params_[lastKey + 1].nameKey = 0;
}

void CDpfParSet::CloseParamList(int lastKey)
{
    if (lastKey + 1 < kParamListCapacity)
        paramList_[lastKey + 1].key = 0;    // end of the parameter list
}

}  // namespace merlin
