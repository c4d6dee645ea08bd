#include <kestrel/core/FileBytes.h>

#include <platform/AtomicFile.h>

#include <cstdio>
#include <fstream>
#include <iterator>

namespace kestrel {

std::optional<std::string> readFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

bool writeFileBytes(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

bool replaceFileBytes(const std::string& path, std::string_view bytes)
{
    return !platform::AtomicFile::replace(path, bytes);
}

bool overwriteBytes(const std::string& path, std::size_t offset, std::string_view bytes)
{
    std::fstream f(path, std::ios::binary | std::ios::in | std::ios::out);
    if (!f) return false;
    if (!f.seekp(static_cast<std::streamoff>(offset))) return false;
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    f.close();
    return static_cast<bool>(f);
}

bool fileExists(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return static_cast<bool>(in);
}

}  // namespace kestrel
