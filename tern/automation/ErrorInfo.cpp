#include <tern/automation/ErrorInfo.h>

namespace tern {

namespace {
// The thread's error object: set by a failing call, taken by whoever
// reports that call.
thread_local std::optional<ErrorInfo> threadErrorInfo;
}  // namespace

void SetErrorInfo(ErrorInfo info) { threadErrorInfo = std::move(info); }

void ClearErrorInfo() { threadErrorInfo.reset(); }

std::optional<ErrorInfo> GetErrorInfo()
{
    std::optional<ErrorInfo> taken;
    taken.swap(threadErrorInfo);
    return taken;
}

}  // namespace tern
