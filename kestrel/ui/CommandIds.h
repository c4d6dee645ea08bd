#pragma once
// Kestrel's own command identifiers beside the shared ones, so every window
// names a command as kestrel::cmd::X whichever list it comes from.
#include <shell/CommandIds.h>

namespace kestrel::cmd {

using namespace shell::cmd;

constexpr int FileConvertTo = 32810;    // list window: parameter file conversion
constexpr int FileCompareWith = 32811;  // list window: parameter file compare
constexpr int CustomConvertTo = 32812;  // list window: custom list conversion
constexpr int CustomCompareWith = 32813;// list window: custom list compare
constexpr int ToggleCTim = 32835;       // no menu entry
constexpr int ConverterTest = 32837;    // "Con&verter Test"

// The telegram object's child-window identifier in the frame.
constexpr int TelegramWindowId = 2001;

}  // namespace kestrel::cmd
