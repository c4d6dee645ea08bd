#pragma once
// File, Compare with / Customer List, Compare with: the list window's
// current values (its working file, unsaved changes included) against a
// stored file of the same kind and version, one row per difference.
#include <kestrel/core/CWorkFile.h>

#include <optional>
#include <string>
#include <vector>

namespace kestrel {

struct CompareRow {
    std::string no;  // upper-case hexadecimal without leading zeros
    std::string parameter;
    std::string value1;  // "--" when the first side lacks the parameter
    std::string value2;  // "--" when the second side lacks it
    std::string unit;
    std::string min;
    std::string max;
    std::string type;
};

struct CompareResult {
    std::string firstLine;    // "1. " + first path
    std::string secondLine;   // "2. " + second path
    std::string versionLine;  // "Version : A12.34"
    std::vector<CompareRow> rows;
};

// The list window's side of the comparison.
struct CompareSource {
    ListKind kind = ListKind::ParameterFile;
    std::string filePath;
    std::string workPath;
    std::string databasePath;  // full path
};

// Asks for the second file (unless given), runs the checks and the merge.
// nullopt when a check ended the comparison or the files are identical
// (its message has been shown); otherwise the rows for the result window.
std::optional<CompareResult> compareFiles(const std::string& installDir, const CompareSource& source,
                                          const std::optional<std::string>& presetSecond = std::nullopt);

// The merge alone: both sides ascend by number.
std::vector<CompareRow> mergeDifferences(const std::string& workPath, const std::string& secondPath,
                                         const std::string& databasePath);

}  // namespace kestrel
