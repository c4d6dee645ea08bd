#pragma once
// The logic of a document's parameter view: the group pages with their
// filter, the details of the selected parameter, editing within the limits,
// going online with a drive, and the cyclic scan that keeps the shown values
// current. The window shows view() and forwards user actions and its scan
// timer here; every command returns the notices the window shows.
//
// Values read from the drive pass the same limit check as typed values: a
// value outside the limits is not stored. Writes go to the drive as soon as
// an entry is confirmed.
#include <merlin/core/CDpfParSet.h>
#include <merlin/core/CModbusLink.h>
#include <platform/Notice.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace merlin {

class ParameterView {
public:
    static constexpr int kColumns = 5;
    static constexpr int kMinimumRows = 16;
    static constexpr uint32_t kWhite = 0xFFFFFF;        // colours as 0xBBGGRR
    static constexpr uint32_t kLightYellow = 0x80FFFF;
    static constexpr int kScanTimerId = 0xF010;
    static constexpr int kFirstScanMs = 300;
    static constexpr int kActiveScanMs = 50;
    static constexpr int kInactiveScanMsPerView = 200;
    static constexpr int kCommErrorScanMs = 2000;
    static constexpr int kPasswordRegister = 298;
    static constexpr int kHiddenRegister = 299;
    static constexpr int kProtectedRegister = 981;

    enum class EditState { None = 0, Numeric = 1, Choice = 2 };

    struct Row {
        std::array<std::string, kColumns> cells;
        uint32_t colour = kWhite;
    };

    // What the form shows.
    struct View {
        std::vector<std::string> tabs;
        int group = 0;
        std::string groupTitle;
        std::array<std::string, kColumns> headers{"", "PARAMETER", "VALUE", "UNIT", "TYPE"};
        std::vector<Row> rows;       // at least kMinimumRows; shown parameters first
        int focusRow = 0;
        int selectedRow = -1;        // index into rows, -1 for none
        // Details of the selected parameter.
        std::string minimum, maximum, unit, defaultText;
        EditState editState = EditState::None;
        bool numericEntryVisible = false;
        bool choiceEntryVisible = false;
        bool updateEnabled = false;
        std::string entryPrompt;     // "Enter  DECIMAL value" while typing
        std::string entryText;       // the edit field
        bool entrySelectAll = false;
        std::vector<std::string> choices;
        int choiceIndex = -1;
        bool editing = false;
        int editRow = -1;
        // The fields of the form.
        std::string softwareVersion; // "Inverter Software Version:"
        std::string deviceStatus;    // "DEVICE STATUS"
        std::string driveName;       // "Drive Name:"
        std::string position;        // "G%d / P%d"
        std::string title;           // the frame's title
        bool filterActive = false;
        int station = 0;             // > 0 online
    };

    // The document this view shows: its set, its title, its modified flag.
    ParameterView(CDpfParSet& set, CModbusLink& link, std::string documentTitle, bool& documentModified);
    ~ParameterView();
    ParameterView(const ParameterView&) = delete;
    ParameterView& operator=(const ParameterView&) = delete;

    // The first showing: takes over the document's filter switches, shows
    // the definition's revision and goes online with the station the network
    // dialog left (which then returns to 0).
    std::vector<platform::Notice> Show();
    // Refills everything after the document changed (open, convert, custom
    // list); the group stays when it still exists.
    void Refresh();
    void SetDocumentTitle(const std::string& title);
    void SelectGroup(int group);
    void SelectRow(int row);

    // Double-click or Enter on a grid row: reads the value from the drive
    // when online and offers the entry.
    std::vector<platform::Notice> BeginEdit(int row);
    // Enter or "Update": stores the entry and, online, writes it.
    std::vector<platform::Notice> ConfirmNumeric(const std::string& text);
    std::vector<platform::Notice> ConfirmChoice(int position);
    void CancelEdit();

    // After the network dialog closed: the station it selected (0 none),
    // with the identification that dialog reports for it.
    struct Identification {
        uint32_t deviceType = 0, application = 0, version = 0;
        std::string name;
    };
    std::vector<platform::Notice> GoOnline(int selectedStation, const Identification& drive);
    void GoOffline();

    // "&Activate Filter Settings"
    void ToggleFilter();

    // The scan timer. Returns the period to restart the timer with, or -1
    // when the timer keeps its period (a transfer is busy, nothing shown).
    int Tick(bool activeView);

    const View& view() const { return view_; }
    int station() const { return station_; }
    bool online() const { return station_ > 0; }
    int scanPosition() const { return scanPos_; }
    // Index within the group of shown row r (r from 0), -1 beyond.
    int ShownParameter(int row) const;

private:
    void FillGroupPage();
    void ClearDetails();
    void RefreshCell(int row);
    std::string ValueCell(int g, int i);
    bool IsPasswordRegister(int offset) const { return offset == kPasswordRegister || offset == kHiddenRegister; }
    void SetTitle();
    void EndEdit();
    std::vector<platform::Notice> Confirm(int result);
    int ReadIntoSet(int row, int& readResult);

    CDpfParSet& set_;
    CModbusLink& link_;
    std::string documentTitle_;
    bool& modified_;
    View view_;
    std::vector<int> shown_;   // parameter indices within the group
    int station_ = 0;
    int scanPos_ = 0;
    bool linkOpen_ = false;
};

// The messages of an entry's limit check (kValue... results).
platform::Notice valueResultMessage(int result);
// "Comm Error: %04X %d"
std::string commErrorText(int code);

}  // namespace merlin
