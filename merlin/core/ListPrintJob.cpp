#include <merlin/core/ListPrintJob.h>

namespace merlin {

ListPrintJob::ListPrintJob(CDpfParSet& set, std::string documentTitle)
    : title_(std::move(documentTitle)), pages_(CListExport::paginate(set))
{
}

std::string ListPrintJob::exportPath(const std::string& documentPath, const std::string& programDirectory,
                                     const std::string& documentTitle)
{
    if (!documentPath.empty())
        return CListExport::exportFileName(documentPath);
    return CListExport::exportFileName(programDirectory + "/parameter/" + documentTitle + ".par");
}

}  // namespace merlin
