#pragma once
// The file commands around a list: Customer List, Create List and Modify
// List (the custom list editor), File, Print of a list window, Compare with
// and Convert to. Each runs modally from its menu command; messages go
// through the message seam, file choices through the file-dialog seam and
// the text viewer through the program-start seam.
#include <kestrel/core/CWorkFile.h>
#include <kestrel/core/ListOpener.h>

#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace shell {
class CMainFrame;
}

namespace kestrel {

// What the commands read of the list window they act on.
struct ListWindowFacts {
    ListKind kind = ListKind::ParameterFile;
    std::string filePath;          // empty: an online list never saved
    std::string workPath;
    std::string databaseFileName;  // "/tvk/RQ-1234.tvk", relative to the install directory
    std::string address;           // online lists
    std::string deviceName;        // online lists
};

// Shows a list file that an operation has opened (its working file exists)
// in a new list window.
using ShowOpenedList = std::function<void(const OpenedList&)>;

// The "Software Versions" selection with the caller's prompt: "12.40", or
// nullopt when there is no database or the user cancelled.
std::optional<std::string> chooseVersion(shell::CMainFrame& frame, const std::string& prompt);

void createCustomList(shell::CMainFrame& frame);
void modifyCustomList(shell::CMainFrame& frame);

// The same commands for the active list window; nothing when the active
// window is no list. A converted list opens in a new list window.
void printActiveList(shell::CMainFrame& frame);
void compareActiveList(shell::CMainFrame& frame);
void convertActiveList(shell::CMainFrame& frame);

// File, Print: the list's print file, opened in the text viewer.
void printListWindow(shell::CMainFrame& frame, const ListWindowFacts& list);
// File / Customer List, Compare with: the differences in their window.
void compareListWindow(shell::CMainFrame& frame, const ListWindowFacts& list);
// File / Customer List, Convert to: the new file, its report in the text
// viewer and the new file in a list window.
void convertListWindow(shell::CMainFrame& frame, const ListWindowFacts& list, const ShowOpenedList& show);

}  // namespace kestrel
