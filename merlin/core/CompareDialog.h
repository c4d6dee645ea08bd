#pragma once
// The logic of "Compare with &File...", "Compare with Factory &defaults"
// and their result dialog "Compare Results - Differences": the checks of the
// chosen file, the second set, the rows, the heading and "compare.txt". The
// window asks for the file (CCompare::askFile), hands it to CompareWithFile,
// shows the notices, and opens the result dialog once ready() is true.
#include <merlin/core/CCompare.h>
#include <platform/Notice.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace merlin {

class CompareDialog {
public:
    static constexpr const char* kTitle = "Compare Results - Differences";

    struct View {
        std::string title = kTitle;
        std::string heading;         // "%d differences detected !"
        std::string secondCaption;   // "Factory defaults" or the chosen file
        std::array<CompareColumn, 9> columns{};
        std::vector<CompareRow> rows;
        bool skipReadOnly = false;
    };

    // set is the active document's; it is only read.
    explicit CompareDialog(CDpfParSet& set);

    // File mode: checks the chosen file against the document's path, loads
    // it with its own definition and compares. Returns what to show when the
    // file cannot be used (the loader shows its own messages and returns
    // none); ready() tells whether the result dialog opens.
    std::vector<platform::Notice> CompareWithFile(const std::string& chosen, const std::string& documentPath);
    void CompareWithFactoryDefaults();
    bool ready() const { return ready_; }

    // The option to leave read-only parameters out; the rows follow.
    void SetSkipReadOnly(bool skip);

    // Writes "compare.txt" into directory and opens it in the text viewer;
    // the messages to show afterwards.
    std::vector<platform::Notice> WriteText(const std::string& directory) const;

    const View& view() const { return view_; }
    CompareMode mode() const { return mode_; }

private:
    void refresh();

    CDpfParSet& set_;
    std::unique_ptr<CDpfParSet> other_;
    CompareMode mode_ = CompareMode::FactoryDefaults;
    bool ready_ = false;
    View view_;
};

}  // namespace merlin
