#include <merlin/core/ParameterView.h>

#include <merlin/core/MerlinState.h>

#include <algorithm>

namespace merlin {

namespace {

constexpr const char* kScanningOff = "Scanning OFF !";
constexpr const char* kScanningOn = "Scanning ON !";
constexpr const char* kParameterError = "Parameter Error !";
constexpr const char* kEntryPrompt = "Enter  DECIMAL value";
constexpr const char* kDefaultMark = "  (default)";
constexpr const char* kMsgProtected = "This parameter is explicitly protected !";
constexpr const char* kMsgConflict = "Conflict of type or application !";

platform::Notice warning(const std::string& text)
{
    return {text, platform::MsgIcon::Exclamation};
}

}  // namespace

platform::Notice valueResultMessage(int result)
{
    switch (result) {
    case kValueBelowMin: return warning("Value is below lower limit");
    case kValueAboveMax: return warning("Value exceeds upper limit");
    default: return warning("Value error");
    }
}

std::string commErrorText(int code)
{
    return platform::strFormat("Comm Error: %04X %d", code & 0xFFFF, code);
}

ParameterView::ParameterView(CDpfParSet& set, CModbusLink& link, std::string documentTitle, bool& documentModified)
    : set_(set), link_(link), documentTitle_(std::move(documentTitle)), modified_(documentModified)
{
    ++state().openViews;
    view_.title = documentTitle_;
    Refresh();
}

ParameterView::~ParameterView()
{
    GoOffline();
    --state().openViews;
}

std::vector<platform::Notice> ParameterView::Show()
{
    const uint32_t flags = set_.ViewFlags();
    view_.filterActive = (flags & kFilterActive) != 0;
    view_.softwareVersion = set_.deviceTypeText + " " + set_.applicationText + " " + set_.versionText;
    std::vector<platform::Notice> notices;
    const int chosen = state().selectedStation;
    if (chosen > 0) {
        state().selectedStation = 0;
        CDeviceTable& devices = state().devices;
        notices = GoOnline(chosen, {devices.deviceType(chosen), devices.application(chosen), devices.version(chosen),
                                    devices.name(chosen)});
    }
    FillGroupPage();
    return notices;
}

void ParameterView::Refresh()
{
    view_.tabs.clear();
    for (int g = 0; g < set_.NumberOfGroups(); ++g) {
        std::string name = set_.GroupName(g);
        view_.tabs.push_back(name.empty() ? platform::strFormat("%d", g + 1) : name);
    }
    if (view_.group >= set_.NumberOfGroups())
        view_.group = 0;
    FillGroupPage();
}

void ParameterView::SetDocumentTitle(const std::string& title)
{
    documentTitle_ = title;
    SetTitle();
}

void ParameterView::SelectGroup(int group)
{
    if (group < 0 || group >= set_.NumberOfGroups())
        return;
    view_.group = group;
    scanPos_ = 0;
    FillGroupPage();
}

int ParameterView::ShownParameter(int row) const
{
    return row >= 0 && row < static_cast<int>(shown_.size()) ? shown_[row] : -1;
}

std::string ParameterView::ValueCell(int g, int i)
{
    // The password registers keep their secret unless debugging.
    if (IsPasswordRegister(set_.RegisterOffset(g, i)) && set_.Value(g, i) != 0 && !state().debug)
        return "****";
    return set_.ValueText(g, i);
}

void ParameterView::FillGroupPage()
{
    const int g = view_.group;
    const uint32_t flags = set_.ViewFlags();
    const bool hideDefaults = (flags & kHideDefaults) != 0;
    const bool hideReadOnly = (flags & kHideReadOnly) != 0;
    const int size = std::max(set_.GroupSize(g), 0);
    shown_.clear();
    for (int i = 0; i < size; ++i) {
        const CPar& par = set_.At(set_.FlatIndex(g, i));
        if (view_.filterActive && ((par.selectionFlags & kSelHidden) || (hideDefaults && par.value == par.defaultValue) ||
                                   (hideReadOnly && par.IsReadOnly())))
            continue;
        shown_.push_back(i);
    }
    const int count = static_cast<int>(shown_.size());
    const std::string countText = count < size ? platform::strFormat("%d of %d", count, size) : platform::strFormat("%d", size);
    view_.groupTitle = size > 0 || set_.NumberOfGroups() > 0
                           ? platform::strFormat("%2d:  %s (%s)", g + 1, set_.GroupName(g).c_str(), countText.c_str())
                           : std::string();
    view_.rows.assign(std::max(count, kMinimumRows), Row{});
    for (int r = 0; r < count; ++r)
        RefreshCell(r);
    view_.focusRow = 0;
    view_.selectedRow = -1;
    view_.editing = false;
    view_.editRow = -1;
    ClearDetails();
    if (scanPos_ >= count)
        scanPos_ = 0;
}

void ParameterView::RefreshCell(int row)
{
    const int g = view_.group;
    const int i = ShownParameter(row);
    if (i < 0)
        return;
    const CPar& par = set_.At(set_.FlatIndex(g, i));
    Row& out = view_.rows[row];
    out.cells = {platform::strFormat("%d", par.RegisterOffset()), par.name, ValueCell(g, i), set_.Unit(g, i),
                 platform::strFormat("%d", par.access)};
}

void ParameterView::ClearDetails()
{
    view_.minimum.clear();
    view_.maximum.clear();
    view_.unit.clear();
    view_.defaultText.clear();
    view_.editState = EditState::None;
    view_.numericEntryVisible = false;
    view_.choiceEntryVisible = false;
    view_.updateEnabled = false;
    view_.entryPrompt.clear();
    view_.entryText.clear();
    view_.entrySelectAll = false;
    view_.choices.clear();
    view_.choiceIndex = -1;
}

void ParameterView::SelectRow(int row)
{
    if (view_.selectedRow >= 0 && view_.selectedRow < static_cast<int>(view_.rows.size()))
        view_.rows[view_.selectedRow].colour = kWhite;
    if (view_.editing && row != view_.editRow)
        EndEdit();
    const int i = ShownParameter(row);
    if (i < 0) {
        view_.selectedRow = -1;
        ClearDetails();
        return;
    }
    view_.selectedRow = row;
    view_.focusRow = row;
    view_.rows[row].colour = kLightYellow;
    const int g = view_.group;
    const CPar& par = set_.At(set_.FlatIndex(g, i));
    ClearDetails();
    view_.minimum = set_.MinimumText(g, i);
    view_.maximum = set_.MaximumText(g, i);
    view_.unit = set_.Unit(g, i);
    view_.defaultText = set_.DefaultText(g, i);
    if (par.IsChoice()) {
        view_.choices = set_.Choices(g, i);
        const int defaultPos = par.defaultValue - par.min;
        if (defaultPos >= 0 && defaultPos < static_cast<int>(view_.choices.size()))
            view_.choices[defaultPos] += kDefaultMark;
        const int valuePos = par.value - par.min;
        view_.choiceIndex = valuePos >= 0 && valuePos < static_cast<int>(view_.choices.size()) ? valuePos : -1;
        view_.choiceEntryVisible = true;
        view_.editState = par.IsReadOnly() ? EditState::None : EditState::Choice;
    } else {
        view_.entryText = set_.ValueText(g, i);
        view_.numericEntryVisible = true;
        view_.editState = par.IsReadOnly() ? EditState::None : EditState::Numeric;
    }
}

// Reads the parameter of a shown row from the drive into the set. Returns
// the store's kValue... result (kValueOk when nothing was read); readResult
// gets the link's code.
int ParameterView::ReadIntoSet(int row, int& readResult)
{
    const int g = view_.group;
    const int i = ShownParameter(row);
    const CPar& par = set_.At(set_.FlatIndex(g, i));
    uint16_t word = 0;
    readResult = link_.ReadRegister(station_, par.RegisterOffset(), word);
    if (readResult != kLinkOk)
        return kValueOk;
    const int stored = set_.SetRawValue(g, i, registerToRaw(word, par.min));
    if (stored == kValueOk)
        RefreshCell(row);
    return stored;
}

std::vector<platform::Notice> ParameterView::BeginEdit(int row)
{
    std::vector<platform::Notice> notices;
    if (ShownParameter(row) < 0)
        return notices;
    SelectRow(row);
    // A read-only row simply offers no entry.
    if (view_.editState == EditState::None)
        return notices;
    const int g = view_.group;
    const int i = ShownParameter(row);
    if (online() && !IsPasswordRegister(set_.RegisterOffset(g, i))) {
        int readResult = kLinkOk;
        const int stored = ReadIntoSet(row, readResult);
        if (readResult != kLinkOk)
            view_.deviceStatus = commErrorText(readResult);
        else if (stored != kValueOk)
            notices.push_back(valueResultMessage(stored));
        SelectRow(row);  // the details show what was read
    }
    view_.editing = true;
    view_.editRow = row;
    view_.updateEnabled = true;
    if (view_.editState == EditState::Numeric) {
        view_.entryText = set_.ValueText(g, i);
        view_.entrySelectAll = true;
        view_.entryPrompt = kEntryPrompt;
    }
    return notices;
}

std::vector<platform::Notice> ParameterView::ConfirmNumeric(const std::string& text)
{
    if (!view_.editing || view_.editState != EditState::Numeric)
        return {};
    if (set_.RegisterOffset(view_.group, ShownParameter(view_.editRow)) == kProtectedRegister) {
        EndEdit();
        return {warning(kMsgProtected)};
    }
    return Confirm(set_.SetValueFromText(view_.group, ShownParameter(view_.editRow), text));
}

std::vector<platform::Notice> ParameterView::ConfirmChoice(int position)
{
    if (!view_.editing || view_.editState != EditState::Choice)
        return {};
    if (set_.RegisterOffset(view_.group, ShownParameter(view_.editRow)) == kProtectedRegister) {
        EndEdit();
        return {warning(kMsgProtected)};
    }
    return Confirm(position < 0 ? kValueBelowMin : set_.SetValue(view_.group, ShownParameter(view_.editRow), position));
}

std::vector<platform::Notice> ParameterView::Confirm(int result)
{
    std::vector<platform::Notice> notices;
    const int row = view_.editRow;
    // Every confirmed entry counts as a change of the document, a refused
    // one included: the user is asked before the list is closed.
    modified_ = true;
    if (result != kValueOk) {
        notices.push_back(valueResultMessage(result));
        EndEdit();
        return notices;
    }
    RefreshCell(row);
    if (online()) {
        const int k = set_.FlatIndex(view_.group, ShownParameter(row));
        const int written = link_.WriteRegister(station_, set_.RegisterOffsetAt(k), rawToRegister(set_.ValueAt(k)));
        // The document holds the value either way; the user must know the
        // drive does not.
        if (written != kLinkOk) {
            view_.deviceStatus = commErrorText(written);
            notices.push_back(warning(commErrorText(written)));
        }
    }
    EndEdit();
    return notices;
}

void ParameterView::CancelEdit()
{
    EndEdit();
}

void ParameterView::EndEdit()
{
    view_.editing = false;
    view_.editRow = -1;
    view_.entryPrompt.clear();
    view_.entrySelectAll = false;
    view_.updateEnabled = false;
    if (view_.selectedRow >= 0) {
        const int row = view_.selectedRow;
        view_.selectedRow = -1;
        SelectRow(row);  // the details show the stored value again
    }
}

std::vector<platform::Notice> ParameterView::GoOnline(int selectedStation, const Identification& drive)
{
    std::vector<platform::Notice> notices;
    if (online() && selectedStation == station_)
        return notices;
    GoOffline();
    if (selectedStation > 0 && (drive.deviceType != set_.DeviceType() || drive.application != set_.Application() ||
                                drive.version != set_.Version())) {
        station_ = -1;
        notices.push_back(warning(kMsgConflict));
    } else if (selectedStation > 0) {
        // A link without a server has said so when it was made; the view
        // simply stays offline.
        if (link_.OpenLink()) {
            linkOpen_ = true;
            station_ = selectedStation;
            view_.driveName = drive.name;
        }
    }
    view_.station = station_;
    SetTitle();
    return notices;
}

void ParameterView::GoOffline()
{
    if (linkOpen_)
        link_.CloseLink();
    linkOpen_ = false;
    station_ = 0;
    view_.station = 0;
    view_.driveName.clear();
    SetTitle();
}

void ParameterView::SetTitle()
{
    view_.title = online() ? platform::strFormat("%s  - ONLINE (%d)", documentTitle_.c_str(), station_) : documentTitle_;
}

void ParameterView::ToggleFilter()
{
    view_.filterActive = !view_.filterActive;
    const uint32_t flags = set_.ViewFlags();
    set_.SetViewFlags(view_.filterActive ? flags | kFilterActive : flags & ~kFilterActive);
    FillGroupPage();
}

int ParameterView::Tick(bool activeView)
{
    if (state().transferBusy || shown_.empty())
        return -1;
    if (scanPos_ >= static_cast<int>(shown_.size()))
        scanPos_ = 0;
    int period = activeView ? kActiveScanMs : kInactiveScanMsPerView * std::max(state().openViews, 1);
    if (!online()) {
        view_.deviceStatus = kScanningOff;
        return period;
    }
    const int row = scanPos_;
    const int offset = set_.RegisterOffset(view_.group, ShownParameter(row));
    int readResult = kLinkOk;
    int stored = kValueOk;
    if (!(view_.editing && row == view_.editRow) && !IsPasswordRegister(offset))
        stored = ReadIntoSet(row, readResult);
    if (view_.selectedRow == row || view_.selectedRow < 0)
        view_.position = platform::strFormat("G%d / P%d", view_.group + 1, row + 1);
    ++scanPos_;
    if (readResult != kLinkOk) {
        view_.deviceStatus = commErrorText(readResult);
        return kCommErrorScanMs;
    }
    // A refused value stays visible until the next tick.
    view_.deviceStatus = stored == kValueOk ? kScanningOn : kParameterError;
    return period;
}

}  // namespace merlin
