#pragma once
// A failed socket operation: its name ("Connect", "Receive timeout", ...) and
// the errno at the time of the failure (0 for a time-out).
#include <tern/engine/CException.h>

namespace tern {

class CBlockingSocketException : public CException {
public:
    CBlockingSocketException(std::string operation, int error) : CException(std::move(operation), error) {}
    const char* GetRuntimeClassName() const override { return "CBlockingSocketException"; }
};

}  // namespace tern
