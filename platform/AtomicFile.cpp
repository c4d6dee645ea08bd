#include <platform/AtomicFile.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

std::error_code lastError() { return {errno, std::generic_category()}; }

// A bare file name lives in the current directory.
std::string folderOf(const std::string& path)
{
    const std::string parent = std::filesystem::path(path).parent_path().string();
    return parent.empty() ? "." : parent;
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// The rename itself must reach the disk too, or a crash can bring back the
// old directory entry; a folder that cannot be synced (some file systems
// refuse) does not make the write fail, the data is already safe.
void syncFolder(const std::string& folder, const AtomicFile::SyncCalls& calls)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)calls.fsync(fd);
    (void)::close(fd);
}

}  // namespace

AtomicFile::SyncCalls AtomicFile::SyncCalls::system()
{
    return {[](int fd) { return ::fsync(fd); },
            [](const char* from, const char* to) { return ::rename(from, to); }};
}

std::error_code AtomicFile::replace(const std::string& path, std::string_view bytes)
{
    return replace(path, bytes, SyncCalls::system());
}

std::error_code AtomicFile::replace(const std::string& path, std::string_view bytes, const SyncCalls& calls)
{
    const std::string folder = folderOf(path);
    std::string tmp = path + ".XXXXXX";
    const int fd = ::mkostemp(tmp.data(), O_CLOEXEC);
    if (fd < 0) return lastError();

    struct stat old {};
    const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : mode_t(-1);
    std::error_code err;
    if (mode != mode_t(-1)) {
        if (::fchmod(fd, mode) != 0) err = lastError();
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        if (::fchmod(fd, 0666 & ~mask & 0644) != 0) err = lastError();
    }
    if (!err && !writeAll(fd, bytes)) err = lastError();
    if (!err && calls.fsync(fd) != 0) err = lastError();
    if (::close(fd) != 0 && !err) err = lastError();
    if (!err && calls.rename(tmp.c_str(), path.c_str()) != 0) err = lastError();
    if (err) {
        (void)::unlink(tmp.c_str());
        return err;
    }
    syncFolder(folder, calls);
    return {};
}

}  // namespace platform
