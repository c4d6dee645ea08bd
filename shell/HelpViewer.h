#pragma once
// Parameter help: finding a PDF reader, asking the user for one, opening the
// help files with it, and the list dialog that offers help files or the
// installed software versions. The windows are reached through HelpUi so the
// rules can be tested without them.
#include <optional>
#include <string>
#include <vector>

namespace shell {

enum ListMode { VersionList = 0, HelpFileList = 1 };

// Process-wide strings of the list dialog (the list conversion reads them too).
struct HelpState {
    std::string selectionResult;
    std::string selectionPrompt;
    int listMode = HelpFileList;
};

// Where FindReader looks for a reader when none is set: the first program
// of the list found in the first directory that has one.
struct ReaderSearch {
    std::vector<std::string> directories;
    std::vector<std::string> programs;
    static ReaderSearch system();
};

// A reader path that is taken as it is: it names "AcroRd32.exe" (a setting
// carried over from older installations), or an executable file that exists.
bool readerPathUsable(const std::string& path);
bool findReader(std::string& readerPath, const ReaderSearch& search = ReaderSearch::system());

enum class ReaderPathCheck { Empty, Invalid, Ok };
ReaderPathCheck checkReaderPath(const std::string& path);

std::string helpDirectory(const std::string& installDir);      // <install>/Help/RHX,RQ 9000
std::string databaseDirectory(const std::string& installDir);  // <install>/tvk

// What the list dialog shows in one mode.
struct SelectList {
    std::string prompt;
    std::vector<std::string> entries;
    std::string emptyMessage;   // shown instead of the dialog when entries is empty
};
SelectList buildSelectList(int mode, const std::string& installDir);
// The selection result of a chosen entry: "01.23" -> "RQ-0123" in version mode.
std::string selectionFromEntry(int mode, const std::string& entry);

class HelpUi {
public:
    virtual ~HelpUi() = default;
    // The "Parameter Help" dialog; true for OK (readerPath then set).
    virtual bool askReaderPath(std::string& readerPath) = 0;
    // The "Software Versions" dialog; the chosen entry, or nullopt for Cancel.
    virtual std::optional<std::string> chooseFromList(const SelectList& list, const std::string& hint) = 0;
};

class HelpViewer {
public:
    HelpViewer(HelpUi& ui, HelpState& state, std::string installDir, std::string& readerPath);

    // 1 started, 0 nothing started, -1 the reader did not start.
    int viewHelp(const std::string& fileName);
    // SelectFromList: fills and returns the selection result.
    std::string selectFromList(int mode);
    // The "&Parameter" command: a reader first (asking for one when none is
    // found), then the given help file or, without one, the list of them.
    void parameterHelp(const std::string& fileName = {});
    bool askReaderPath();

    void setSearch(ReaderSearch search) { search_ = std::move(search); }

private:
    HelpUi& ui_;
    HelpState& state_;
    std::string installDir_;
    std::string& readerPath_;
    ReaderSearch search_ = ReaderSearch::system();
};

}  // namespace shell
