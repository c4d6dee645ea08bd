// A database file from the fuzzer, walked the way the list operations walk
// it: counted, searched, listed group by group over a working file built
// from it, printed, and offered in the custom list editor.
#include "FuzzTargets.h"

#include <kestrel/core/CDatabase.h>
#include <kestrel/core/CWorkFile.h>
#include <kestrel/core/CustomListEditor.h>
#include <kestrel/core/DatabaseReader.h>
#include <kestrel/core/ParameterList.h>
#include <kestrel/core/ParameterNumbers.h>
#include <kestrel/core/PrintFile.h>

#include <algorithm>
#include <vector>

namespace kestrel::fuzz {

void tvkDatabase(std::string_view bytes)
{
    const std::string& dir = scratchDir();
    const std::string path = dir + "/tvk/RQ-1234.tvk";
    writeFile(path, bytes);
    (void)TvkRecord::parse(bytes.substr(0, std::min<std::size_t>(bytes.size(), TvkRecord::kSize)));
    (void)TvkRecord::fromBlockReply(bytes.substr(0, std::min<std::size_t>(bytes.size(), TvkRecord::kReplySize)));

    const CDatabase db(path);
    (void)db.isComplete();
    const std::size_t count = db.recordCount();
    (void)db.groupCount();
    for (std::size_t i = 0; i < std::min<std::size_t>(count, 8); ++i)
        if (const auto rec = db.recordAt(i)) (void)db.find(rec->number());
    (void)db.find(param::kParameterSet.number());

    std::vector<WorkRecord> work;
    for (DatabaseReader r(path); r.atRecord() && work.size() < 4096; r.advance())
        work.emplace_back(r.record().number(), r.record().value());
    const CWorkFile workFile(dir + "/parameter/List-1.~pa");
    if (!workFile.create(work)) return;
    for (ListKind kind : {ListKind::ParameterFile, ListKind::CustomList}) {
        const ParameterList list(path, workFile.path(), kind);
        for (int g : list.tabGroups()) (void)list.fillGroup(g);
        (void)list.parameterSet();
    }
    (void)listPrintText(workFile.path(), path, PrintHeader{}, PrintStamp{});
    (void)CustomListEditor::create(dir, "12.34");
    (void)workFile.remove();
}

}  // namespace kestrel::fuzz
