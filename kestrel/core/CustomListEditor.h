#pragma once
// The custom list editor ("Custom List") as a model: the standard parameters
// of a version on the left, the customer's selection on the right, adding,
// deleting, saving and the close question. The dialog shows these rows and
// forwards its buttons here.
#include <kestrel/core/CWorkFile.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrel {

struct EditorRow {
    std::string no;         // 4 upper-case digits; empty for a group title row
    std::string parameter;  // converted name (the group title for a title row)
    std::string value;
    std::string unit;
    bool isTitle() const { return no.empty(); }
};

class CustomListEditor {
public:
    enum class Mode { Create, Modify };

    // Create mode for a version chosen in the version selection ("12.34").
    // Without its database the CTM message is shown and there is no editor.
    static std::optional<CustomListEditor> create(const std::string& installDir, const std::string& version);
    // Modify mode: asks for the custom list (open dialog in custom/) unless a
    // path is given, and checks it as opening it for programming does.
    static std::optional<CustomListEditor> modify(const std::string& installDir,
                                                  const std::optional<std::string>& presetPath = std::nullopt);

    Mode mode() const { return mode_; }
    const std::string& version() const { return version_; }  // "12.34"
    std::string versionLabel() const { return "SOFTWARE VERSION :- A" + version_; }
    std::string title() const;  // "Custom List -- " + path once saved
    const std::string& path() const { return path_; }
    const std::string& databaseFileName() const { return databaseFileName_; }
    bool modified() const { return modified_; }

    const std::vector<EditorRow>& standardRows() const { return standard_; }
    const std::vector<EditorRow>& customRows() const { return custom_; }
    std::optional<std::size_t> selectedCustomRow() const { return selectedCustom_; }

    // ">>": adds the standard row (none selected: nullopt).
    void add(std::optional<std::size_t> standardRow);
    // "Delete parameter": removes the custom row.
    void remove(std::optional<std::size_t> customRow);
    // File, Save (saveAs false) and File, Save As; true when written.
    bool save(bool saveAs);
    // File, Close and the close box; true when the editor may close.
    bool close();

private:
    CustomListEditor(std::string installDir, Mode mode, std::string version);
    bool loadDatabase(bool offerService);
    std::optional<std::string> chooseTarget();
    std::vector<WorkRecord> records() const;
    bool write(const std::string& target) const;

    std::string installDir_;
    Mode mode_;
    std::string version_;
    std::string databaseFileName_;
    std::string path_;
    std::vector<EditorRow> standard_;
    std::vector<EditorRow> custom_;
    std::optional<std::size_t> selectedCustom_;
    bool modified_ = false;
};

}  // namespace kestrel
