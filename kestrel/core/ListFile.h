#pragma once
// Parameter files (".par") and custom lists (".ctm") share one layout:
//
//   off      size  content
//    0        29   "PC : " + program version, zero-padded
//   29         2   CR LF
//   31         6   "INV: A"
//   37         5   inverter software version "12.34"
//   42         2   CR LF
//   44      10·n   n working-file records
//   44+10·n    4   "END\0"
//   48+10·n    2   CR LF
//
// The body (offset 44, n records) is exactly the working file of a list
// window. A parameter file holds one record per database record in database
// order; a custom list a subset in ascending order that always includes
// 00E4 and 00E9.
#include <kestrel/core/CWorkFile.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

// The version of this program written into every file header.
inline constexpr std::string_view kPcVersion = "1.4.1";

class ListFile {
public:
    static constexpr std::size_t kHeaderSize = 44;
    static constexpr std::size_t kVersionOffset = 37;  // "12.34"
    static constexpr std::size_t kVersionTextOffset = 36;  // "A12.34"
    static constexpr std::string_view kTrailer{"END\0\r\n", 6};

    // The 44-byte header for a version text "A12.34".
    static std::string header(std::string_view versionText);
    // The complete file for a body of working-file records.
    static std::string bytes(std::string_view versionText, std::string_view body);

    // The 5 version characters at offset 37 ("12.34"); nullopt when the file
    // cannot be read or is shorter than its header.
    static std::optional<std::string> readVersion(const std::string& path);
    // The 6 characters at offset 36 ("A12.34").
    static std::optional<std::string> readVersionText(const std::string& path);

    enum class Check {
        Ok,
        FileCorrupt,      // a number out of place, a record cut short or not CR LF-terminated
        DatabaseCorrupt,  // a database record cut short or not CR LF-terminated
        MissingDefaults,  // a custom list without 00E4 or 00E9
        Unreadable,
    };
    struct CheckResult {
        Check result = Check::Unreadable;
        std::size_t records = 0;  // records of the body that passed
    };
    // Checks the body against the database: a parameter file record by
    // record in lockstep, a custom list each number found going forward.
    static CheckResult check(const std::string& path, const std::string& databasePath, ListKind kind);

    // The body: the first `records` records from offset 44.
    static std::optional<std::string> readBody(const std::string& path, std::size_t records);

    // "par" or "ctm" (case-insensitive) at the end of the path.
    static bool hasExtension(std::string_view path, ListKind kind);
};

}  // namespace kestrel
