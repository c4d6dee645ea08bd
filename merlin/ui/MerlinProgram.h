#pragma once
// Merlin as a program of the shell: its two menus with their prompts, the
// toolbar, the start-up check of the session bus the link server is reached
// through ("Ole Init failed !"), no clean-up of working files at start, and
// the commands of its documents, network and tools.
#include <merlin/ui/MerlinShell.h>
#include <shell/ProgramDescription.h>

namespace merlin {

struct MerlinOptions {
    // Makes the link object of each window; empty: Tern's link.
    LinkFactory linkFactory;
    // Answers whether the link server can be reached at all; empty: the
    // session bus is asked.
    std::function<bool()> busReachable;
};

shell::MenuLayout merlinMainMenu();
shell::MenuLayout merlinChildMenu();
shell::ProgramDescription merlinProgram(MerlinOptions options = {});
void installMerlinCommands(shell::CMainFrame& frame);

// "&Check Network...": the examination with its progress dialog, then the
// network dialog; "&Open Parameter List..." of the main menu: the dialog
// alone. Both lead to a new document for the chosen drive.
void checkNetwork(shell::CMainFrame& frame);
void openDeviceList(shell::CMainFrame& frame);

}  // namespace merlin
