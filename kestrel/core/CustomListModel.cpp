#include <kestrel/core/CustomListModel.h>

#include <kestrel/core/PrintFile.h>

namespace kestrel {

namespace {

std::optional<std::size_t> index(int row) { return row < 0 ? std::nullopt : std::optional<std::size_t>(row); }

}  // namespace

CustomListModel::CustomListModel(std::string installDir, CustomListEditor editor)
    : installDir_(std::move(installDir)), editor_(std::move(editor))
{
    refresh();
}

std::optional<CustomListModel> CustomListModel::create(const std::string& installDir, const std::string& version)
{
    auto editor = CustomListEditor::create(installDir, version);
    if (!editor) return std::nullopt;
    return CustomListModel(installDir, std::move(*editor));
}

std::optional<CustomListModel> CustomListModel::modify(const std::string& installDir,
                                                       const std::optional<std::string>& presetPath)
{
    auto editor = CustomListEditor::modify(installDir, presetPath);
    if (!editor) return std::nullopt;
    return CustomListModel(installDir, std::move(*editor));
}

void CustomListModel::refresh()
{
    view_.title = editor_.title();
    view_.versionLabel = editor_.versionLabel();
    view_.standard = editor_.standardRows();
    view_.custom = editor_.customRows();
    if (selectedStandard_ >= static_cast<int>(view_.standard.size())) selectedStandard_ = -1;
    view_.selectedStandard = selectedStandard_;
    if (selectedCustom_ >= static_cast<int>(view_.custom.size())) selectedCustom_ = -1;
    view_.selectedCustom = selectedCustom_;
    view_.deleteEnabled = view_.selectedCustom >= 0;
    view_.modified = editor_.modified();
}

void CustomListModel::selectStandard(int row)
{
    selectedStandard_ = row >= 0 && row < static_cast<int>(view_.standard.size()) ? row : -1;
    refresh();
}

void CustomListModel::selectCustom(int row)
{
    selectedCustom_ = row >= 0 && row < static_cast<int>(view_.custom.size()) ? row : -1;
    refresh();
}

void CustomListModel::add()
{
    const std::size_t before = editor_.customRows().size();
    editor_.add(index(selectedStandard_));
    // The added row is selected where the sort put it.
    if (editor_.customRows().size() > before && editor_.selectedCustomRow())
        selectedCustom_ = static_cast<int>(*editor_.selectedCustomRow());
    refresh();
}

void CustomListModel::removeSelected()
{
    const std::size_t before = editor_.customRows().size();
    editor_.remove(index(selectedCustom_));
    if (editor_.customRows().size() < before) selectedCustom_ = -1;
    refresh();
}

bool CustomListModel::save()
{
    const bool saved = editor_.save(false);
    refresh();
    return saved;
}

bool CustomListModel::saveAs()
{
    const bool saved = editor_.save(true);
    refresh();
    return saved;
}

bool CustomListModel::print() { return printCustomList(installDir_, editor_); }

bool CustomListModel::close()
{
    const bool mayClose = editor_.close();
    refresh();
    return mayClose;
}

}  // namespace kestrel
