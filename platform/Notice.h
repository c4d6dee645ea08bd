#pragma once
// A message a core decision hands to its window: the exact text and its icon.
// Core logic returns these instead of showing them, so the window decides when
// to show them (never from inside a timer-driven step) and tests compare them
// as values.
#include <platform/MessageBox.h>

#include <string>

namespace platform {

struct Notice {
    std::string text;
    MsgIcon icon = MsgIcon::None;
    bool operator==(const Notice&) const = default;
};

// Shows a notice through the message seam.
inline MsgAnswer show(const Notice& notice, MsgButtons buttons = MsgButtons::Ok)
{
    return showMessage(notice.text, notice.icon, buttons);
}

// printf into a string; the message and file formats are printf formats.
std::string strFormat(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace platform
