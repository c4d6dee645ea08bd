#include <merlin/core/CustomList.h>

#include <platform/Notice.h>

namespace merlin {

CustomList::CustomList(CDpfParSet& set) : set_(set)
{
    const uint32_t flags = set_.ViewFlags();
    hideDefaults = (flags & kHideDefaults) != 0;
    hideReadOnly = (flags & kHideReadOnly) != 0;
}

std::vector<std::string> CustomList::tabs() const
{
    std::vector<std::string> names;
    for (int g = 0; g < set_.NumberOfGroups(); ++g) {
        const std::string name = set_.GroupName(g);
        names.push_back(name.empty() ? platform::strFormat("%d", g + 1) : name);
    }
    return names;
}

void CustomList::selectGroup(int group)
{
    if (group >= 0 && group < set_.NumberOfGroups())
        group_ = group;
}

std::vector<CustomList::Row> CustomList::rows() const
{
    std::vector<Row> out;
    const int size = set_.GroupSize(group_);
    for (int i = 0; i < size; ++i) {
        const CPar& par = set_.At(set_.FlatIndex(group_, i));
        Row row{platform::strFormat("%d", par.RegisterOffset()), par.name, {}};
        for (int c = Show; c <= Upload; ++c)
            row.checked[c] = (par.selectionFlags & bit(static_cast<Column>(c))) == 0;
        out.push_back(std::move(row));
    }
    return out;
}

void CustomList::toggle(int i, Column column)
{
    const int flags = set_.GetSelectionFlags(group_, i);
    if (flags >= 0)
        set_.SetSelectionFlags(group_, i, flags ^ bit(column));
}

void CustomList::toggleGroup(Column column)
{
    const int size = set_.GroupSize(group_);
    bool allChecked = true;
    for (int i = 0; i < size; ++i)
        allChecked = allChecked && (set_.GetSelectionFlags(group_, i) & bit(column)) == 0;
    for (int i = 0; i < size; ++i) {
        const int flags = set_.GetSelectionFlags(group_, i);
        set_.SetSelectionFlags(group_, i, allChecked ? flags | bit(column) : flags & ~bit(column));
    }
}

void CustomList::accept()
{
    uint32_t flags = set_.ViewFlags() & ~(kHideDefaults | kHideReadOnly);
    if (hideDefaults)
        flags |= kHideDefaults;
    if (hideReadOnly)
        flags |= kHideReadOnly;
    set_.SetViewFlags(flags);
}

}  // namespace merlin
