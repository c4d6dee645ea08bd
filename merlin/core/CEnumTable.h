#pragma once
// The choice texts of every choice list of a definition file, in file order.
// A list is a run of consecutive texts: list n starts at ListStart(n) and ends
// where the next list starts (the last one at the end of the texts).
#include <cstdint>
#include <string>
#include <vector>

namespace merlin {

class CEnumTable {
public:
    // List numbers are kept below this; a larger one would make the start
    // table grow without bound.
    static constexpr int kMaxLists = 2000;

    // Appends text to list n and returns its index. A list number different
    // from the previous call's starts list n here. Returns -1 (nothing stored)
    // when n is outside 0..kMaxLists-1.
    int AddText(const std::string& text, int n);

    // Empties the choices, then appends the texts of list n at positions
    // from..to (inclusive) that exist in the list. Returns the choices.
    const std::vector<std::string>& BuildChoices(int n, int from, int to);
    const std::vector<std::string>& Choices() const { return choices_; }

    // Text at position p of list n; empty when n is no list or p is outside it.
    std::string Text(int n, int p) const;

    // Start index of list n, -1 when n is no list.
    int ListStart(int n) const;
    // Number of texts of list n, 0 when n is no list.
    int ListLength(int n) const;
    int ListCount() const { return static_cast<int>(listStarts_.size()); }
    int TextCount() const { return static_cast<int>(texts_.size()); }
    const std::vector<std::string>& Texts() const { return texts_; }

    // Removes every text and list; list numbers back to -1.
    void Clear();

private:
    std::vector<std::string> texts_;
    std::vector<std::string> choices_;
    std::vector<int> listStarts_;
    std::vector<bool> defined_;   // lists that were really started (not gap fill)
    int currentList_ = -1;
    int previousList_ = -1;
};

}  // namespace merlin
