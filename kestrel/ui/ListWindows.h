#pragma once
// Opening parameter lists into windows: File, Open Parameter List and
// Customer List, Program List with every check of the file, the recent-file
// entries, a list file given on the command line or dropped on the frame,
// and the window of a list whose working file another operation prepared
// (an online list, a converted file).
#include <kestrel/core/CTervikDoc.h>

#include <QStringList>

#include <optional>
#include <string>

namespace shell {
class CMainFrame;
}

namespace kestrel {

class CTervikView;

// The active list window (the one the list commands act on); nullptr when
// the active child is no list.
CTervikView* activeListView(shell::CMainFrame& frame);
// Shows a list whose working file exists in a new child window. An online
// list gets its drive afterwards: view->document().setOnlineSide(...).
CTervikView* showListWindow(shell::CMainFrame& frame, ListOpening opening);
// Opens a parameter file or custom list; without a path the open dialog
// asks. nullptr when the user cancelled or a check refused the file (its
// message has been shown; nothing was created).
CTervikView* openListWindow(shell::CMainFrame& frame, ListKind kind,
                            const std::optional<std::string>& path = std::nullopt);
// The kind a path names by its extension: ".par" or ".ctm"; nullopt otherwise.
std::optional<ListKind> listKindOf(const std::string& path);
// Opens every ".par" and ".ctm" among the arguments.
void openListArguments(shell::CMainFrame& frame, const QStringList& arguments);

// The handlers of the open commands, recent files and dropped files.
void installListCommands(shell::CMainFrame& frame);

}  // namespace kestrel
