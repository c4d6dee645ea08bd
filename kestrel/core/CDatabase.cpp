#include <kestrel/core/CDatabase.h>

#include <cctype>
#include <filesystem>
#include <fstream>

namespace kestrel {

namespace {

bool allDigits(std::string_view text)
{
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

}  // namespace

std::string CDatabase::fileNameForDigits(std::string_view digits)
{
    if (digits.size() != 4 || !allDigits(digits)) return {};
    return "/tvk/RQ-" + std::string(digits) + ".tvk";
}

std::string CDatabase::fileNameForVersion(std::string_view version)
{
    if (version.size() != 5 || version[2] != '.') return {};
    return fileNameForDigits(std::string(version.substr(0, 2)) + std::string(version.substr(3, 2)));
}

std::string CDatabase::versionDigits(std::string_view fileName)
{
    const auto at = fileName.rfind("RQ-");
    if (at == std::string_view::npos) return {};
    const auto digits = fileName.substr(at + 3, 4);
    return digits.size() == 4 && allDigits(digits) ? std::string(digits) : std::string();
}

std::string CDatabase::versionText(std::string_view fileName)
{
    const std::string d = versionDigits(fileName);
    if (d.empty()) return {};
    return "A" + d.substr(0, 2) + "." + d.substr(2, 2);
}

bool CDatabase::exists() const
{
    std::ifstream in(path_, std::ios::binary);
    return static_cast<bool>(in);
}

bool CDatabase::isComplete() const
{
    std::ifstream in(path_, std::ios::binary | std::ios::ate);
    if (!in) return false;
    const auto size = static_cast<std::streamoff>(in.tellg());
    if (size < 4) return false;
    std::string tail(4, '\0');
    in.seekg(size - 4);
    in.read(tail.data(), 4);
    return in.gcount() == 4 && tail == TvkRecord::kEndNumber;
}

std::size_t CDatabase::recordCount() const
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(path_, ec);
    return ec ? 0 : static_cast<std::size_t>(size / TvkRecord::kSize);
}

std::optional<int> CDatabase::groupCount() const
{
    DatabaseReader r(path_);
    if (r.state() == DatabaseReader::State::Unreadable) return std::nullopt;
    int groups = 0;
    for (; r.atRecord(); r.advance())
        if (r.record().isGroupHeader()) ++groups;
    return groups;
}

std::optional<TvkRecord> CDatabase::recordAt(std::size_t index) const
{
    std::ifstream in(path_, std::ios::binary);
    if (!in) return std::nullopt;
    in.seekg(static_cast<std::streamoff>(index * TvkRecord::kSize));
    std::string bytes(TvkRecord::kSize, '\0');
    if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) return std::nullopt;
    return TvkRecord::parse(bytes);
}

std::optional<TvkRecord> CDatabase::find(std::uint16_t number) const
{
    DatabaseReader r(path_);
    if (r.seekForward(number)) return r.record();
    return std::nullopt;
}

}  // namespace kestrel
