#pragma once
// A Merlin document: the parameter set built from a definition file, where
// it is stored and whether it changed since. New, Open, Save and Convert To
// work on it here; the window of the document only shows it.
#include <merlin/core/CDpfParSet.h>
#include <platform/FileDialog.h>

#include <filesystem>
#include <string>

namespace merlin {

constexpr const char* kParFilter = "Parameter File(*.par)|*.par||";
constexpr const char* kParExtension = "par";
constexpr const char* kMsgSaveFailed = "'%s'\ncouldn't be saved !";

class MerlinDocument {
public:
    explicit MerlinDocument(std::filesystem::path programDirectory);

    CDpfParSet& set() { return set_; }
    const CDpfParSet& set() const { return set_; }
    bool modified = false;
    const std::filesystem::path& path() const { return path_; }
    // The file name of a stored document, "DevPar<n>" for a new one.
    const std::string& title() const { return title_; }

    // "&New Parameter List...": the definition the network dialog left in
    // the process-wide state, else the user's choice. False when there is
    // no document (cancelled, or the definition could not be used).
    bool CreateNew();
    // Opens a parameter file; false (after the messages) when it cannot be.
    bool Open(const std::filesystem::path& path);
    // Stores the document in path, replacing the file in one step: a failed
    // save leaves the old file whole. False after the message.
    bool SaveAs(const std::filesystem::path& path);
    bool Save() { return SaveAs(path_); }
    // The save dialog's request: the file's own folder and name, or for a
    // new document "<title>.par" in the program's "parameter" folder.
    platform::FileDialogRequest SaveRequest() const;
    // "Save As...": the user names the file; false when cancelled or failed.
    bool AskAndSaveAs();
    // "Save": a document that has no file yet asks for its name first.
    bool SaveOrAsk();
    // Before the document closes: a changed one asks "Save changes to
    // <title>?"; Yes saves (SaveOrAsk). False when the close must stop
    // (Cancel, or the save did not happen).
    bool QueryClose();
    // "Convert To...": true when the definition was replaced.
    bool ConvertTo();

private:
    CDpfParSet set_;
    std::filesystem::path programDirectory_;
    std::filesystem::path path_;
    std::string title_;
};

}  // namespace merlin
