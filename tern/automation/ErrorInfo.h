#pragma once
// Automation error information: what a failing call tells its caller beside
// the HRESULT. Each thread has one slot, as with SetErrorInfo/GetErrorInfo:
// the object fills it when a call fails, the dispatch layer takes it.
#include <tern/automation/OleTypes.h>

#include <optional>
#include <string>

namespace tern {

struct ErrorInfo {
    std::string description;
    std::string source;
    std::string interfaceGuid;
    std::string helpFile;
    bool operator==(const ErrorInfo&) const = default;
};

void SetErrorInfo(ErrorInfo info);
void ClearErrorInfo();
// Takes the thread's error information (the slot is empty afterwards).
std::optional<ErrorInfo> GetErrorInfo();

}  // namespace tern
