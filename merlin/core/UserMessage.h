#pragma once
// A message the core hands to a window to show: the exact text and its icon.
// Core logic returns these instead of showing them, so the windows decide
// when to show them and tests can check them as values.
#include <platform/MessageBox.h>

#include <string>

namespace merlin {

struct UserMessage {
    std::string text;
    platform::MsgIcon icon = platform::MsgIcon::None;
    bool operator==(const UserMessage&) const = default;
};

// "'<file>'\ncouldn't accessed !": a file Merlin must write cannot be.
UserMessage fileAccessMessage(const std::string& file);

// printf into a string; the message and file formats are printf formats.
std::string strFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace merlin
