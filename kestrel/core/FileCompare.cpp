#include <kestrel/core/FileCompare.h>

#include <kestrel/core/DatabaseReader.h>
#include <kestrel/core/FormatValue.h>
#include <kestrel/core/HexText.h>
#include <kestrel/core/ListDialogs.h>
#include <kestrel/core/ListFile.h>
#include <kestrel/core/ListMessages.h>
#include <kestrel/core/ValueDisplay.h>
#include <kestrel/core/WorkFileReader.h>

namespace kestrel {

namespace {

using platform::MsgIcon;

const std::string kMissing = "--";

std::string limitText(const TvkRecord& rec, std::string_view digits)
{
    if (rec.isHexadecimal()) return std::string(digits);
    return FormatValue(digits, rec.attributeText(), rec.decimals());
}

CompareRow rowFor(const TvkRecord& rec, std::optional<std::uint16_t> v1, std::optional<std::uint16_t> v2)
{
    CompareRow row;
    row.no = formatHexShort(rec.number());
    row.parameter = rec.name();
    row.value1 = v1 ? displayValue(rec, *v1) : kMissing;
    row.value2 = v2 ? displayValue(rec, *v2) : kMissing;
    row.unit = unitText(rec);
    row.min = limitText(rec, rec.minimumText());
    row.max = limitText(rec, rec.maximumText());
    row.type = std::string(accessCategory(rec));
    return row;
}

bool checkSecond(const std::string& second, const CompareSource& source)
{
    const auto v1 = ListFile::readVersionText(source.filePath);
    const auto v2 = ListFile::readVersionText(second);
    if (!v1 || !v2 || *v1 != *v2) {
        show(msg::kVersionConflict);
        return false;
    }
    const auto checked = ListFile::check(second, source.databasePath, source.kind);
    if (checked.result == ListFile::Check::Ok) return true;
    show(checked.result == ListFile::Check::DatabaseCorrupt ? msg::kListDatabaseCorrupt
                                                             : msg::kParameterFileCorrupt);
    return false;
}

}  // namespace

std::vector<CompareRow> mergeDifferences(const std::string& workPath, const std::string& secondPath,
                                         const std::string& databasePath)
{
    std::vector<CompareRow> rows;
    WorkFileReader a(workPath);
    WorkFileReader b(secondPath, ListFile::kHeaderSize);
    DatabaseReader db(databasePath);  // read forward only: rows ascend
    const auto emit = [&](std::uint16_t number, std::optional<std::uint16_t> v1, std::optional<std::uint16_t> v2) {
        if (db.seekForward(number)) rows.push_back(rowFor(db.record(), v1, v2));
    };
    while (a.atRecord() || b.atRecord()) {
        if (a.atRecord() && b.atRecord() && a.record().number() == b.record().number()) {
            if (a.record().value() != b.record().value())
                emit(a.record().number(), a.record().value(), b.record().value());
            a.advance();
            b.advance();
        } else if (a.atRecord() && (!b.atRecord() || a.record().number() < b.record().number())) {
            emit(a.record().number(), a.record().value(), std::nullopt);
            a.advance();
        } else {
            emit(b.record().number(), std::nullopt, b.record().value());
            b.advance();
        }
    }
    return rows;
}

std::optional<CompareResult> compareFiles(const std::string& installDir, const CompareSource& source,
                                          const std::optional<std::string>& presetSecond)
{
    auto second = presetSecond;
    if (!second) {
        auto request = listFileDialog(installDir, source.kind, true);
        request.save = false;  // an open dialog that proposes "*.par" / "*.ctm"
        second = platform::askFile(request);
    }
    if (!second) return std::nullopt;
    if (!ListFile::hasExtension(*second, source.kind)) {
        show(msg::kInvalidFile);
        return std::nullopt;
    }
    if (*second == source.filePath) {
        show(msg::kSameFile);
        return std::nullopt;
    }
    if (!checkSecond(*second, source)) return std::nullopt;
    CompareResult result;
    result.rows = mergeDifferences(source.workPath, *second, source.databasePath);
    if (result.rows.empty()) {
        show(msg::identical(source.filePath, *second));
        return std::nullopt;
    }
    result.firstLine = "1. " + source.filePath;
    result.secondLine = "2. " + *second;
    result.versionLine = "Version : " + ListFile::readVersionText(source.filePath).value_or("");
    return result;
}

}  // namespace kestrel
