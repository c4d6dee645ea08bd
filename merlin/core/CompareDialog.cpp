#include <merlin/core/CompareDialog.h>

namespace merlin {

CompareDialog::CompareDialog(CDpfParSet& set) : set_(set) {}

std::vector<platform::Notice> CompareDialog::CompareWithFile(const std::string& chosen,
                                                             const std::string& documentPath)
{
    ready_ = false;
    if (auto refusal = CCompare::checkFile(chosen, documentPath))
        return {*refusal};
    // A set of its own: a file of another definition must not touch the
    // document's tables.
    auto other = std::make_unique<CDpfParSet>(set_.ProgramDirectory());
    other->SetTrace(nullptr);
    if (!CCompare::loadFile(chosen, *other))
        return {};
    other_ = std::move(other);
    mode_ = CompareMode::File;
    view_.secondCaption = chosen;
    refresh();
    ready_ = true;
    return {};
}

void CompareDialog::CompareWithFactoryDefaults()
{
    other_.reset();
    mode_ = CompareMode::FactoryDefaults;
    view_.secondCaption = CCompare::kFactoryCaption;
    refresh();
    ready_ = true;
}

void CompareDialog::SetSkipReadOnly(bool skip)
{
    view_.skipReadOnly = skip;
    if (ready_)
        refresh();
}

void CompareDialog::refresh()
{
    view_.columns = CCompare::columns(mode_);
    view_.rows = CCompare::compare(set_, other_.get(), view_.skipReadOnly);
    view_.heading = CCompare::heading(view_.rows.size());
}

std::vector<platform::Notice> CompareDialog::WriteText(const std::string& directory) const
{
    return CCompare::writeText(directory, mode_, view_.rows);
}

}  // namespace merlin
