#include <merlin/core/ListPrintJob.h>

namespace merlin {

ListPrintJob::ListPrintJob(CDpfParSet& set, std::string documentTitle)
    : title_(std::move(documentTitle)), pages_(CListExport::paginate(set))
{
}

}  // namespace merlin
