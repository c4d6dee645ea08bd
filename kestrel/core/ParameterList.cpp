#include <kestrel/core/ParameterList.h>

#include <kestrel/core/CDatabase.h>
#include <kestrel/core/HexText.h>
#include <kestrel/core/ParameterNumbers.h>
#include <kestrel/core/ValueDisplay.h>

#include <cstdio>

namespace kestrel {

std::string tabText(int group) { return "Gr " + formatHexShort(static_cast<std::uint16_t>(group)); }

std::optional<int> groupOfTab(std::string_view text)
{
    if (text.substr(0, 3) != "Gr " || text.size() == 3 || text.size() > 7) return std::nullopt;
    int g = 0;
    for (char c : text.substr(3)) {
        const int d = hexDigitValue(c);
        if (d < 0) return std::nullopt;
        g = g * 16 + d;
    }
    return g;
}

std::optional<int> ParameterList::groupCount() const { return CDatabase(databasePath_).groupCount(); }

std::vector<int> ParameterList::tabGroups() const
{
    const int groups = groupCount().value_or(0);
    std::vector<bool> hasEntries(static_cast<std::size_t>(groups), false);
    for (WorkFileReader r(workPath_); r.atRecord(); r.advance()) {
        const int g = r.record().number() / 16;
        // The header record alone does not give its group a tab.
        if (g < groups && (r.record().number() % 16) != 0) hasEntries[static_cast<std::size_t>(g)] = true;
    }
    std::vector<int> tabs;
    for (int g = 0; g < groups; ++g)
        if (hasEntries[static_cast<std::size_t>(g)]) tabs.push_back(g);
    return tabs;
}

bool ParameterList::serviceShown(int group) const
{
    if (group == 0) return true;
    const auto code = CWorkFile(workPath_).findValue(param::kServiceCode.number());
    if (!code) return false;
    if (*code == kServiceAccessCode) return true;
    return group < 0x14 || group > 0x17;
}

GroupPage ParameterList::fillGroup(int group) const
{
    GroupPage page;
    page.group = group;
    const bool showService = serviceShown(group);
    const auto start = static_cast<std::uint16_t>(16 * group);
    const long end = 16L * (group + 1);

    DatabaseReader db(databasePath_);
    if (db.seekForward(start)) page.title = db.record().name();
    WorkFileReader work(workPath_);
    // Both files ascend by number: the rows are the working-file records
    // after the group header, each with its database record.
    while (work.atRecord() && work.record().number() <= start) work.advance();
    for (; work.atRecord() && work.record().number() < end; work.advance()) {
        const WorkRecord& w = work.record();
        if (!db.seekForward(w.number())) continue;
        const TvkRecord& rec = db.record();
        if (!showService && rec.isService()) continue;
        page.rows.push_back({w.number(), formatHexShort(w.number()), rec.name(),
                             displayValue(rec, w.value()), unitText(rec),
                             std::string(accessCategory(rec))});
    }
    return page;
}

std::optional<long> ParameterList::parameterSet() const
{
    const auto value = CWorkFile(workPath_).findValue(param::kParameterSet.number());
    if (!value) return std::nullopt;
    // The digits are read as a decimal number, as the drive's set numbers
    // 1..3 read the same either way.
    long set = 0;
    for (char c : formatHex4(*value)) {
        if (c < '0' || c > '9') break;
        set = set * 10 + (c - '0');
    }
    return set;
}

}  // namespace kestrel
