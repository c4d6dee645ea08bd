#include <kestrel/core/ListFile.h>

#include <kestrel/core/DatabaseReader.h>
#include <kestrel/core/FileBytes.h>
#include <kestrel/core/ParameterNumbers.h>
#include <kestrel/core/WorkFileReader.h>

#include <cctype>
#include <filesystem>
#include <fstream>

namespace kestrel {

std::string ListFile::header(std::string_view versionText)
{
    std::string pc = "PC : " + std::string(kPcVersion);
    pc.resize(29, '\0');
    return pc + "\r\nINV: " + std::string(versionText) + "\r\n";
}

std::string ListFile::bytes(std::string_view versionText, std::string_view body)
{
    return header(versionText) + std::string(body) + std::string(kTrailer);
}

namespace {

std::optional<std::string> readAt(const std::string& path, std::size_t offset, std::size_t size)
{
    std::ifstream in(path, std::ios::binary);
    if (!in || !in.seekg(static_cast<std::streamoff>(offset))) return std::nullopt;
    std::string text(size, '\0');
    if (!in.read(text.data(), static_cast<std::streamsize>(size))) return std::nullopt;
    return text;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The fixed parts of the header: a flipped byte there means the file is not
// what it claims to be, however good its records look.
bool headerOk(const std::string& path)
{
    const auto h = readAt(path, 0, ListFile::kHeaderSize);
    if (!h || h->compare(0, 5, "PC : ") != 0 || h->compare(29, 2, "\r\n") != 0 || h->compare(31, 6, "INV: A") != 0
        || h->compare(42, 2, "\r\n") != 0)
        return false;
    const std::string_view v = std::string_view(*h).substr(ListFile::kVersionOffset, 5);
    return isDigit(v[0]) && isDigit(v[1]) && v[2] == '.' && isDigit(v[3]) && isDigit(v[4]);
}

// The records end in "END", its zero byte and CR LF, and nothing follows.
bool trailerOk(const std::string& path, std::size_t records)
{
    const std::size_t at = ListFile::kHeaderSize + records * WorkRecord::kSize;
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec || size != at + ListFile::kTrailer.size()) return false;
    const auto trailer = readAt(path, at, ListFile::kTrailer.size());
    return trailer && *trailer == ListFile::kTrailer;
}

ListFile::CheckResult checkParameterFile(DatabaseReader& db, WorkFileReader& file)
{
    std::size_t records = 0;
    // The two run in lockstep; the file ends exactly where the database does.
    for (;; db.advance(), file.advance()) {
        if (db.state() == DatabaseReader::State::Corrupt) return {ListFile::Check::DatabaseCorrupt, records};
        if (file.state() == WorkFileReader::State::Corrupt) return {ListFile::Check::FileCorrupt, records};
        const bool dbEnd = !db.atRecord();
        const bool fileEnd = !file.atRecord();
        if (dbEnd || fileEnd) {
            // A file without its "END" trailer is cut short.
            const bool ok = dbEnd && fileEnd && file.endMarked();
            return {ok ? ListFile::Check::Ok : ListFile::Check::FileCorrupt, records};
        }
        if (db.record().number() != file.record().number()) return {ListFile::Check::FileCorrupt, records};
        ++records;
    }
}

ListFile::CheckResult checkCustomList(DatabaseReader& db, WorkFileReader& file)
{
    std::size_t records = 0;
    bool version = false, set = false;
    for (; file.atRecord(); file.advance()) {
        const auto number = file.record().number();
        const bool found = db.seekForward(number);
        if (db.state() == DatabaseReader::State::Corrupt) return {ListFile::Check::DatabaseCorrupt, records};
        if (!found) return {ListFile::Check::FileCorrupt, records};
        // Each number once: the next one must come later in the database.
        db.advance();
        version = version || number == param::kSoftwareVersion.number();
        set = set || number == param::kParameterSet.number();
        ++records;
    }
    if (!file.endMarked()) return {ListFile::Check::FileCorrupt, records};
    return {version && set ? ListFile::Check::Ok : ListFile::Check::MissingDefaults, records};
}

}  // namespace

std::optional<std::string> ListFile::readVersion(const std::string& path)
{
    return readAt(path, kVersionOffset, 5);
}

std::optional<std::string> ListFile::readVersionText(const std::string& path)
{
    return readAt(path, kVersionTextOffset, 6);
}

ListFile::CheckResult ListFile::check(const std::string& path, const std::string& databasePath, ListKind kind)
{
    DatabaseReader db(databasePath);
    WorkFileReader file(path, kHeaderSize);
    if (db.state() == DatabaseReader::State::Unreadable || file.state() == WorkFileReader::State::Unreadable)
        return {Check::Unreadable, 0};
    if (!headerOk(path)) return {Check::FileCorrupt, 0};
    CheckResult r = kind == ListKind::CustomList ? checkCustomList(db, file) : checkParameterFile(db, file);
    if (r.result != Check::DatabaseCorrupt && r.result != Check::Unreadable && !trailerOk(path, r.records))
        r.result = Check::FileCorrupt;
    return r;
}

std::optional<std::string> ListFile::readBody(const std::string& path, std::size_t records)
{
    return readAt(path, kHeaderSize, records * WorkRecord::kSize);
}

bool ListFile::hasExtension(std::string_view path, ListKind kind)
{
    const std::string_view want = kind == ListKind::CustomList ? ".ctm" : ".par";
    if (path.size() < want.size()) return false;
    const auto tail = path.substr(path.size() - want.size());
    for (std::size_t i = 0; i < want.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(tail[i])) != want[i]) return false;
    return true;
}

}  // namespace kestrel
