#pragma once
// Whole-file and in-place byte access with every failure reported, for the
// list files (which are small: a few thousand 10-byte records at most).
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

std::optional<std::string> readFileBytes(const std::string& path);
// Creates or truncates the file and writes the bytes; false on any failure.
bool writeFileBytes(const std::string& path, std::string_view bytes);
// Replaces the file as a whole (temp file, flush, rename): a failure or a
// crash leaves the old file intact. Every save of a user's file uses it.
bool replaceFileBytes(const std::string& path, std::string_view bytes);
// Writes the bytes at an offset of an existing file without truncating it.
bool overwriteBytes(const std::string& path, std::size_t offset, std::string_view bytes);
bool fileExists(const std::string& path);

}  // namespace kestrel
