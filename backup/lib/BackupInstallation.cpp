#include <backup/lib/BackupInstallation.h>

#include <platform/WorkingInstallation.h>

#include <filesystem>

namespace backup {

namespace {

namespace fs = std::filesystem;

std::string realPath(const std::string& path)
{
    std::error_code ec;
    const fs::path real = fs::canonical(path, ec);
    return ec ? path : real.string();
}

bool isSystemInstallation(const std::string& dir, const std::string& shipped, const std::string& programDir)
{
    const std::string real = realPath(dir);
    for (const char* system : {"/usr/", "/opt/"})
        if (real.rfind(system, 0) == 0) return true;
    // An installed program's data lies apart from the program (share/aviary).
    return realPath(shipped) != realPath(programDir) && real == realPath(shipped);
}

}  // namespace

InstallationChoice chooseInstallation(const std::string& given, const std::string& family,
                                      const std::string& programDir, const std::string& userDir)
{
    const std::string shipped = platform::programInstallation(programDir);
    const std::string dir = given.empty() ? shipped : given;
    const char* data = family == "kestrel" ? "tvk" : "DeviceData";
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) return {{}, "no installation at " + dir};
    // A folder named by hand must be one; the program's own may still lack
    // the catalogues a first run uploads.
    if (!given.empty() && !fs::is_directory(fs::path(dir) / data, ec))
        return {{}, dir + " is no installation of the suite: it has no " + data + " folder"};
    if (!isSystemInstallation(dir, shipped, programDir)) return {platform::workingInstallation(dir, userDir), {}};
    if (!platform::mirrorInstallation(dir, userDir))
        return {{}, "cannot make the working copy " + userDir + " of the installation " + dir};
    return {fs::absolute(userDir, ec).lexically_normal().string(), {}};
}

}  // namespace backup
