#include <merlin/core/MerlinState.h>

namespace merlin {

void MerlinState::reset()
{
    *this = MerlinState{};
}

MerlinState& state()
{
    static MerlinState instance;
    return instance;
}

}  // namespace merlin
