#include <kestrel/core/CustomListEditor.h>

#include <kestrel/core/CDatabase.h>
#include <kestrel/core/FileBytes.h>
#include <kestrel/core/HexText.h>
#include <kestrel/core/ListDialogs.h>
#include <kestrel/core/ListFile.h>
#include <kestrel/core/ListMessages.h>
#include <kestrel/core/ListOpener.h>
#include <kestrel/core/ParameterList.h>
#include <kestrel/core/ParameterNumbers.h>
#include <kestrel/core/ValueDisplay.h>
#include <kestrel/core/WorkFileReader.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>

namespace kestrel {

namespace {

using platform::MsgAnswer;
using platform::MsgButtons;
using platform::MsgIcon;

// Every new custom list holds these; 00E4 and 00E9 can never be deleted.
constexpr std::uint16_t kStartParameters[] = {0x002C, param::kSoftwareVersion.number(), param::kParameterSet.number()};

bool isDefaultParameter(std::string_view no)
{
    return no == param::kSoftwareVersion.digits() || no == param::kParameterSet.digits();
}

EditorRow rowOf(const TvkRecord& record, std::uint16_t value)
{
    return {formatHex4(record.number()), record.name(), displayValue(record, value), unitText(record)};
}

bool lessNoCase(const EditorRow& a, const EditorRow& b)
{
    return std::lexicographical_compare(a.no.begin(), a.no.end(), b.no.begin(), b.no.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

CustomListEditor::CustomListEditor(std::string installDir, Mode mode, std::string version)
    : installDir_(std::move(installDir)), mode_(mode), version_(std::move(version)),
      databaseFileName_(CDatabase::fileNameForVersion(version_))
{
}

std::optional<CustomListEditor> CustomListEditor::create(const std::string& installDir, const std::string& version)
{
    CustomListEditor editor(installDir, Mode::Create, version);
    if (!editor.loadDatabase(false)) {
        show(msg::noDatabase(ListKind::CustomList));
        return std::nullopt;
    }
    const CDatabase db(installDir + editor.databaseFileName_);
    for (auto number : kStartParameters)
        if (const auto rec = db.find(number)) editor.custom_.push_back(rowOf(*rec, rec->defaultValue()));
    return editor;
}

std::optional<CustomListEditor> CustomListEditor::modify(const std::string& installDir,
                                                         const std::optional<std::string>& presetPath)
{
    auto path = presetPath;
    if (!path) path = platform::askFile(listFileDialog(installDir, ListKind::CustomList, false));
    if (!path) return std::nullopt;
    const auto checked = checkListForOpening(installDir, *path, ListKind::CustomList);
    if (!checked) return std::nullopt;
    const std::string version = ListFile::readVersion(*path).value_or("");
    CustomListEditor editor(installDir, Mode::Modify, version);
    editor.path_ = *path;

    bool service = false;
    DatabaseReader db(installDir + editor.databaseFileName_);
    for (WorkFileReader file(*path, ListFile::kHeaderSize); file.atRecord(); file.advance()) {
        const WorkRecord& r = file.record();
        service = service || (r.number() == param::kServiceCode.number() && r.value() == kServiceAccessCode);
        if (db.seekForward(r.number())) editor.custom_.push_back(rowOf(db.record(), r.value()));
    }
    if (!editor.loadDatabase(service)) {
        show(msg::noDatabase(ListKind::CustomList));
        return std::nullopt;
    }
    return editor;
}

bool CustomListEditor::loadDatabase(bool offerService)
{
    DatabaseReader db(installDir_ + databaseFileName_);
    if (databaseFileName_.empty() || db.state() == DatabaseReader::State::Unreadable) return false;
    standard_.clear();
    for (; db.atRecord(); db.advance()) {
        const TvkRecord& rec = db.record();
        if (rec.isGroupHeader())
            standard_.push_back({"", rec.name(), "", ""});
        else if (offerService || !rec.isService())
            standard_.push_back(rowOf(rec, rec.defaultValue()));
    }
    return true;
}

std::string CustomListEditor::title() const { return path_.empty() ? "Custom List" : "Custom List -- " + path_; }

void CustomListEditor::add(std::optional<std::size_t> standardRow)
{
    if (!standardRow || *standardRow >= standard_.size()) {
        show(msg::kNoParameterSelected);
        return;
    }
    const EditorRow row = standard_[*standardRow];
    if (row.isTitle()) return;
    const auto same = [&](const EditorRow& r) { return r.no == row.no; };
    if (std::any_of(custom_.begin(), custom_.end(), same)) {
        show(msg::kDuplicateParameter);
        return;
    }
    custom_.push_back(row);
    std::stable_sort(custom_.begin(), custom_.end(), lessNoCase);
    selectedCustom_ = static_cast<std::size_t>(std::find_if(custom_.begin(), custom_.end(), same) - custom_.begin());
    modified_ = true;
}

void CustomListEditor::remove(std::optional<std::size_t> customRow)
{
    if (!customRow || *customRow >= custom_.size()) return;
    if (isDefaultParameter(custom_[*customRow].no)) {
        show(msg::kDefaultParameter);
        return;
    }
    custom_.erase(custom_.begin() + static_cast<std::ptrdiff_t>(*customRow));
    selectedCustom_.reset();
    modified_ = true;
}

std::optional<std::string> CustomListEditor::chooseTarget()
{
    const auto chosen = platform::askFile(listFileDialog(installDir_, ListKind::CustomList, true));
    if (!chosen) return std::nullopt;
    if (*chosen != path_) {
        // A list window working on that file would later write its own
        // records over what is saved here.
        if (CWorkFile(CWorkFile::pathFor(*chosen, ListKind::CustomList)).exists()) {
            show(msg::kAlreadyConnected);
            return std::nullopt;
        }
        if (fileExists(*chosen) &&
            show(msg::kOverwriteCustom, MsgButtons::YesNoCancel) != MsgAnswer::Yes)
            return std::nullopt;
    }
    return chosen;
}

std::vector<WorkRecord> CustomListEditor::records() const
{
    // New entries carry the database default; the software version carries
    // the version's own value.
    std::vector<WorkRecord> out;
    DatabaseReader db(installDir_ + databaseFileName_);
    for (const auto& row : custom_) {
        const auto number = parseHex4(row.no);
        if (!number || !db.seekForward(*number)) continue;
        const TvkRecord& rec = db.record();
        out.emplace_back(*number, *number == param::kSoftwareVersion.number() ? rec.value() : rec.defaultValue());
    }
    return out;
}

bool CustomListEditor::write(const std::string& target) const
{
    std::vector<WorkRecord> recs = records();
    const bool existed = fileExists(target);
    if (existed) {
        // A parameter that stays in the list keeps the value stored for it.
        std::map<std::uint16_t, std::uint16_t> stored;
        for (WorkFileReader old(target, ListFile::kHeaderSize); old.atRecord(); old.advance())
            stored[old.record().number()] = old.record().value();
        for (auto& r : recs)
            if (const auto it = stored.find(r.number()); it != stored.end()) r.setValue(it->second);
    }
    std::string body;
    for (const auto& r : recs) body += r.serialise();
    const std::string bytes = ListFile::bytes("A" + version_, body);
    // A scratch file beside the list replaces it in one step, so a failed
    // write leaves the old list intact.
    return replaceFileBytes(target, bytes);
}

bool CustomListEditor::save(bool saveAs)
{
    std::string target = path_;
    if (saveAs || path_.empty()) {
        const auto chosen = chooseTarget();
        if (!chosen) return false;
        target = *chosen;
        path_ = target;
    }
    if (!write(target)) {
        show(msg::writeFailed(target));
        return false;
    }
    modified_ = false;
    return true;
}

bool CustomListEditor::close()
{
    if (!modified_) return true;
    switch (show(msg::kCustomModified, MsgButtons::YesNoCancel)) {
    case MsgAnswer::Yes: return save(false);
    case MsgAnswer::No: return true;
    default: return false;
    }
}

}  // namespace kestrel
