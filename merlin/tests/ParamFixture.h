#pragma once
// A numeric parameter at a register offset, for tests that build a set by hand.
#include <merlin/core/CPar.h>

#include <string>

namespace merlin::testing {

inline CPar testParam(const std::string& name, int offset, int value, int access = 0, int min = 0)
{
    CPar p;
    p.name = name;
    p.type = 10;
    p.min = min;
    p.max = 30000;
    p.registerNumber = 40000 + offset;
    p.access = access;
    p.value = value;
    p.defaultValue = value;
    return p;
}

}  // namespace merlin::testing
