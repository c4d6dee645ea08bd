// A .par or .ctm file from the fuzzer, checked against a fixed database: what
// passes the checks is opened into a list document and shown tab by tab,
// every row selected and edited, then printed and compared.
#include "FuzzTargets.h"

#include <kestrel/core/CTervikDoc.h>
#include <kestrel/core/FileCompare.h>
#include <kestrel/core/ListOpener.h>
#include <kestrel/core/ParameterNumbers.h>
#include <kestrel/core/PrintFile.h>
#include <kestrel/core/TvkRecord.h>

#include <vector>

namespace kestrel::fuzz {

namespace {

TvkFields field(std::uint16_t number, const char* name, std::uint16_t attribute, int decimals, std::int16_t min,
                std::int16_t max, std::uint16_t value)
{
    TvkFields f;
    f.number = number;
    f.name = name;
    f.attribute = attribute;
    f.decimals = decimals;
    f.minimum = min;
    f.maximum = max;
    f.defaultValue = value;
    f.value = value;
    return f;
}

// Version 12.34: a header per group, decimals, scales, a hexadecimal and a
// service parameter, 00E4 and 00E9. The seeds in corpus/list_file match it.
void writeDatabase()
{
    static bool written = false;
    if (written) return;
    const std::vector<TvkFields> fields = {
        field(0x0000, "Identification", 0x0800, 0, 0, 0, 0),
        field(0x0001, "Drive type", 0x0A00, 0, 0, 100, 3),
        field(0x0010, "Basic", 0x0800, 0, 0, 0, 0),
        field(0x0013, "Accel time", 0x2001, 2, -30000, 30000, 1000),
        field(0x0014, "Control word", 0x0220, 0, -100, 0x7FFF, 0x00FF),
        field(0x0020, "Service", 0x0800, 0, 0, 0, 0),
        field(0x0021, "Trim", 0x0103, 3, -5, 5, 0),
        field(0x00E0, "System", 0x0800, 0, 0, 0, 0),
        field(param::kSoftwareVersion.number(), "Software vers.", 0x0800, 0, 0, 0x7FFF, 0x04D2),
        field(param::kParameterSet.number(), "Parameter set", 0x0040, 0, 1, 3, 1),
    };
    std::string bytes;
    for (const auto& f : fields) bytes += TvkRecord::fromFields(f).bytes();
    bytes += std::string(TvkRecord::kEndMark);
    writeFile(scratchDir() + "/tvk/RQ-1234.tvk", bytes);
    written = true;
}

void showEverything(CTervikDoc& doc)
{
    const int tabs = static_cast<int>(doc.view().tabs.size());
    for (int t = 0; t < tabs; ++t) {
        doc.selectTab(t);
        const int rows = static_cast<int>(doc.view().rows.size());
        for (int r = 0; r <= rows + 1; ++r) {
            (void)doc.selectRow(r, true);
            doc.editTextChanged("1");
            (void)doc.update();
        }
    }
    doc.stepTab(1);
    doc.tickStatus(true);
}

}  // namespace

void listFile(std::string_view bytes)
{
    if (bytes.empty()) return;
    writeDatabase();
    const std::string& dir = scratchDir();
    const ListKind kind = (bytes[0] & 1) ? ListKind::CustomList : ListKind::ParameterFile;
    const std::string path = dir + (kind == ListKind::CustomList ? "/custom/f.ctm" : "/parameter/f.par");
    writeFile(path, bytes.substr(1));

    // The compare reads a second file as stored, whatever it holds.
    const std::string db = dir + "/tvk/RQ-1234.tvk";
    (void)mergeDifferences(path, path, db);

    const auto opened = openListFile(dir, kind, path);
    if (!opened) return;
    CTervikDoc doc(dir, ListOpening{opened->kind, opened->filePath, opened->workPath, opened->databaseFileName, {}, {}});
    showEverything(doc);
    (void)listPrintText(doc.workPath(), doc.databasePath(), PrintHeader{}, PrintStamp{});
    (void)mergeDifferences(doc.workPath(), path, db);
}

}  // namespace kestrel::fuzz
