#pragma once
// The "Custom List" window's view model: what the two grids, the version
// label, the title and the "Delete parameter" button show, and the window's
// commands. The editing rules and the file work are CustomListEditor's; this
// adds the selection of each grid and the enabling the window follows.
// Refusals and questions go through the message seam while a command runs,
// as the editor asks them.
#include <kestrel/core/CustomListEditor.h>

#include <optional>
#include <string>
#include <vector>

namespace kestrel {

class CustomListModel {
public:
    struct View {
        std::string title;         // "Custom List" / "Custom List -- " + path
        std::string versionLabel;  // "SOFTWARE VERSION :- A12.34"
        std::vector<EditorRow> standard;
        std::vector<EditorRow> custom;
        int selectedStandard = -1;  // row index into standard, -1 none (light yellow)
        int selectedCustom = -1;    // row index into custom, -1 none
        bool deleteEnabled = false; // "Delete parameter"
        bool modified = false;
    };

    // The prompt the window hands the version selection of Create List.
    static constexpr const char* kCreatePrompt = "Select the version for which you want to create and click OK.";

    // Create List for a version from the version selection ("12.34").
    static std::optional<CustomListModel> create(const std::string& installDir, const std::string& version);
    // Modify List: the open dialog asks for the list unless a path is given.
    static std::optional<CustomListModel> modify(const std::string& installDir,
                                                 const std::optional<std::string>& presetPath = std::nullopt);

    const View& view() const { return view_; }
    const CustomListEditor& editor() const { return editor_; }

    // A click on a row of either grid; a row out of range clears the selection.
    void selectStandard(int row);
    void selectCustom(int row);
    // ">>" and "Delete parameter".
    void add();
    void removeSelected();
    // File, Save and File, Save As; true when written.
    bool save();
    bool saveAs();
    // File, Print: the print file of the custom grid, opened in the text viewer.
    bool print();
    // File, Close and the close box; true when the window may close.
    bool close();

private:
    CustomListModel(std::string installDir, CustomListEditor editor);
    void refresh();

    std::string installDir_;
    CustomListEditor editor_;
    int selectedStandard_ = -1;
    int selectedCustom_ = -1;
    View view_;
};

}  // namespace kestrel
