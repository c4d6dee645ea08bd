#include <merlin/core/CEnumTable.h>

namespace merlin {

int CEnumTable::AddText(const std::string& text, int n)
{
    if (n < 0 || n >= kMaxLists)
        return -1;
    const int index = static_cast<int>(texts_.size());
    texts_.push_back(text);
    if (n != previousList_) {
        if (n >= static_cast<int>(listStarts_.size())) {
            listStarts_.resize(n + 1, 0);
            defined_.resize(n + 1, false);
        }
        listStarts_[n] = index;
        defined_[n] = true;
        currentList_ = n;
    }
    previousList_ = n;
    return index;
}

int CEnumTable::ListStart(int n) const
{
    if (n < 0 || n >= static_cast<int>(listStarts_.size()) || !defined_[n])
        return -1;
    return listStarts_[n];
}

int CEnumTable::ListLength(int n) const
{
    const int start = ListStart(n);
    if (start < 0)
        return 0;
    // A list ends where the next list in file order starts, so lists need not
    // be numbered without gaps or in rising order.
    int end = static_cast<int>(texts_.size());
    for (size_t m = 0; m < listStarts_.size(); ++m)
        if (defined_[m] && listStarts_[m] > start && listStarts_[m] < end)
            end = listStarts_[m];
    return end - start;
}

const std::vector<std::string>& CEnumTable::BuildChoices(int n, int from, int to)
{
    choices_.clear();
    const int length = ListLength(n);
    const int start = ListStart(n);
    for (int p = from < 0 ? 0 : from; p <= to && p < length; ++p)
        choices_.push_back(texts_[start + p]);
    return choices_;
}

std::string CEnumTable::Text(int n, int p) const
{
    if (p < 0 || p >= ListLength(n))
        return {};
    return texts_[ListStart(n) + p];
}

void CEnumTable::Clear()
{
    texts_.clear();
    choices_.clear();
    listStarts_.clear();
    defined_.clear();
    currentList_ = -1;
    previousList_ = -1;
}

}  // namespace merlin
