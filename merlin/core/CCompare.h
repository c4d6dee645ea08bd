#pragma once
// "Compare with &File..." and "Compare with Factory &defaults": the
// parameters of a document whose values differ from a parameter file's or
// from their defaults, as the rows of "Compare Results - Differences", and
// the text file "compare.txt" made from those rows.
#include <merlin/core/CDpfParSet.h>
#include <platform/Notice.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace merlin {

enum class CompareMode { File, FactoryDefaults };

struct CompareColumn {
    const char* title;
    int widthTwips;
};

// Adr, Parameter, Group, Value 1, Value 2, Unit, Min, Max, Type.
using CompareRow = std::array<std::string, 9>;

class CCompare {
public:
    static constexpr const char* kTextFile = "compare.txt";
    static constexpr const char* kFactoryCaption = "Factory defaults";
    static constexpr const char* kFilter = "PAR Files(*.par) | *.par||";

    static std::array<CompareColumn, 9> columns(CompareMode mode);
    static CompareRow headerRow(CompareMode mode);

    // The file dialog of the file compare (starts in <program>/parameter);
    // nullopt on Cancel.
    static std::optional<std::string> askFile(const std::string& programDirectory);
    // "Invalid file !" for anything but a .par file, "You selected the same
    // file !" for the document's own file.
    static std::optional<platform::Notice> checkFile(const std::string& chosen, const std::string& documentPath);
    // Loads the chosen file into other (its header, its definition from
    // the DeviceData of other's program directory, its values). False when that failed: the reader has shown
    // why, and the compare ends.
    static bool loadFile(const std::string& chosen, CDpfParSet& other);

    // The differences of set against other (file mode) or against its own
    // defaults (other == nullptr). Parameters with access 1 are left out when
    // skipReadOnly is on.
    static std::vector<CompareRow> compare(CDpfParSet& set, CDpfParSet* other, bool skipReadOnly);
    // "%d %s" with the number of rows and "differences detected !".
    static std::string heading(size_t rows);

    // One line of "compare.txt".
    static std::string textLine(const CompareRow& row);
    // Writes "compare.txt" in directory (header row first) and opens it in
    // the text viewer; the messages to show afterwards.
    static std::vector<platform::Notice> writeText(const std::string& directory, CompareMode mode,
                                              const std::vector<CompareRow>& rows);
};

}  // namespace merlin
