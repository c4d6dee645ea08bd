#include <kestrel/core/CWorkFile.h>

#include <kestrel/core/FileBytes.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace kestrel {

std::string CWorkFile::onlinePath(std::string_view installDir, std::string_view address)
{
    return std::string(installDir) + "/parameter/List-" + std::string(address) + ".~pa";
}

std::string CWorkFile::pathFor(std::string_view filePath, ListKind kind)
{
    const std::string_view ending = kind == ListKind::CustomList ? "~ct" : "~pa";
    if (filePath.size() < 3) return std::string(filePath) + std::string(ending);
    return std::string(filePath.substr(0, filePath.size() - 3)) + std::string(ending);
}

bool CWorkFile::looksLikeWorkPath(std::string_view path)
{
    return path.size() > 1 && path.find('~', 1) != std::string_view::npos;
}

bool CWorkFile::exists() const
{
    std::ifstream in(path_, std::ios::binary);
    return static_cast<bool>(in);
}

std::size_t CWorkFile::recordCount() const
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(path_, ec);
    return ec ? 0 : static_cast<std::size_t>(size / WorkRecord::kSize);
}

std::optional<std::uint16_t> CWorkFile::findValue(std::uint16_t number) const
{
    for (WorkFileReader r(path_); r.atRecord(); r.advance())
        if (r.record().number() == number) return r.record().value();
    return std::nullopt;
}

bool CWorkFile::writeValue(std::uint16_t number, std::uint16_t value) const
{
    std::optional<std::size_t> index;
    for (WorkFileReader r(path_); r.atRecord() && !index; r.advance())
        if (r.record().number() == number) index = r.index();
    if (!index) return false;
    const std::string digits = WorkRecord(number, value).valueText();
    return overwriteBytes(path_, *index * WorkRecord::kSize + WorkRecord::kValueOffset, digits);
}

bool CWorkFile::create(std::string_view bytes) const { return writeFileBytes(path_, bytes); }

bool CWorkFile::create(const std::vector<WorkRecord>& records) const
{
    std::string bytes;
    bytes.reserve(records.size() * WorkRecord::kSize);
    for (const auto& r : records) bytes += r.serialise();
    return create(bytes);
}

std::optional<std::string> CWorkFile::readBytes() const { return readFileBytes(path_); }

bool CWorkFile::remove() const { return std::remove(path_.c_str()) == 0; }

}  // namespace kestrel
