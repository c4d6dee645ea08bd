#pragma once
// Crash-safe replacement of a whole file. The new bytes go to a temporary
// file in the target's folder, are flushed to the disk, and take the
// target's name by rename(), which is atomic within one file system: a
// reader (or a crash, or a full disk) sees either the old file or the new
// one, never a half-written mix. The old file is never opened for writing,
// so other names (hard links) of it keep the old content.
#include <functional>
#include <string>
#include <string_view>
#include <system_error>

namespace platform {

class AtomicFile {
public:
    // The calls that make a replace crash-safe, in the order they must come:
    // the new file synced before the rename, the folder synced after it.
    // Tests wrap them to watch that order.
    struct SyncCalls {
        std::function<int(int fd)> fsync;
        std::function<int(const char* from, const char* to)> rename;
        static SyncCalls system();
    };

    // Replaces (or creates) `path` with `bytes`. An existing file's
    // permission bits carry over; a new file gets 0644 less the umask.
    // On failure the old file is as it was, no temporary file is left, and
    // the error of the failing step is returned.
    static std::error_code replace(const std::string& path, std::string_view bytes);
    static std::error_code replace(const std::string& path, std::string_view bytes, const SyncCalls& calls);
};

}  // namespace platform
