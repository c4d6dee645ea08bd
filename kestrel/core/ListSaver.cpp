#include <kestrel/core/ListSaver.h>

#include <kestrel/core/FileBytes.h>
#include <kestrel/core/ListDialogs.h>
#include <kestrel/core/ListFile.h>
#include <kestrel/core/ListMessages.h>

#include <cstdio>

namespace kestrel {

namespace {

using platform::MsgAnswer;
using platform::MsgButtons;
using platform::MsgIcon;

// The kind of file a list is saved into: online lists become parameter files.
ListKind fileKind(const ListDocument& doc)
{
    return doc.kind == ListKind::CustomList ? ListKind::CustomList : ListKind::ParameterFile;
}

bool writeKeepingHeader(const ListDocument& doc, const std::string& body)
{
    // The file keeps its own header; the records and the trailer follow it,
    // and a file whose old body had another length ends right after the new
    // trailer. The whole file is replaced at once, never rewritten in place.
    const auto old = readFileBytes(doc.filePath);
    if (!old || old->size() < ListFile::kHeaderSize) return false;
    return replaceFileBytes(doc.filePath,
                            old->substr(0, ListFile::kHeaderSize) + body + std::string(ListFile::kTrailer));
}

std::optional<std::string> chooseTarget(const ListDocument& doc)
{
    const auto chosen = platform::askFile(listFileDialog(doc.installDir, fileKind(doc), true));
    if (!chosen) return std::nullopt;
    if (*chosen == doc.filePath) return chosen;
    if (CWorkFile(CWorkFile::pathFor(*chosen, fileKind(doc))).exists()) {
        show(msg::kAlreadyConnected);
        return std::nullopt;
    }
    if (fileExists(*chosen) &&
        show(msg::kOverwriteQuestion, MsgButtons::YesNo) != MsgAnswer::Yes)
        return std::nullopt;
    return chosen;
}

void retitle(ListDocument& doc, bool hadFile)
{
    std::string title = doc.listTitle;
    if (!hadFile || doc.kind == ListKind::Online)
        title += " -- Addr. " + doc.address + " " + doc.deviceName;
    doc.windowTitle = title + " -- " + doc.filePath;
}

}  // namespace

SaveResult saveList(ListDocument& doc, const KeypadCheck& keypadCheck)
{
    if (doc.filePath.empty()) return saveListAs(doc, keypadCheck);
    if (doc.kind == ListKind::Online && keypadCheck) keypadCheck();
    const auto body = CWorkFile(doc.workPath).readBytes();
    if (!body || !writeKeepingHeader(doc, *body)) {
        show(msg::writeFailed(doc.filePath));
        return SaveResult::Failed;
    }
    doc.modified = false;
    show(msg::saved(doc.listTitle, "  -->  ", doc.filePath));
    return SaveResult::Saved;
}

SaveResult saveListAs(ListDocument& doc, const KeypadCheck& keypadCheck)
{
    const auto target = chooseTarget(doc);
    if (!target) return SaveResult::Cancelled;
    const bool sameFile = *target == doc.filePath;
    if (!sameFile && doc.kind == ListKind::Online && keypadCheck) keypadCheck();

    const auto body = CWorkFile(doc.workPath).readBytes();
    if (!body || !replaceFileBytes(*target, ListFile::bytes(doc.versionText, *body))) {
        show(msg::writeFailed(*target));
        return SaveResult::Failed;
    }
    const bool hadFile = !doc.filePath.empty();
    doc.modified = false;
    doc.filePath = *target;
    show(msg::saved(doc.listTitle, " -->  ", doc.filePath));

    const std::string newWork = CWorkFile::pathFor(doc.filePath, fileKind(doc));
    if (newWork != doc.workPath && std::rename(doc.workPath.c_str(), newWork.c_str()) == 0)
        doc.workPath = newWork;
    retitle(doc, hadFile);
    return SaveResult::Saved;
}

}  // namespace kestrel
