#pragma once
// The "Custom List" dialog of "&Modify List...": per parameter, whether it
// is shown with the filter active and whether the bulk transfers take it.
// A check mark means the parameter's bit is clear. Clicks store the flags in
// the set at once; the two hide switches are stored by OK.
#include <merlin/core/CDpfParSet.h>

#include <array>
#include <string>
#include <vector>

namespace merlin {

class CustomList {
public:
    // Check columns: "Show" (bit 0), "DwnLoad" (bit 1), "UpLoad" (bit 2).
    enum Column { Show = 0, Download = 1, Upload = 2 };
    static constexpr std::array<const char*, 5> kHeaders{"", "", "Show", "DwnLoad", "UpLoad"};

    struct Row {
        std::string registerText;  // "%d" of the register offset
        std::string name;
        std::array<bool, 3> checked{};
    };

    explicit CustomList(CDpfParSet& set);

    std::vector<std::string> tabs() const;
    int group() const { return group_; }
    void selectGroup(int group);
    std::vector<Row> rows() const;

    // Flips the column's bit of row i of the shown group.
    void toggle(int i, Column column);
    // "Whole group:": checks the column for the whole group, or clears it
    // when it is checked for all of them already.
    void toggleGroup(Column column);

    bool hideDefaults = false;  // "Defaults"
    bool hideReadOnly = false;  // "Read only"
    // OK: stores the switches in the header; the caller marks the document
    // modified and refills its page.
    void accept();

private:
    static int bit(Column column) { return 1 << column; }

    CDpfParSet& set_;
    int group_ = 0;
};

}  // namespace merlin
