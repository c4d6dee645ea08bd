#pragma once
// A fresh directory under $TMPDIR (or /tmp), removed with its contents on
// destruction. Tests use it for install directories and registry redirection.
#include <string>

namespace platform::testing {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    // Writes a file (creating parent directories) and returns its path.
    std::string write(const std::string& name, const std::string& content) const;
    std::string read(const std::string& name) const;
private:
    std::string path_;
};

// Points the process-wide registry store at a directory for its lifetime.
class RegistryRedirect {
public:
    explicit RegistryRedirect(const std::string& directory);
    ~RegistryRedirect();
private:
    std::string previous_;
    bool hadPrevious_ = false;
};

}  // namespace platform::testing
