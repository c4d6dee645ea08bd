#pragma once
// Claims the line for one foreground operation: the process-wide
// operation-in-progress flag is set for the scope's life and always cleared
// after it, so a row selection or a poll cannot start an exchange meanwhile.
#include <kestrel/core/KestrelState.h>

namespace kestrel {

class OperationScope {
public:
    OperationScope() { state().operationInProgress = true; }
    ~OperationScope() { state().operationInProgress = false; }
    OperationScope(const OperationScope&) = delete;
    OperationScope& operator=(const OperationScope&) = delete;
};

}  // namespace kestrel
