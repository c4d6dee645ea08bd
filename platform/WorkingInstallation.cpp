#include <platform/WorkingInstallation.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace platform {

namespace fs = std::filesystem;

namespace {

std::string environment(const char* name)
{
    const char* v = std::getenv(name);
    return v && *v ? v : "";
}

fs::path withoutSlash(fs::path p)
{
    return p.has_filename() || p == p.root_path() ? p : p.parent_path();
}

bool isInside(const fs::path& path, const fs::path& dir)
{
    const auto [d, p] = std::mismatch(dir.begin(), dir.end(), path.begin(), path.end());
    return d == dir.end() && p != path.end();
}

// Links every shipped file the user does not have yet, folder by folder.
void mirror(const fs::path& shared, const fs::path& user)
{
    std::error_code ec;
    for (fs::recursive_directory_iterator it(shared, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        const fs::path target = user / it->path().lexically_relative(shared);
        std::error_code ignored;  // one file that cannot be linked does not stop the others
        if (it->is_directory(ignored)) {
            fs::create_directory(target, ignored);
        } else if (it.depth() == 0) {
            // Files beside the data folders are a program's own state (the
            // log, device tables), left there by someone who could write
            // there: never the user's.
        } else if (!fs::exists(fs::symlink_status(target, ignored))) {
            fs::create_symlink(it->path(), target, ignored);
        }
    }
}

// Links to files the installation no longer ships would only fail to open.
void removeStaleLinks(const fs::path& shared, const fs::path& user)
{
    std::error_code ec;
    std::vector<fs::path> stale;
    for (fs::recursive_directory_iterator it(user, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        std::error_code e;
        if (!it->is_symlink(e)) continue;
        const fs::path to = fs::read_symlink(it->path(), e);
        if (!e && isInside(to, shared) && !fs::exists(to, e)) stale.push_back(it->path());
    }
    for (const auto& p : stale) fs::remove(p, ec);
}

}  // namespace

std::string userInstallationDirectory()
{
    if (auto d = environment("XDG_DATA_HOME"); !d.empty()) return d + "/aviary";
    const std::string home = environment("HOME");
    return (home.empty() ? std::string("/tmp") : home) + "/.local/share/aviary";
}

std::string programInstallation(const std::string& programDir)
{
    std::error_code ec;
    const fs::path dir(programDir);
    for (const char* data : {"DeviceData", "tvk"})
        if (fs::is_directory(dir / data, ec)) return programDir;
    const fs::path installed = withoutSlash(dir.lexically_normal()).parent_path() / "share" / "aviary";
    return fs::is_directory(installed, ec) ? installed.string() : programDir;
}

std::string programInstallation()
{
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return programInstallation(ec ? std::string(".") : exe.parent_path().string());
}

bool mirrorInstallation(const std::string& installDir, const std::string& userDir)
{
    std::error_code ec;
    const fs::path shared = withoutSlash(fs::absolute(installDir, ec).lexically_normal());
    if (ec || installDir.empty() || !fs::is_directory(shared, ec)) return false;
    const fs::path user = withoutSlash(fs::absolute(userDir, ec).lexically_normal());
    if (ec || userDir.empty() || user == shared || isInside(user, shared) || isInside(shared, user)) return false;
    fs::create_directories(user, ec);
    if (ec || access(user.c_str(), W_OK) != 0) return false;
    removeStaleLinks(shared, user);
    mirror(shared, user);
    return true;
}

std::string workingInstallation(const std::string& installDir, const std::string& userDir)
{
    return workingInstallation(installDir, userDir,
                               [](const std::string& dir) { return access(dir.c_str(), W_OK) == 0; });
}

std::string workingInstallation(const std::string& installDir, const std::string& userDir, const MayWrite& mayWrite)
{
    if (installDir.empty() || mayWrite(installDir)) return installDir;
    if (!mirrorInstallation(installDir, userDir)) return installDir;
    std::error_code ec;
    return withoutSlash(fs::absolute(userDir, ec).lexically_normal()).string();
}

}  // namespace platform
