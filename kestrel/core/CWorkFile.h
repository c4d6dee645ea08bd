#pragma once
// The working file of a list window: the list's only copy of its values
// while the window is open, 10-byte records read and rewritten in place by
// seeking. Its existence next to a parameter file or custom list is how the
// other operations tell that the file is open in a window.
#include <kestrel/core/WorkFileReader.h>
#include <kestrel/core/WorkRecord.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrel {

enum class ListKind { Online, ParameterFile, CustomList };

class CWorkFile {
public:
    explicit CWorkFile(std::string path) : path_(std::move(path)) {}

    // "<install>/parameter/List-<address>.~pa".
    static std::string onlinePath(std::string_view installDir, std::string_view address);
    // The file path with its last three characters replaced by "~pa"
    // (parameter file) or "~ct" (custom list): motor.par works on motor.~pa.
    static std::string pathFor(std::string_view filePath, ListKind kind);
    // Working files of list files carry "~" after the first character.
    static bool looksLikeWorkPath(std::string_view path);

    const std::string& path() const { return path_; }
    // The file can be opened (another window works on it).
    bool exists() const;
    std::size_t recordCount() const;

    // Value of the record numbered `number`, searched from the start.
    std::optional<std::uint16_t> findValue(std::uint16_t number) const;
    // Overwrites the value digits of the record numbered `number`; false
    // when there is no such record or the write failed.
    bool writeValue(std::uint16_t number, std::uint16_t value) const;

    // Creates the file (truncating) with exactly these bytes.
    bool create(std::string_view bytes) const;
    bool create(const std::vector<WorkRecord>& records) const;
    // The whole file; nullopt when unreadable.
    std::optional<std::string> readBytes() const;
    bool remove() const;

    WorkFileReader reader() const { return WorkFileReader(path_); }

private:
    std::string path_;
};

}  // namespace kestrel
