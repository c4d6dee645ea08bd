#pragma once
// The large list of the Kestrel benchmarks: a database of 2000 records (125
// groups of 16, every unit, scale and decimals) and the working-file body of
// a parameter file over it.
#include <kestrel/core/TvkRecord.h>
#include <kestrel/core/WorkRecord.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace kestrel::bench {

constexpr int kRecords = 2000;

inline std::string databaseBytes()
{
    std::string bytes;
    for (int n = 0; n < kRecords; ++n) {
        TvkFields f;
        f.number = static_cast<std::uint16_t>(n);
        f.value = static_cast<std::uint16_t>(n * 7);
        f.name = (n % 16 == 0 ? "Group " : "Param ") + std::to_string(n);
        f.minimum = -1000;
        f.maximum = 30000;
        f.decimals = n % 4;
        f.attribute = static_cast<std::uint16_t>(((n % 16) << 12) | (n % 3));
        bytes += TvkRecord::fromFields(f).bytes();
    }
    return bytes + std::string(TvkRecord::kEndMark);
}

inline std::string bodyBytes()
{
    std::string body;
    for (int n = 0; n < kRecords; ++n) body += WorkRecord(static_cast<std::uint16_t>(n), 1).serialise();
    return body;
}

inline void write(const std::string& path, const std::string& bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace kestrel::bench
