#pragma once
// Answers the file-dialog seam from a queue, in order: each answer is the
// path the user picks or a cancel. A dialog asked for when no answer is
// left, and any answer left unused at the end, is a failure: failures()
// lists them and the onFailure callback (ADD_FAILURE in GoogleTest, a Qt
// Test failure in window tests) is called at once. Installed for its
// lifetime; requests records what each dialog was asked to show.
#include <platform/FileDialog.h>

#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace platform::testing {

class ScriptedFileDialogs {
public:
    using FailureSink = std::function<void(const std::string&)>;
    explicit ScriptedFileDialogs(FailureSink onFailure = {}, std::vector<std::optional<std::string>> answers = {});
    ~ScriptedFileDialogs();
    ScriptedFileDialogs(const ScriptedFileDialogs&) = delete;
    ScriptedFileDialogs& operator=(const ScriptedFileDialogs&) = delete;

    // The next dialog returns path; an empty optional is the user's cancel.
    ScriptedFileDialogs& answer(std::optional<std::string> path);
    ScriptedFileDialogs& cancel() { return answer(std::nullopt); }

    // Answers not yet used.
    size_t pending() const { return answers_.size(); }
    bool used() const { return answers_.empty(); }
    std::vector<std::string> failures() const { return failures_; }
    // Records a failure for every unused answer and drops them; true when all is well.
    bool verify();

    // Every dialog asked for so far, in order.
    std::vector<FileDialogRequest> requests;

private:
    std::optional<std::string> ask(const FileDialogRequest& request);
    void fail(const std::string& what);

    std::deque<std::optional<std::string>> answers_;
    std::vector<std::string> failures_;
    FailureSink sink_;
    FileDialogHandler previous_;
};

}  // namespace platform::testing
