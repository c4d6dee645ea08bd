#include <platform/WholeFile.h>

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>
#include <utility>

namespace platform {

namespace {

std::mutex& openerLock()
{
    static std::mutex m;
    return m;
}

FileOpener& installedOpener()
{
    static FileOpener opener;
    return opener;
}

int openForReading(const std::string& path)
{
    FileOpener opener;
    {
        std::lock_guard lock(openerLock());
        opener = installedOpener();
    }
    if (opener)
        return opener(path);
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

}  // namespace

FileOpener setFileOpener(FileOpener opener)
{
    std::lock_guard lock(openerLock());
    std::swap(installedOpener(), opener);
    return opener;
}

ReadResult readWholeFile(const std::string& path, std::string& bytes)
{
    bytes.clear();
    const int fd = openForReading(path);
    if (fd < 0)
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    char buf[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // Nothing was written through it: a failing close loses nothing.
            static_cast<void>(::close(fd));
            if (n == 0)
                return ReadResult::Ok;
            bytes.clear();
            return ReadResult::Failed;
        }
        bytes.append(buf, static_cast<size_t>(n));
    }
}

}  // namespace platform
