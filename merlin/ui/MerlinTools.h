#pragma once
// The tool commands of an open document: bulk transfers, compare, print
// and the keypad window. Each is registered with one line in Merlin's
// command installer and works on the active parameter window.
#include <merlin/core/CBulkTransfer.h>

namespace shell {
class CMainFrame;
}

namespace merlin::ui {

class CParameterFrame;

// The parameter window the user works in; nullptr when none.
CParameterFrame* activeParameterFrame(shell::CMainFrame& frame);

// "&Upload All" / "&Download All": offers going online when the view is
// offline, runs the transfer dialog, shows its end and the failures.
void transferAll(shell::CMainFrame& frame, CParameterFrame& child, TransferDirection direction);
// "Compare with &File..." / "Compare with Factory &defaults".
void compareWithFile(shell::CMainFrame& frame);
void compareWithDefaults(shell::CMainFrame& frame);
// "&Print...", "Print Pre&view", "Print Setup...".
void printList(shell::CMainFrame& frame);
void printPreview(shell::CMainFrame& frame);
void printSetup(shell::CMainFrame& frame);
// "&Keypad controls": one window, for the active view's drive.
void openKeypad(shell::CMainFrame& frame);

}  // namespace merlin::ui
