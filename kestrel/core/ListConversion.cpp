#include <kestrel/core/ListConversion.h>

#include <kestrel/core/CDatabase.h>
#include <kestrel/core/DatabaseReader.h>
#include <kestrel/core/FileBytes.h>
#include <kestrel/core/HexText.h>
#include <kestrel/core/ListDialogs.h>
#include <kestrel/core/ListFile.h>
#include <kestrel/core/ListMessages.h>
#include <kestrel/core/ParameterNumbers.h>
#include <kestrel/core/ValueDisplay.h>
#include <kestrel/core/ValueEntry.h>
#include <kestrel/core/WorkFileReader.h>
#include <platform/ProcessLauncher.h>

#include <cstdio>

namespace kestrel {

namespace {

using platform::MsgAnswer;
using platform::MsgButtons;
using platform::MsgIcon;
using platform::showMessage;

// Records are the same parameter in both versions when their definition
// part (limits, decimals, default, further data, attribute word, end byte)
// is the same; names may differ.
bool sameDefinition(const TvkRecord& a, const TvkRecord& b)
{
    return a.bytes().substr(TvkRecord::kMinimumOffset, 22) == b.bytes().substr(TvkRecord::kMinimumOffset, 22);
}

std::uint16_t newFileValue(const TvkRecord& target)
{
    return target.number() == param::kSoftwareVersion.number() ? target.value() : target.defaultValue();
}

void describeSide(ConversionSide& side, const TvkRecord* rec, std::uint16_t value, bool hasValue)
{
    side.present = rec != nullptr;
    if (!rec) return;
    side.maximum = displayValue(*rec, static_cast<std::uint16_t>(rec->maximum()));
    side.minimum = displayValue(*rec, static_cast<std::uint16_t>(rec->minimum()));
    side.setValue = hasValue ? displayValue(*rec, value) : std::string();
    side.defaultValue = displayValue(*rec, rec->defaultValue());
    side.unit = unitText(*rec);
    side.type = std::string(accessCategory(*rec));
}

}  // namespace

ListConversion::ListConversion(std::string installDir, ConversionSource source, Ask ask, ShowList showList)
    : installDir_(std::move(installDir)), source_(std::move(source)), ask_(std::move(ask)),
      showList_(std::move(showList)),
      sourceVersion_(CDatabase::versionText(source_.databaseFileName))
{
}

std::optional<std::string> ListConversion::chooseNewFile(const std::optional<std::string>& preset)
{
    show(msg::kProvideFileName);
    auto path = preset;
    if (!path) path = platform::askFile(listFileDialog(installDir_, source_.kind, true));
    if (!path) return std::nullopt;
    if (*path == source_.filePath) {
        show(msg::kConversionSameFile);
        return std::nullopt;
    }
    if (fileExists(*path) &&
        show(msg::kConversionOverwrite, MsgButtons::YesNo) != MsgAnswer::Yes)
        return std::nullopt;
    if (CWorkFile(CWorkFile::pathFor(*path, source_.kind)).exists()) {
        show(msg::kConversionOpenFile);
        return std::nullopt;
    }
    return path;
}

std::optional<OpenedList> ListConversion::run(const std::string& targetVersion,
                                              const std::optional<std::string>& presetNewPath)
{
    const std::string targetName = CDatabase::fileNameForVersion(targetVersion);
    if (targetName == source_.databaseFileName) {
        show(msg::kConversionNotRequired);
        return std::nullopt;
    }
    targetVersion_ = "A" + targetVersion;
    targetDatabase_ = installDir_ + targetName;
    const auto path = chooseNewFile(presetNewPath);
    if (!path) return std::nullopt;
    newPath_ = *path;
    targetExisted_ = fileExists(newPath_);
    reportPath_ = listDirectory(installDir_, source_.kind) + "/Report.txt";
    report_.emplace(source_.filePath, sourceVersion_, newPath_, targetVersion_);
    if (targetName.empty() || !writeFiles(false)) {
        discardFiles();
        show(msg::writeFailed(newPath_));
        return std::nullopt;
    }
    firstPass();
    const Outcome outcome = secondPass();
    if (outcome != Outcome::Done) {
        discardFiles();
        if (outcome == Outcome::DatabaseCorrupt) show(msg::kListDatabaseCorrupt);
        show(msg::kConversionTerminated);
        return std::nullopt;
    }
    if (!writeFiles(true)) {
        discardFiles();
        show(msg::writeFailed(newPath_));
        return std::nullopt;
    }
    auto opened = openListFile(installDir_, source_.kind, newPath_);
    // The new list's window comes first, the report over it.
    if (opened && showList_) showList_(*opened);
    showReport();
    return opened;
}

void ListConversion::firstPass()
{
    // A parameter file gets every record of the target version; a custom
    // list only its own numbers that the target version holds.
    records_.clear();
    recordIndex_.clear();
    DatabaseReader target(targetDatabase_);
    const auto keep = [&](const TvkRecord& rec) {
        recordIndex_[rec.number()] = records_.size();
        records_.emplace_back(rec.number(), newFileValue(rec));
    };
    if (source_.kind == ListKind::CustomList) {
        for (WorkFileReader w(source_.workPath); w.atRecord(); w.advance())
            if (target.seekForward(w.record().number())) keep(target.record());
    } else {
        for (; target.atRecord(); target.advance()) keep(target.record());
    }
}

ListConversion::Outcome ListConversion::secondPass()
{
    work_.emplace(source_.workPath);
    return source_.kind == ListKind::CustomList ? walkCustomList() : walkParameterFile();
}

ListConversion::Outcome ListConversion::walkParameterFile()
{
    DatabaseReader t(targetDatabase_);
    DatabaseReader s(installDir_ + source_.databaseFileName);
    Outcome outcome = Outcome::Done;
    while (outcome == Outcome::Done && (t.atRecord() || s.atRecord())) {
        if (t.atRecord() && s.atRecord() && t.record().number() == s.record().number()) {
            if (sameDefinition(t.record(), s.record())) {
                if (const auto v = sourceValue(t.record().number())) carryOver(t.record().number(), *v);
            } else {
                outcome = handleCase(ConversionCase::NotIdentical, &s.record(), &t.record());
            }
            t.advance();
            s.advance();
        } else if (t.atRecord() && (!s.atRecord() || t.record().number() < s.record().number())) {
            outcome = handleCase(ConversionCase::NewParameter, nullptr, &t.record());
            t.advance();
        } else {
            outcome = handleCase(ConversionCase::NotFound, &s.record(), nullptr);
            s.advance();
        }
    }
    const bool damaged =
        t.state() == DatabaseReader::State::Corrupt || s.state() == DatabaseReader::State::Corrupt;
    return outcome == Outcome::Done && damaged ? Outcome::DatabaseCorrupt : outcome;
}

ListConversion::Outcome ListConversion::walkCustomList()
{
    DatabaseReader t(targetDatabase_);
    DatabaseReader s(installDir_ + source_.databaseFileName);
    for (WorkFileReader& w = *work_; w.atRecord(); w.advance()) {
        const auto number = w.record().number();
        if (!s.seekForward(number)) continue;  // the list was checked against its database
        Outcome outcome = Outcome::Done;
        if (!t.seekForward(number))
            outcome = handleCase(ConversionCase::NotFound, &s.record(), nullptr);
        else if (sameDefinition(t.record(), s.record()))
            carryOver(number, w.record().value());
        else
            outcome = handleCase(ConversionCase::NotIdentical, &s.record(), &t.record());
        if (outcome != Outcome::Done) return outcome;
    }
    const bool damaged =
        t.state() == DatabaseReader::State::Corrupt || s.state() == DatabaseReader::State::Corrupt;
    return damaged ? Outcome::DatabaseCorrupt : Outcome::Done;
}

void ListConversion::carryOver(std::uint16_t number, std::uint16_t value)
{
    // The new file names the target's software version, whatever the source said.
    if (number == param::kSoftwareVersion.number()) return;
    if (const auto it = recordIndex_.find(number); it != recordIndex_.end()) records_[it->second].setValue(value);
}

std::optional<std::uint16_t> ListConversion::sourceValue(std::uint16_t number)
{
    if (work_ && work_->seekForward(number)) return work_->record().value();
    return std::nullopt;
}

ListConversion::Outcome ListConversion::handleCase(ConversionCase kind, const TvkRecord* source,
                                                   const TvkRecord* target)
{
    const std::uint16_t number = source ? source->number() : target->number();
    // Positions the source values at this number for the question, too.
    const long listValue = source ? sourceValue(number).value_or(-1L) : -1L;  // -1: not listed
    ConversionQuestion q = question(kind, source, target);
    // Case 1 proposes the target default, case 3 the value the list had.
    std::uint16_t proposed = target ? newFileValue(*target) : 0;
    if (kind == ConversionCase::NotIdentical && listValue >= 0) proposed = static_cast<std::uint16_t>(listValue);
    if (target) q.entry = displayValue(*target, proposed);
    bool aborted = false;
    const auto value = askValue(std::move(q), target, proposed, aborted);
    if (aborted) return Outcome::Aborted;
    if (value) {
        if (const auto it = recordIndex_.find(number); it != recordIndex_.end()) records_[it->second].setValue(*value);
    }
    report_->add(number, kind);
    return Outcome::Done;
}

std::optional<std::uint16_t> ListConversion::askValue(ConversionQuestion q, const TvkRecord* target,
                                                      std::uint16_t proposed, bool& aborted)
{
    for (;;) {
        const ConversionAnswer a = ask_(q);
        // Asked again, the dialog shows what the user typed, not the proposal.
        q.entry = a.entry;
        if (a.abort) {
            if (show(msg::kEndConversion, MsgButtons::OkCancel) ==
                MsgAnswer::Ok) {
                aborted = true;
                return std::nullopt;
            }
            continue;
        }
        if (!q.asksValue || !target) return std::nullopt;
        if (target->isViewOnly()) return proposed;
        const EntryResult r = checkEntry(*target, a.entry);
        if (r.accepted()) return r.value;
        show(*r.notice);
    }
}

ConversionQuestion ListConversion::question(ConversionCase kind, const TvkRecord* source,
                                            const TvkRecord* target) const
{
    ConversionQuestion q;
    q.kind = kind;
    q.heading = "List Conversion from " + sourceVersion_ + "  to  " + targetVersion_;
    const TvkRecord& named = target ? *target : *source;
    q.parameter = formatHex4(named.number()) + " - " + named.name();
    switch (kind) {
    case ConversionCase::NewParameter: q.caseText = "\n\nThis is a new parameter in version " + targetVersion_; break;
    case ConversionCase::NotFound: q.caseText = "\n\nThis parameter was not found in version " + targetVersion_; break;
    case ConversionCase::NotIdentical: q.caseText = "\n\nThis parameter is not identical in both versions !"; break;
    }
    q.asksValue = kind != ConversionCase::NotFound;
    if (q.asksValue) q.caseText += "\nPlease enter a value for this parameter.";
    q.source.file = source_.filePath;
    q.source.version = sourceVersion_;
    q.target.file = newPath_;
    q.target.version = targetVersion_;
    // The source's set value is the list's value; the work reader stands
    // on the record of this number when the list holds it.
    const bool listed = work_ && work_->atRecord() && work_->record().number() == named.number();
    describeSide(q.source, source, listed ? work_->record().value() : 0, listed);
    describeSide(q.target, target, target ? newFileValue(*target) : 0, target != nullptr);
    if (target) {
        q.hexadecimal = target->isHexadecimal();
        q.defaultEntry = displayValue(*target, target->defaultValue());
    }
    return q;
}

bool ListConversion::writeFiles(bool finished)
{
    const std::string versionText = targetVersion_;
    // A file the user agreed to overwrite is replaced only by the finished
    // list, so an abort or a failure leaves it as it was.
    if (!finished)
        return (targetExisted_ || replaceFileBytes(newPath_, ListFile::header(versionText))) &&
               replaceFileBytes(reportPath_, report_->text());
    std::string body;
    for (const auto& r : records_) body += r.serialise();
    return replaceFileBytes(newPath_, ListFile::bytes(versionText, body)) &&
           replaceFileBytes(reportPath_, report_->finished());
}

void ListConversion::discardFiles()
{
    if (!targetExisted_) (void)std::remove(newPath_.c_str());
    (void)std::remove(reportPath_.c_str());
}

void ListConversion::showReport()
{
    if (platform::openTextViewer(reportPath_) > 31) return;
    show(msg::kNotepadMissing);
    show(msg::kReportCreated);
}

}  // namespace kestrel
