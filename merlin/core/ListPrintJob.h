#pragma once
// A document's parameter list as printed pages ("&Print...", "Print
// Pre&view"): the pages of CListExport::paginate with the document's title
// on top of each. The printer window draws page by page: headings in a
// proportional font, parameter lines in a fixed-pitch one.
#include <merlin/core/CListExport.h>

#include <string>
#include <vector>

namespace merlin {

class ListPrintJob {
public:
    static constexpr const char* kHeadingFont = "Arial";
    static constexpr const char* kLineFont = "Courier New";

    ListPrintJob(CDpfParSet& set, std::string documentTitle);

    int pageCount() const { return static_cast<int>(pages_.size()); }
    // Page n counted from 1.
    const PrintPage& page(int n) const { return pages_.at(static_cast<size_t>(n - 1)); }
    const std::string& documentTitle() const { return title_; }

private:
    std::string title_;
    std::vector<PrintPage> pages_;
};

}  // namespace merlin
