#include <merlin/core/CCompare.h>
#include <merlin/core/FileAccessMessage.h>

#include <merlin/core/TextFileViewer.h>

#include <platform/FileDialog.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace merlin {

namespace fs = std::filesystem;

std::array<CompareColumn, 9> CCompare::columns(CompareMode mode)
{
    const bool file = mode == CompareMode::File;
    return {{{"Adr", 500},
             {"Parameter", 1800},
             {"Group", 600},
             {file ? "Value 1" : "Value", 1150},
             {file ? "Value 2" : "Default", 1150},
             {"Unit", 600},
             {"Min", 900},
             {"Max", 900},
             {"Type", 990}}};
}

CompareRow CCompare::headerRow(CompareMode mode)
{
    CompareRow row;
    const auto cols = columns(mode);
    std::transform(cols.begin(), cols.end(), row.begin(), [](const CompareColumn& c) { return c.title; });
    return row;
}

std::optional<std::string> CCompare::askFile(const std::string& programDirectory)
{
    platform::FileDialogRequest request;
    request.directory = programDirectory + "/parameter";
    request.fileName = "*.par";
    request.filter = kFilter;
    request.defaultExtension = "par";
    return platform::askFile(request);
}

std::optional<platform::Notice> CCompare::checkFile(const std::string& chosen, const std::string& documentPath)
{
    std::string extension = fs::path(chosen).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(), ::tolower);
    if (extension != ".par")
        return platform::Notice{"Invalid file !", platform::MsgIcon::Exclamation};
    std::error_code error;
    const bool same = !documentPath.empty() &&
                      (chosen == documentPath || fs::equivalent(chosen, documentPath, error));
    if (same)
        return platform::Notice{"You selected the same file !", platform::MsgIcon::Exclamation};
    return std::nullopt;
}

bool CCompare::loadFile(const std::string& chosen, CDpfParSet& other)
{
    other.ResetTables();
    return other.LoadParameterFile(fs::path(chosen)) == kHeaderOk;
}

namespace {

CompareRow differenceRow(CDpfParSet& set, int g, int i, const CPar& par, const std::string& second)
{
    return {platform::strFormat("%d", par.RegisterOffset()), par.name, platform::strFormat("%d", g + 1), set.ValueText(g, i), second,
            set.Unit(g, i), set.MinimumText(g, i), set.MaximumText(g, i), platform::strFormat("%d", par.access)};
}

}  // namespace

std::vector<CompareRow> CCompare::compare(CDpfParSet& set, CDpfParSet* other, bool skipReadOnly)
{
    std::vector<CompareRow> rows;
    for (int g = 0; g < set.NumberOfGroups(); ++g) {
        for (int i = 0; i < set.GroupSize(g); ++i) {
            CPar par;
            if (!set.GetParameter(g, i, par))
                continue;
            CPar theirs;
            // A parameter the other set does not have always counts as a difference.
            const bool found = other ? other->GetParameter(g, i, theirs) != 0 : true;
            const int second = other ? theirs.value : par.defaultValue;
            if ((found && par.value == second) || (skipReadOnly && par.IsReadOnly()))
                continue;
            const std::string secondText =
                !other ? set.DefaultText(g, i) : found ? other->ValueText(g, i) : std::string();
            rows.push_back(differenceRow(set, g, i, par, secondText));
        }
    }
    return rows;
}

std::string CCompare::heading(size_t rows)
{
    return platform::strFormat("%d %s", static_cast<int>(rows), "differences detected !");
}

std::string CCompare::textLine(const CompareRow& row)
{
    static constexpr const char* kFormats[9] = {"%5s ", "%-20s", "%5s", "%15s", "%15s", " %-5s", "%9s", "%9s", "%5s"};
    std::string line;
    for (size_t c = 0; c < row.size(); ++c)
        line += platform::strFormat(kFormats[c], row[c].c_str());
    return line + "\n";
}

std::vector<platform::Notice> CCompare::writeText(const std::string& directory, CompareMode mode,
                                             const std::vector<CompareRow>& rows)
{
    const std::string file = directory + "/" + kTextFile;
    std::ofstream out(file, std::ios::trunc);
    out << textLine(headerRow(mode));
    for (const CompareRow& row : rows)
        out << textLine(row);
    out.close();
    if (!out)
        return {fileAccessMessage(file)};
    if (openInTextViewer(file))
        return {};
    return {viewerMissingMessage(), printFileMessage(kTextFile)};
}

}  // namespace merlin
