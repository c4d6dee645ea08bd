#include <kestrel/core/CTervikDoc.h>

#include <kestrel/core/CDatabase.h>
#include <kestrel/core/DeviceStatus.h>
#include <kestrel/core/HexText.h>
#include <kestrel/core/KeypadChange.h>
#include <kestrel/core/ListMessages.h>
#include <kestrel/core/ListTitles.h>
#include <kestrel/core/OperationScope.h>
#include <kestrel/core/ParameterNumbers.h>
#include <kestrel/core/ValueDisplay.h>
#include <kestrel/core/ValueEntry.h>
#include <kestrel/core/VersionList.h>
#include <kestrel/core/WritePlan.h>

#include <algorithm>

namespace kestrel {

namespace {

std::optional<int> addressIndex(const std::string& address)
{
    if (address.empty() || address.size() > 2) return std::nullopt;
    int a = 0;
    for (char c : address) {
        if (c < '0' || c > '9') return std::nullopt;
        a = a * 10 + (c - '0');
    }
    return a < kAddressCount ? std::optional<int>(a) : std::nullopt;
}

}  // namespace

CTervikDoc::CTervikDoc(std::string installDir, ListOpening opening)
    : installDir_(std::move(installDir)), databaseFileName_(std::move(opening.databaseFileName))
{
    KestrelState& s = state();
    doc_.kind = opening.kind;
    doc_.installDir = installDir_;
    doc_.filePath = std::move(opening.filePath);
    doc_.workPath = std::move(opening.workPath);
    doc_.address = doc_.kind == ListKind::Online ? std::move(opening.address) : std::string();
    doc_.deviceName = doc_.kind == ListKind::Online ? std::move(opening.deviceName) : std::string();
    doc_.versionText = listVersionText(databaseFileName_);

    if (const auto a = addressIndex(doc_.address)) {
        char& presence = s.windowPresence[static_cast<std::size_t>(*a)];
        presence = presence == '0' ? '1' : '2';
    }
    const int n = s.windowCounter++;
    view_.letterCode = windowLetterCode(n);
    doc_.listTitle = kestrel::listTitle(doc_.kind == ListKind::CustomList, n);
    doc_.windowTitle = kestrel::windowTitle(doc_.listTitle, doc_.address, doc_.deviceName, doc_.filePath);
    view_.versionText = doc_.versionText;

    for (int g : list().tabGroups()) view_.tabs.push_back(tabText(g));
    if (!view_.tabs.empty()) view_.currentTab = 0;
    refill();
    if (const auto set = list().parameterSet()) view_.parameterSet = std::to_string(*set);
    tickStatus(true);
    updateTitles();
    updateEnabling();
}

CTervikDoc::~CTervikDoc()
{
    release();
    (void)CWorkFile(doc_.workPath).remove();
}

void CTervikDoc::release()
{
    if (closed_) return;
    closed_ = true;
    KestrelState& s = state();
    if (const auto a = addressIndex(doc_.address)) {
        char& presence = s.windowPresence[static_cast<std::size_t>(*a)];
        presence = presence == '2' ? '3' : '0';
    }
    s.currentAddress.clear();
    s.operationInProgress = false;
}

// ---- tabs and rows -----------------------------------------------------------

void CTervikDoc::selectTab(int index)
{
    if (index < 0 || index >= static_cast<int>(view_.tabs.size())) return;
    view_.currentTab = index;
    refill();
}

void CTervikDoc::stepTab(int delta)
{
    if (view_.tabs.empty()) return;
    selectTab(std::clamp(view_.currentTab + delta, 0, static_cast<int>(view_.tabs.size()) - 1));
}

void CTervikDoc::refill()
{
    const auto group = view_.currentTab >= 0 ? groupOfTab(view_.tabs[static_cast<std::size_t>(view_.currentTab)])
                                             : std::nullopt;
    fillPage(group.value_or(0));
    if (const auto set = list().parameterSet()) view_.parameterSet = std::to_string(*set);
}

void CTervikDoc::fillPage(int group)
{
    GroupPage page = list().fillGroup(group);
    view_.groupTitle = std::move(page.title);
    view_.rows = std::move(page.rows);
    view_.emptyPage = view_.rows.empty();
    view_.selectedRow = 0;
    clearFields();
}

void CTervikDoc::clearFields()
{
    view_.maximum.clear();
    view_.minimum.clear();
    view_.unit.clear();
    view_.prompt.clear();
    view_.editBox = EditBox::None;
    view_.editText.clear();
    view_.updateEnabled = false;
    onlinePending_ = false;
    selection_ = ParameterSelection{};
}

std::uint16_t CTervikDoc::rowNumber(int row) const { return view_.rows[static_cast<std::size_t>(row - 1)].number; }

std::optional<TvkRecord> CTervikDoc::selectedRecord() const
{
    if (view_.selectedRow < 1 || view_.selectedRow > static_cast<int>(view_.rows.size())) return std::nullopt;
    return CDatabase(databasePath()).find(rowNumber(view_.selectedRow));
}

std::vector<platform::Notice> CTervikDoc::selectRow(int row, bool editRequested)
{
    std::vector<platform::Notice> notices;
    view_.selectedRow = row >= 1 && row <= static_cast<int>(view_.rows.size()) ? row : 0;
    clearFields();
    if (view_.selectedRow == 0) return notices;
    state().logLine("ENQUIRY PARA VALUE - START");
    const auto rec = selectedRecord();
    if (!rec) return notices;
    std::optional<std::uint16_t> value = CWorkFile(doc_.workPath).findValue(rec->number());
    if (doc_.kind == ListKind::Online && online_.link) {
        KestrelState& s = state();
        s.currentAddress = doc_.address;
        // Another operation holds the line: the row is selected, nothing read.
        if (s.operationInProgress) return notices;
        std::optional<ParameterLink::Reply> reply;
        {
            OperationScope busy;
            reply = online_.link->read(formatHex4(rec->number()));
        }
        value = reply ? parseHex4(reply->value) : std::nullopt;
        if (!value) {
            notices.push_back(msg::kConnectionLost);
            return notices;
        }
        // The list keeps what the drive holds now.
        (void)CWorkFile(doc_.workPath).writeValue(rec->number(), *value);
        view_.rows[static_cast<std::size_t>(view_.selectedRow - 1)].value =
            rec->isHexadecimal() ? formatHex4(*value) : displayValue(*rec, *value);
    }
    if (!value) return notices;
    selection_ = selectParameter(*rec, *value, editRequested);
    view_.maximum = selection_.maximum;
    view_.minimum = selection_.minimum;
    view_.unit = selection_.unit;
    view_.prompt = selection_.prompt;
    view_.editBox = selection_.editBox;
    view_.editText = selection_.editBox == EditBox::None ? std::string() : selection_.displayed;
    state().logLine("ENQUIRE PARA VALUE - END");
    return notices;
}

void CTervikDoc::editTextChanged(std::string text)
{
    if (view_.editBox == EditBox::None) return;
    view_.editText = std::move(text);
    view_.updateEnabled = true;
    onlinePending_ = doc_.kind == ListKind::Online;
}

std::vector<platform::Notice> CTervikDoc::cancelEdit() { return selectRow(view_.selectedRow, false); }

std::optional<platform::Notice> CTervikDoc::noticeBeforeUpdate() const
{
    if (!view_.updateEnabled || !onlinePending_ || view_.selectedRow == 0) return std::nullopt;
    // A value the checks refuse never reaches the drive: no warning for it.
    const auto rec = selectedRecord();
    if (!rec || !checkEntry(*rec, view_.editText).accepted()) return std::nullopt;
    return planWrite(rec->number(), 0).before;
}

CTervikDoc::UpdateResult CTervikDoc::update()
{
    UpdateResult result;
    if (!view_.updateEnabled || view_.editBox == EditBox::None) return result;
    const auto rec = selectedRecord();
    if (!rec) return result;
    const auto restore = [this] {
        view_.editText = selection_.displayed;
        view_.updateEnabled = false;
    };
    const EntryResult entry = checkEntry(*rec, view_.editText);
    if (!entry.accepted()) {
        if (entry.notice) result.notices.push_back(*entry.notice);
        restore();
        return result;
    }
    const std::uint16_t value = *entry.value;
    const bool toDrive = onlinePending_;
    if (toDrive) {
        KestrelState& s = state();
        s.logLine("DOWNLOAD ONE - START");
        s.currentAddress = doc_.address;
        const WritePlan plan = planWrite(rec->number(), value);
        bool written = false;
        // The download claims the line and waits for the port even when
        // another operation's flag is still up; it is never dropped.
        if (online_.link) {
            OperationScope busy;
            written = runWrite(*online_.link, plan);
        }
        s.logLine("DOWNLOAD ONE - END");
        if (!written) {
            // The drive keeps its value, and so do the list and its file.
            restore();
            return result;
        }
        result.warmUp = plan.warmUpAfter;
        // Switching the parameter set names the warm-up notice from then on.
        if (plan.warmUpTitle) warmUpTitle_ = *plan.warmUpTitle;
        result.warmUpTitle = warmUpTitle_;
    }
    if (!CWorkFile(doc_.workPath).writeValue(rec->number(), value)) {
        result.notices.push_back(msg::writeFailed(doc_.workPath));
        restore();
        return result;
    }
    const std::string shown = rec->isHexadecimal() ? formatHex4(value) : displayValue(*rec, value);
    view_.rows[static_cast<std::size_t>(view_.selectedRow - 1)].value = shown;
    selection_.displayed = shown;
    if (rec->number() == param::kParameterSet.number()) view_.parameterSet = parameterSetText(value);
    view_.editBox = EditBox::None;
    view_.editText.clear();
    view_.updateEnabled = false;
    onlinePending_ = false;
    setModified();
    if (isFileList()) {
        // The fields follow the new value.
        const int row = view_.selectedRow;
        auto more = selectRow(row, false);
        result.notices.insert(result.notices.end(), more.begin(), more.end());
    }
    return result;
}

void CTervikDoc::tickStatus(bool scanEnabled)
{
    const auto a = addressIndex(doc_.address);
    const char entry = a ? state().deviceStatus[static_cast<std::size_t>(*a)] : '9';
    view_.status = statusFieldText(StatusField{scanEnabled, isFileList()}, entry);
}

std::string CTervikDoc::helpFileName() const { return "RQ-" + CDatabase::versionDigits(databaseFileName_) + ".pdf"; }

// ---- names and enabling ------------------------------------------------------

void CTervikDoc::setModified()
{
    doc_.modified = true;
    view_.modified = true;
}

void CTervikDoc::updateTitles()
{
    view_.listTitle = doc_.listTitle;
    view_.windowTitle = doc_.windowTitle;
    view_.modified = doc_.modified;
}

void CTervikDoc::updateEnabling()
{
    const bool twoVersions = availableVersions(installDir_).size() >= 2;
    view_.closeText = isFileList() ? "Close" : "Close Parameter List";
    view_.compareEnabled = doc_.kind == ListKind::ParameterFile;
    view_.convertEnabled = view_.compareEnabled && twoVersions;
    view_.customCompareEnabled = doc_.kind == ListKind::CustomList;
    view_.customConvertEnabled = view_.customCompareEnabled && twoVersions;
    view_.faultHistoryEnabled = doc_.kind == ListKind::Online;
}

// ---- saving and closing ------------------------------------------------------

bool CTervikDoc::keypadCheck()
{
    if (doc_.kind != ListKind::Online || !online_.link) return true;
    state().currentAddress = doc_.address;
    KeypadFollowUp next;
    {
        OperationScope busy;
        next = keypadChangeCheck(*online_.link, doc_.address, CWorkFile(doc_.workPath));
    }
    bool ok = true;
    if (next == KeypadFollowUp::Upload && online_.uploadChanges) ok = online_.uploadChanges();
    refill();
    return ok;
}

SaveResult CTervikDoc::save()
{
    const SaveResult r = saveList(doc_, [this] { keypadCheck(); });
    updateTitles();
    return r;
}

SaveResult CTervikDoc::saveAs()
{
    const SaveResult r = saveListAs(doc_, [this] { keypadCheck(); });
    updateTitles();
    return r;
}

CloseAction CTervikDoc::close(const CloseOptionsDialog& dialog)
{
    ListDocumentState st{doc_.address, doc_.filePath, doc_.modified, {}};
    const CloseAction action = doc_.kind == ListKind::Online && online_.telegram
                                   ? CloseList(*online_.telegram, st, dialog).action
                                   : CloseList(st, dialog).action;
    if (action == CloseAction::Keep) return action;
    const bool wasModified = doc_.modified;
    doc_.modified = false;
    bool done = true;
    switch (action) {
    case CloseAction::SaveToFile:
        doc_.modified = wasModified;
        done = save() == SaveResult::Saved;
        break;
    case CloseAction::Download:
        done = online_.downloadAll && online_.downloadAll();
        break;
    case CloseAction::UploadAndSave:
        done = online_.uploadAll && online_.uploadAll();
        doc_.modified = true;
        done = done && save() == SaveResult::Saved;
        break;
    default: break;
    }
    if (!done) {
        // The working file is the list's only copy of its values: a list
        // whose values went nowhere stays open instead of losing them.
        doc_.modified = wasModified;
        updateTitles();
        return CloseAction::Keep;
    }
    release();
    return action;
}

}  // namespace kestrel
