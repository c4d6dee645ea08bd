#include <platform/testing/TempDir.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace platform::testing {

TempDir::TempDir()
{
    const char* t = std::getenv("TMPDIR");
    std::string templ = std::string(t && *t ? t : "/tmp") + "/aviary-test-XXXXXX";
    if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
    path_ = templ;
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::write(const std::string& name, const std::string& content) const
{
    const std::filesystem::path p = std::filesystem::path(path_) / name;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << content;
    return p.string();
}

std::string TempDir::read(const std::string& name) const
{
    std::ifstream in(std::filesystem::path(path_) / name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

RegistryRedirect::RegistryRedirect(const std::string& directory)
{
    if (const char* p = std::getenv("AVIARY_REGISTRY")) {
        previous_ = p;
        hadPrevious_ = true;
    }
    setenv("AVIARY_REGISTRY", directory.c_str(), 1);
}

RegistryRedirect::~RegistryRedirect()
{
    if (hadPrevious_) setenv("AVIARY_REGISTRY", previous_.c_str(), 1);
    else unsetenv("AVIARY_REGISTRY");
}

}  // namespace platform::testing
