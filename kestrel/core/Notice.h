#pragma once
// A message a core decision hands to its window: the exact text and icon.
#include <platform/MessageBox.h>

#include <string>

namespace kestrel {

struct Notice {
    std::string text;
    platform::MsgIcon icon = platform::MsgIcon::None;
    bool operator==(const Notice&) const = default;
};

// Shows a notice through the message seam (OK button).
inline void show(const Notice& notice) { platform::showMessage(notice.text, notice.icon); }

}  // namespace kestrel
