#include <tern/engine/FrameTap.h>

#include <chrono>

namespace tern {

int64_t monotonicMicroseconds()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace tern
