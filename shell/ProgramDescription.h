#pragma once
// What makes a program out of the shell: its menus (with their prompts), its
// toolbar, its start-up check, its line object, whether it cleans leftovers
// at start, and the one function that installs its commands. The program's
// own profile keys and process state come with its ShellContext (see there).
//
// Registering a window: one line per command in the installer, and a child
// window that implements CommandTarget (CMdiChild does) gets commands first
// while it is active, and decides their enabling, check marks and texts:
//
//     void installCommands(shell::CMainFrame& frame)
//     {
//         frame.setCommandHandler(cmd::FileOpen, [&frame] {
//             if (auto path = pickParameterFile(frame)) frame.addChildWindow(new CParameterView(*path));
//         });
//         frame.setCommandHandler(cmd::Debug, [] { flip(debugFlag()); });
//         frame.setCommandCheck(cmd::Debug, [] { return debugFlag(); });
//     }
//
//     class CParameterView : public shell::CMdiChild {
//         bool onCommand(int id) override;                          // FileSave, FileClose, ...
//         std::optional<bool> commandEnabled(int id) const override; // nullopt: not its own
//     };
//
// A command without a handler anywhere stays disabled.
#include <shell/CommPortTest.h>
#include <shell/MenuLayout.h>

#include <QStyle>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace shell {

class CMainFrame;

// The program's line object, made with the main frame and living as long as
// it (Kestrel's telegram object). The shell only holds it.
class LineObject {
public:
    virtual ~LineObject() = default;
};

struct LineResult {
    std::unique_ptr<LineObject> line;
    std::string failure;    // not empty: shown, and the frame is not created
};

struct ToolButton {
    int id = 0;             // 0: separator
    QStyle::StandardPixmap icon = QStyle::SP_CustomBase;
};

struct ProgramDescription {
    // "Kestrel" or "Merlin": shown beside the company name in the main
    // window's title, and choosing the program's icon. Empty: the company
    // name alone and the plain icon.
    std::string programName;
    MenuLayout mainMenu;    // no document open
    MenuLayout childMenu;   // a child window open
    // Buttons whose command no layout has are left out.
    std::vector<ToolButton> toolbar;
    // Before the settings are read: an empty answer lets start-up go on,
    // any other text is shown with an error icon and the program ends.
    std::function<std::string()> startupCheck;
    // Called while the frame is created; empty: the program has none.
    std::function<LineResult()> createLine;
    // Working files an earlier run left (*.~pa, *.~ct) are deleted at start.
    bool cleanLeftovers = false;
    // Handlers and window factories of the program's commands.
    std::function<void(CMainFrame&)> installCommands;
    // The communication dialog's serial lines; empty: the port map's devices.
    PortSource portSource;
    PortTestTiming portTestTiming;
};

}  // namespace shell
