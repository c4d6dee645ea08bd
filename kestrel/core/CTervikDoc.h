#pragma once
// The list document: one open parameter list (online list, parameter file
// or custom list) with its working file, database, version, online address
// and modified flag, and the view model of its window. The window shows
// view() and forwards the user's actions to the commands below; messages
// come back as notices for the window to show (questions about saving and
// closing go through the message seam while the command runs, as the save
// and close steps ask them).
//
// The online side (reading and writing single values, the keypad-change
// query, Upload All and Download All) reaches the drive only through the
// hooks of OnlineSide; a file list needs none of them.
#include <kestrel/core/CWorkFile.h>
#include <kestrel/core/CloseList.h>
#include <kestrel/core/KestrelState.h>
#include <kestrel/core/ListSaver.h>
#include <kestrel/core/ParameterLink.h>
#include <kestrel/core/ParameterList.h>
#include <kestrel/core/ParameterSelection.h>
#include <platform/Notice.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kestrel {

class CTelegram;

// What the opening operation hands to a new list window: the working file
// exists already.
struct ListOpening {
    ListKind kind = ListKind::ParameterFile;
    std::string filePath;          // empty for an online list never saved
    std::string workPath;
    std::string databaseFileName;  // "/tvk/RQ-1234.tvk", relative to the install directory
    std::string address;           // online lists: decimal text
    std::string deviceName;        // online lists
};

// The drive behind an online list. Each hook may be empty; without a link
// an online list shows its stored values and cannot download.
struct OnlineSide {
    ParameterLink* link = nullptr;       // single reads and writes, "FFFC"
    CTelegram* telegram = nullptr;       // the keypad-change query at closing
    std::function<bool()> uploadAll;     // Upload All into this list's working file
    std::function<bool()> downloadAll;   // Download All from this list's working file
    // The upload the keypad-change check leads to: the user has agreed
    // twice already, so it runs without Upload All's own question.
    std::function<bool()> uploadChanges;
};

class CTervikDoc {
public:
    // Rows of the grid below its header row; "EMPTY" "LIST" stands in
    // row kEmptyRow of an empty page.
    static constexpr int kGridRows = 16;
    static constexpr int kEmptyRow = 8;

    struct View {
        std::string versionText;     // "A12.34"
        std::string parameterSet;    // "Parameter Set " field, "" when the list has no 00E9
        std::string status;          // "DEVICE STATUS" field
        std::vector<std::string> tabs;  // "Gr 1", "Gr 3", ...
        int currentTab = -1;         // index into tabs, -1 when there is none
        std::string groupTitle;
        std::vector<ListRow> rows;   // the group page, grid rows 1..n
        bool emptyPage = true;       // shows "EMPTY" "LIST"
        int selectedRow = 0;         // grid row, 0 none (highlighted light yellow)
        // Fields of the selected parameter.
        std::string maximum, minimum, unit, prompt;
        EditBox editBox = EditBox::None;  // which edit box shows over the VALUE cell
        std::string editText;
        bool updateEnabled = false;
        // Names.
        std::string listTitle;       // "LIST  A"
        std::string windowTitle;     // "LIST  A -- /home/x/motor.par"
        std::string letterCode;      // " A"
        bool modified = false;
        // Command enabling.
        std::string closeText;       // "Close" (file list) or "Close Parameter List"
        bool compareEnabled = false;        // File, Compare with
        bool convertEnabled = false;        // File, Convert to
        bool customCompareEnabled = false;  // Customer List, Compare with
        bool customConvertEnabled = false;  // Customer List, Convert to
        bool faultHistoryEnabled = false;   // Inverter, Fault History
    };

    struct UpdateResult {
        std::vector<platform::Notice> notices;  // shown after the command, in order
        bool warmUp = false;                    // show the warm-up notice now
        std::string warmUpTitle;                // empty: the notice's usual title
    };

    // Opens the window's document: counts the window, updates the presence
    // table of an online address, builds tabs and the first group page.
    CTervikDoc(std::string installDir, ListOpening opening);
    // The view is destroyed with the document: its working file goes.
    ~CTervikDoc();
    CTervikDoc(const CTervikDoc&) = delete;
    CTervikDoc& operator=(const CTervikDoc&) = delete;

    void setOnlineSide(OnlineSide side) { online_ = std::move(side); }

    const View& view() const { return view_; }

    // Tabs and rows.
    void selectTab(int index);
    // Left and right arrow keys: the previous or next tab.
    void stepTab(int delta);
    // Refills the page shown after another operation rewrote the working file.
    void refill();
    // A click on a grid row (1-based); editRequested when the VALUE cell was
    // clicked, Enter was pressed or a character typed. Reads the parameter
    // (from the drive for an online list) and opens the edit box.
    std::vector<platform::Notice> selectRow(int row, bool editRequested);
    // The edit box text changed (typing): "Update" becomes enabled.
    void editTextChanged(std::string text);
    // Escape: the edit is dropped and the parameter read again.
    std::vector<platform::Notice> cancelEdit();
    // "Update": what to show before the download runs (switching the
    // parameter set of a drive, once the entered value passed its checks),
    // then the download itself.
    std::optional<platform::Notice> noticeBeforeUpdate() const;
    UpdateResult update();
    // Every 2000 ms.
    void tickStatus(bool scanEnabled);

    // File, Save and Save As.
    SaveResult save();
    SaveResult saveAs();
    // The close step (questions through the message seam, the close-options
    // dialog handed in); a result other than Keep has been carried out and
    // the window closes.
    CloseAction close(const CloseOptionsDialog& dialog);

    // What other operations read through the view.
    ListKind kind() const { return doc_.kind; }
    bool isFileList() const { return doc_.kind != ListKind::Online; }
    const std::string& filePath() const { return doc_.filePath; }
    const std::string& workPath() const { return doc_.workPath; }
    const std::string& address() const { return doc_.address; }
    const std::string& deviceName() const { return doc_.deviceName; }
    const std::string& versionText() const { return doc_.versionText; }
    const std::string& listTitle() const { return doc_.listTitle; }
    const std::string& databaseFileName() const { return databaseFileName_; }
    std::string databasePath() const { return installDir_ + databaseFileName_; }
    const std::string& installDir() const { return installDir_; }
    bool modified() const { return doc_.modified; }
    // Help, Parameter: "RQ-1234.pdf".
    std::string helpFileName() const;

private:
    void fillPage(int group);
    void clearFields();
    void readSelected(std::vector<platform::Notice>& notices);
    void setModified();
    void updateTitles();
    void updateEnabling();
    bool keypadCheck();
    void carryOut(CloseAction action);
    std::optional<TvkRecord> selectedRecord() const;
    ParameterList list() const { return ParameterList(databasePath(), doc_.workPath, doc_.kind); }
    void release();
    std::uint16_t rowNumber(int row) const;

    std::string installDir_;
    std::string databaseFileName_;
    ListDocument doc_;
    OnlineSide online_;
    View view_;
    ParameterSelection selection_;
    bool onlinePending_ = false;
    bool closed_ = false;
    std::string warmUpTitle_;
};

}  // namespace kestrel
