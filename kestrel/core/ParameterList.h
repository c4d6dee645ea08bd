#pragma once
// What a list window shows, read from its database and working file on every
// call: the groups, the tabs, the rows of one group page, the parameter set.
#include <kestrel/core/CWorkFile.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrel {

// Value of parameter 0087 that shows the service parameters.
constexpr std::uint16_t kServiceAccessCode = 0x00C9;

struct ListRow {
    std::uint16_t number = 0;
    std::string no;         // "A8", "3"
    std::string parameter;  // converted name
    std::string value;
    std::string unit;
    std::string type;
};

struct GroupPage {
    int group = 0;
    std::string title;
    std::vector<ListRow> rows;  // empty: the page reads "EMPTY" "LIST"
};

// "Gr " + the group in upper-case hexadecimal ("Gr 0" .. "Gr 17").
std::string tabText(int group);
// The group of a tab text; nullopt for text that is not a tab.
std::optional<int> groupOfTab(std::string_view text);

class ParameterList {
public:
    ParameterList(std::string databasePath, std::string workPath, ListKind kind)
        : databasePath_(std::move(databasePath)), workPath_(std::move(workPath)), kind_(kind) {}

    std::optional<int> groupCount() const;
    // Groups that get a tab, ascending: those with a record besides the
    // group header in the working file.
    std::vector<int> tabGroups() const;
    // Whether service parameters (attribute bit 0x0100) show in a group.
    bool serviceShown(int group) const;
    GroupPage fillGroup(int group) const;
    // The value of record 00E9, its digits read as a decimal number ("0002"
    // gives 2); nullopt when the working file has none.
    std::optional<long> parameterSet() const;

private:
    std::string databasePath_;
    std::string workPath_;
    ListKind kind_;
};

}  // namespace kestrel
