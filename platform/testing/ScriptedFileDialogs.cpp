#include <platform/testing/ScriptedFileDialogs.h>

#include <iterator>

namespace platform::testing {

namespace {

std::string describe(const FileDialogRequest& r)
{
    return std::string(r.save ? "save" : "open") + " dialog \"" + r.title + "\" in \"" + r.directory + "\"";
}

std::string describe(const std::optional<std::string>& answer)
{
    return answer ? "\"" + *answer + "\"" : std::string("cancel");
}

}  // namespace

ScriptedFileDialogs::ScriptedFileDialogs(FailureSink onFailure, std::vector<std::optional<std::string>> answers)
    : answers_(std::make_move_iterator(answers.begin()), std::make_move_iterator(answers.end())),
      sink_(std::move(onFailure))
{
    previous_ = setFileDialogHandler([this](const FileDialogRequest& r) { return ask(r); });
}

ScriptedFileDialogs::~ScriptedFileDialogs()
{
    verify();
    setFileDialogHandler(std::move(previous_));
}

ScriptedFileDialogs& ScriptedFileDialogs::answer(std::optional<std::string> path)
{
    answers_.push_back(std::move(path));
    return *this;
}

std::optional<std::string> ScriptedFileDialogs::ask(const FileDialogRequest& request)
{
    requests.push_back(request);
    if (answers_.empty()) {
        // The user cancels a dialog nobody expected: the code under test goes on.
        fail("unexpected file " + describe(request));
        return std::nullopt;
    }
    auto next = std::move(answers_.front());
    answers_.pop_front();
    return next;
}

void ScriptedFileDialogs::fail(const std::string& what)
{
    failures_.push_back(what);
    if (sink_)
        sink_(what);
}

bool ScriptedFileDialogs::verify()
{
    std::deque<std::optional<std::string>> left;
    left.swap(answers_);
    for (const auto& a : left)
        fail("file dialog answer " + describe(a) + " was never used");
    return failures_.empty();
}

}  // namespace platform::testing
