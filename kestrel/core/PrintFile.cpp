#include <kestrel/core/PrintFile.h>

#include <kestrel/core/CDatabase.h>
#include <kestrel/core/CWorkFile.h>
#include <kestrel/core/CustomListEditor.h>
#include <kestrel/core/DatabaseReader.h>
#include <kestrel/core/FileBytes.h>
#include <kestrel/core/HexText.h>
#include <kestrel/core/ListFile.h>
#include <kestrel/core/ListMessages.h>
#include <kestrel/core/ParameterNumbers.h>
#include <kestrel/core/ValueDisplay.h>
#include <kestrel/core/WorkFileReader.h>
#include <platform/ProcessLauncher.h>

#include <cstdio>
#include <ctime>

namespace kestrel {

namespace {

const std::string kCrLf = "\r\n";
const std::string kSeparator = "     \t                   \t                    \r\n";
const std::string kColumns = " NO  \t    PARAMETER      \t    SET VALUE       \r\n";

std::string fit(std::string_view text, std::size_t width) { return std::string(text.substr(0, width)); }

std::string padUnit(std::string_view unit)
{
    std::string u(unit.substr(0, 7));
    u.resize(7, ' ');
    return u;
}

std::string headerLine(std::string_view label, std::string_view value)
{
    std::string line = " \t" + std::string(label);
    line.resize(29, ' ');
    return line + "\t" + std::string(value) + kCrLf;
}

// The value as printed: 4 digits for hexadecimal parameters, else the
// scaled integer with "%5ld" or the decimals.
std::string printValue(const TvkRecord& rec, std::uint16_t value)
{
    if (rec.isHexadecimal()) return formatHex4(value);
    const long v = scaledValue(rec, value);
    char buf[48];
    static constexpr float kFactors[] = {1.0f, 0.1f, 0.01f, 0.001f};
    const int d = rec.decimals();
    if (d == 0)
        std::snprintf(buf, sizeof buf, "%5ld", v);
    else
        std::snprintf(buf, sizeof buf, "%0.*f", d, static_cast<double>(static_cast<float>(v) * kFactors[d]));
    return buf;
}

std::string groupLines(std::string_view title) { return kSeparator + printLine("", title, "", "") + kSeparator; }

bool writeAndShow(const std::string& path, const std::string& text)
{
    if (!replaceFileBytes(path, text)) {
        show(msg::writeFailed(path));
        return false;
    }
    if (platform::openTextViewer(path) <= 31) {
        show(msg::kNotepadMissing);
        show(msg::printFileCreated(path));
    }
    return true;
}

}  // namespace

PrintStamp PrintStamp::now()
{
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    if (!localtime_r(&t, &tm)) return {};
    return {tm.tm_mday, tm.tm_mon + 1, tm.tm_year + 1900, tm.tm_hour, tm.tm_min};
}

std::string printHeaderBlock(const PrintHeader& h, const PrintStamp& s, bool dateHint)
{
    char buf[64];
    std::string block = headerLine("FileName", h.filePath);
    block += headerLine("Inverter Address", h.address.empty() ? "--" : h.address);
    block += headerLine("Inverter Name", h.deviceName.empty() ? "--" : h.deviceName);
    block += headerLine("SIO Software Version", kPcVersion);
    std::snprintf(buf, sizeof buf, "%0.2f", h.softwareVersion.value_or(0) * 0.01);
    block += headerLine("Inverter Software Version", buf);
    std::string power = "--";
    if (h.ratedPower && *h.ratedPower != 0) {
        std::snprintf(buf, sizeof buf, "%0.2f  kW", *h.ratedPower * 0.01);
        power = buf;
    }
    block += headerLine("Rated Power", power);
    std::snprintf(buf, sizeof buf, dateHint ? "%d.%d.%d   (dd.mm.yyyy)" : "%d.%d.%d", s.day, s.month, s.year);
    block += headerLine("Date", buf);
    std::snprintf(buf, sizeof buf, "%d:%.2d", s.hour, s.minute);
    block += headerLine("Time", buf);
    return block + kSeparator + kColumns;
}

std::string printLine(std::string_view no, std::string_view name, std::string_view value, std::string_view unit,
                      bool leftUnit)
{
    char buf[96];
    std::snprintf(buf, sizeof buf, leftUnit ? "%4s \t %-17s \t %9s  %-7s %s" : "%4s \t %-17s \t %9s  %7s %s",
                  fit(no, 4).c_str(), fit(name, 17).c_str(), fit(value, 9).c_str(), padUnit(unit).c_str(),
                  kCrLf.c_str());
    return buf;
}

std::string listPrintText(const std::string& workPath, const std::string& databasePath, const PrintHeader& header,
                          const PrintStamp& stamp)
{
    std::string text = printHeaderBlock(header, stamp, true);
    DatabaseReader db(databasePath);
    for (WorkFileReader w(workPath); w.atRecord(); w.advance()) {
        const WorkRecord& r = w.record();
        if (!db.seekForward(r.number())) continue;
        const TvkRecord& rec = db.record();
        if (rec.isGroupHeader())
            text += groupLines(rec.name());
        else
            text += printLine(r.numberText(), rec.name(), printValue(rec, r.value()), padUnit(unitText(rec)));
    }
    return text;
}

std::string listPrintPath(std::string_view workPath)
{
    const auto dot = workPath.rfind('.');
    return std::string(workPath.substr(0, dot)) + ".txt";
}

bool printList(const std::string& workPath, const std::string& databasePath, const std::string& filePath,
               const std::string& address, const std::string& deviceName, const PrintStamp& stamp)
{
    const CWorkFile work(workPath);
    const PrintHeader header{filePath, address, deviceName, work.findValue(param::kSoftwareVersion.number()),
                             work.findValue(param::kRatedPower.number())};
    return writeAndShow(listPrintPath(workPath), listPrintText(workPath, databasePath, header, stamp));
}

namespace {

std::optional<std::uint16_t> storedValue(const std::string& listPath, std::uint16_t number)
{
    if (listPath.empty()) return std::nullopt;
    for (WorkFileReader r(listPath, ListFile::kHeaderSize); r.atRecord(); r.advance())
        if (r.record().number() == number) return r.record().value();
    return std::nullopt;
}

}  // namespace

std::string customPrintText(const CustomListEditor& editor, const PrintStamp& stamp)
{
    PrintHeader header;
    header.filePath = editor.path();
    header.ratedPower = storedValue(editor.path(), param::kRatedPower.number());
    header.softwareVersion = storedValue(editor.path(), param::kSoftwareVersion.number());
    if (!header.softwareVersion) {
        // Not saved yet: the version the list is made for ("12.34" prints 12.34).
        const std::string digits = CDatabase::versionDigits(editor.databaseFileName());
        if (!digits.empty()) header.softwareVersion = static_cast<std::uint16_t>(std::stoi(digits));
    }
    std::string text = printHeaderBlock(header, stamp, false);
    for (const auto& row : editor.customRows())
        text += printLine(row.no, row.parameter, row.value, row.unit, true);
    return text;
}

std::string customPrintPath(const std::string& installDir, const CustomListEditor& editor)
{
    const std::string& path = editor.path();
    if (path.size() < 3) return installDir + "/custom/Untitled.txt";
    return path.substr(0, path.size() - 3) + "txt";
}

bool printCustomList(const std::string& installDir, const CustomListEditor& editor, const PrintStamp& stamp)
{
    return writeAndShow(customPrintPath(installDir, editor), customPrintText(editor, stamp));
}

}  // namespace kestrel
