#pragma once
// The readers under fuzz; one executable runs the one AVIARY_FUZZ_READER names.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrel::fuzz {

// A .par or .ctm file (first byte: which), checked against a fixed database
// and, when it passes, opened into a list document and shown page by page.
void listFile(std::string_view bytes);
// A database file walked as the list operations walk it, with a list over it.
void tvkDatabase(std::string_view bytes);
// "netlist.cfg" loaded and read field by field.
void netlist(std::string_view bytes);

// A directory with tvk/, parameter/ and custom/, removed at exit.
const std::string& scratchDir();
void writeFile(const std::string& path, std::string_view bytes);

}  // namespace kestrel::fuzz
