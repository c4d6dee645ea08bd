#pragma once
// The parameter list of a document as text: "&Export to Textfile" writes it
// next to the document, printing lays the same lines out on pages of at
// most 60 parameter lines.
#include <merlin/core/CDpfParSet.h>
#include <platform/Notice.h>

#include <string>
#include <vector>

namespace merlin {

struct PrintLine {
    enum class Kind { Heading, Parameter };
    Kind kind;
    std::string text;
    bool operator==(const PrintLine&) const = default;
};

struct PrintPage {
    int number;                    // from 1
    std::vector<PrintLine> lines;
    std::string footer() const;    // "Page %d"
};

class CListExport {
public:
    static constexpr int kLinesPerPage = 60;
    static constexpr const char* kContinued = "-- Continue";

    // "Group %2d: %s  (%d)" with the group counted from 1.
    static std::string groupHeading(CDpfParSet& set, int g);
    // "%3d  %5s  %-20s %15s %-10s %4s" of parameter i of group g.
    static std::string parameterLine(CDpfParSet& set, int g, int i);

    // The document's path with ".txt" for its extension.
    static std::string exportFileName(const std::string& documentPath);
    // Writes every group: heading, its parameter lines, an empty line.
    static bool write(CDpfParSet& set, const std::string& path);
    // Writes the export of a document and opens it in the text viewer; the
    // messages to show afterwards.
    static std::vector<platform::Notice> exportToText(CDpfParSet& set, const std::string& documentPath);

    // Groups go one after the other; a group that does not fit on the rest
    // of a page starts a new one, and a group longer than a page goes on
    // over the following pages under its heading and "-- Continue".
    static std::vector<PrintPage> paginate(CDpfParSet& set);
};

}  // namespace merlin
