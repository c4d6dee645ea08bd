#pragma once
// A window inside the main frame that handles menu commands itself (a list
// window). The frame asks the active one first, then its own handlers, the
// way command routing goes from the active view to the frame.
#include <optional>
#include <string>

namespace shell {

class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    // True when the command was this window's and has been carried out.
    virtual bool onCommand(int id) = 0;
    // Enabled state of a command this window handles; nullopt: not its own.
    virtual std::optional<bool> commandEnabled(int id) const = 0;
    // A menu text of its own for a command (e.g. "Close" for a file list).
    virtual std::optional<std::string> commandText(int /*id*/) const { return std::nullopt; }
    // What the main window's title shows after the company name while this
    // window is the active one (a list window's own title); nullopt: nothing.
    virtual std::optional<std::string> frameTitle() const { return std::nullopt; }
    // A check mark of its own for a command; nullopt: the frame's.
    virtual std::optional<bool> commandChecked(int /*id*/) const { return std::nullopt; }
};

}  // namespace shell
