#pragma once
// A parameter database file ("tvk/RQ-<4 digits>.tvk" below the install
// directory), read by seeking over its fixed 48-byte records each time a
// question is asked; nothing of it is cached.
#include <kestrel/core/DatabaseReader.h>
#include <kestrel/core/TvkRecord.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

class CDatabase {
public:
    explicit CDatabase(std::string path) : path_(std::move(path)) {}

    // "/tvk/RQ-1234.tvk" (relative to the install directory) for the version
    // digits "1234"; empty unless exactly four decimal digits are given, so
    // text read from a damaged file can never name another path.
    static std::string fileNameForDigits(std::string_view digits);
    // The same from a version with its point ("12.34").
    static std::string fileNameForVersion(std::string_view version);
    // The four digits of a database file name ("/tvk/RQ-1234.tvk" -> "1234"),
    // empty when the name has no "RQ-" followed by four digits.
    static std::string versionDigits(std::string_view fileName);
    // "A12.34" for "/tvk/RQ-1234.tvk".
    static std::string versionText(std::string_view fileName);

    const std::string& path() const { return path_; }
    bool exists() const;
    // Last 4 bytes are "END\0".
    bool isComplete() const;
    // File length / 48 (the record count the custom list editor fills).
    std::size_t recordCount() const;
    // Records whose number is a multiple of 16; nullopt when unreadable.
    std::optional<int> groupCount() const;
    // The record at a position, by seeking.
    std::optional<TvkRecord> recordAt(std::size_t index) const;
    // The record with a number, read forward from the start.
    std::optional<TvkRecord> find(std::uint16_t number) const;
    DatabaseReader reader() const { return DatabaseReader(path_); }

private:
    std::string path_;
};

}  // namespace kestrel
