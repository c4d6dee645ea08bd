#include <merlin/core/CListExport.h>
#include <merlin/core/FileAccessMessage.h>

#include <merlin/core/TextFileViewer.h>

#include <filesystem>
#include <fstream>

namespace merlin {

std::string PrintPage::footer() const
{
    return platform::strFormat("Page %d", number);
}

std::string CListExport::groupHeading(CDpfParSet& set, int g)
{
    return platform::strFormat("Group %2d: %s  (%d)", g + 1, set.GroupName(g).c_str(), set.GroupSize(g));
}

std::string CListExport::parameterLine(CDpfParSet& set, int g, int i)
{
    CPar par;
    set.GetParameter(g, i, par);
    const std::string offset = platform::strFormat("%d", par.RegisterOffset());
    const std::string access = platform::strFormat("%d", par.access);
    return platform::strFormat("%3d  %5s  %-20s %15s %-10s %4s", i, offset.c_str(), par.name.c_str(), set.ValueText(g, i).c_str(),
                     set.Unit(g, i).c_str(), access.c_str());
}

std::string CListExport::exportFileName(const std::string& documentPath)
{
    return std::filesystem::path(documentPath).replace_extension(".txt").string();
}

bool CListExport::write(CDpfParSet& set, const std::string& path)
{
    std::ofstream out(path, std::ios::trunc);
    for (int g = 0; out && g < set.NumberOfGroups(); ++g) {
        out << groupHeading(set, g) << '\n';
        for (int i = 0; i < set.GroupSize(g); ++i)
            out << parameterLine(set, g, i) << '\n';
        out << '\n';
    }
    out.close();
    return static_cast<bool>(out);
}

std::vector<platform::Notice> CListExport::exportToText(CDpfParSet& set, const std::string& documentPath)
{
    const std::string file = exportFileName(documentPath);
    if (!write(set, file))
        return {fileAccessMessage(file)};
    if (!openInTextViewer(file))
        return {viewerMissingMessage()};
    return {printFileMessage(file)};
}

std::vector<PrintPage> CListExport::paginate(CDpfParSet& set)
{
    std::vector<PrintPage> pages{{1, {}}};
    int used = 0;  // parameter lines on the current page
    auto newPage = [&] {
        pages.push_back({static_cast<int>(pages.size()) + 1, {}});
        used = 0;
    };
    for (int g = 0; g < set.NumberOfGroups(); ++g) {
        const int size = set.GroupSize(g);
        if (used > 0 && used + size > kLinesPerPage)
            newPage();
        const std::string heading = groupHeading(set, g);
        pages.back().lines.push_back({PrintLine::Kind::Heading, heading});
        for (int i = 0; i < size; ++i) {
            if (used == kLinesPerPage) {
                newPage();
                pages.back().lines.push_back({PrintLine::Kind::Heading, heading + " " + kContinued});
            }
            pages.back().lines.push_back({PrintLine::Kind::Parameter, parameterLine(set, g, i)});
            ++used;
        }
    }
    return pages;
}

}  // namespace merlin
