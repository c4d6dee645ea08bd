#pragma once
// The link server's reading of VARIANT arguments: arrays however a client
// wraps them, and the optional type and word-order arguments.
#include <tern/server/COleSafeArrayEx.h>
#include <tern/automation/COleVariant.h>

#include <optional>

namespace tern {

class COleVariantEx : public COleVariant {
public:
    COleVariantEx() = default;
    COleVariantEx(const COleVariant& v) : COleVariant(v) {}  // NOLINT: a view of any VARIANT

    // The array of an input argument: held by value or by reference, or
    // inside a VARIANT passed by reference (one level is unwrapped). It must
    // have exactly one dimension; its lower bound does not matter, every
    // element is taken. False for anything else.
    bool GetArray(COleSafeArrayEx& out) const;
    // The integer value of a numeric argument (reals truncated toward zero);
    // nothing when missing or not a number.
    std::optional<int64_t> GetInteger() const;
    // The word-order rule: set only when present and the integer 1.
    bool IsIntegerOne() const;
    // Present: anything but the "parameter not found" error of a left-out
    // optional argument.
    bool IsPresent() const { return !isMissing(); }
};

}  // namespace tern
