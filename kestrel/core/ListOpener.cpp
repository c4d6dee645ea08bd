#include <kestrel/core/ListOpener.h>

#include <kestrel/core/CDatabase.h>
#include <kestrel/core/ListDialogs.h>
#include <kestrel/core/ListFile.h>
#include <kestrel/core/ListMessages.h>

namespace kestrel {

namespace {

const platform::Notice& corruptFile(ListKind kind)
{
    return kind == ListKind::CustomList ? msg::kCustomFileCorrupt : msg::kParameterFileCorrupt;
}

const platform::Notice& corruptDatabase(ListKind kind)
{
    return kind == ListKind::CustomList ? msg::kFileDatabaseCorrupt : msg::kListDatabaseCorrupt;
}

}  // namespace

std::optional<CheckedList> checkListForOpening(const std::string& installDir, const std::string& path,
                                               ListKind kind)
{
    if (CWorkFile(CWorkFile::pathFor(path, kind)).exists()) {
        show(msg::kAlreadyConnected);
        return std::nullopt;
    }
    const auto version = ListFile::readVersion(path);
    if (!version) {
        show(corruptFile(kind));
        return std::nullopt;
    }
    const std::string dbName = CDatabase::fileNameForVersion(*version);
    if (dbName.empty() || !CDatabase(installDir + dbName).exists()) {
        show(msg::noDatabase(kind));
        return std::nullopt;
    }
    const auto checked = ListFile::check(path, installDir + dbName, kind);
    switch (checked.result) {
    case ListFile::Check::Ok: return CheckedList{dbName, checked.records};
    case ListFile::Check::DatabaseCorrupt: show(corruptDatabase(kind)); break;
    default: show(corruptFile(kind)); break;
    }
    return std::nullopt;
}

std::optional<OpenedList> openListFile(const std::string& installDir, ListKind kind,
                                       const std::optional<std::string>& presetPath)
{
    std::string path;
    if (presetPath) {
        path = *presetPath;
    } else {
        const auto chosen = platform::askFile(listFileDialog(installDir, kind, false));
        if (!chosen) return std::nullopt;
        path = *chosen;
    }
    if (!ListFile::hasExtension(path, kind)) {
        show(msg::kInvalidFile);
        return std::nullopt;
    }
    const auto checked = checkListForOpening(installDir, path, kind);
    if (!checked) return std::nullopt;
    const auto body = ListFile::readBody(path, checked->records);
    const CWorkFile work(CWorkFile::pathFor(path, kind));
    if (!body || !work.create(*body)) {
        (void)work.remove();
        show(msg::writeFailed(work.path()));
        return std::nullopt;
    }
    return OpenedList{kind, path, work.path(), checked->databaseFileName};
}

}  // namespace kestrel
