#include <backup/lib/RunFolder.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace backup {

namespace fs = std::filesystem;

RunFolder::RunFolder()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/aviary-backup-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data())) path_ = name.data();
}

RunFolder::~RunFolder()
{
    if (path_.empty()) return;
    std::error_code ec;
    fs::remove_all(path_, ec);
}

bool RunFolder::copyIn(const std::string& from, const std::string& name) const
{
    std::error_code ec;
    const fs::path source = fs::path(from) / name;
    if (!fs::is_regular_file(source, ec)) return true;
    return fs::copy_file(source, fs::path(path_) / name, fs::copy_options::overwrite_existing, ec);
}

bool publishFile(const std::string& file, const std::string& target)
{
    std::error_code ec;
    const std::string part = target + ".part" + std::to_string(::getpid());
    fs::create_directories(fs::path(target).parent_path(), ec);
    if (!fs::copy_file(file, part, fs::copy_options::overwrite_existing, ec)) return false;
    fs::rename(part, target, ec);
    if (!ec) return true;
    fs::remove(part, ec);
    return false;
}

}  // namespace backup
