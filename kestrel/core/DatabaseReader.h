#pragma once
// Walks a database file from its start, one 48-byte record at a time, the
// way every list operation reads it: nothing of the database is kept beyond
// the record under the cursor. The walk ends at the end mark (" END\0") or
// at the end of the file (an upload that stopped early leaves no end mark).
#include <kestrel/core/RecordReader.h>
#include <kestrel/core/TvkRecord.h>

namespace kestrel {

using DatabaseReader = RecordReader<TvkRecord>;

}  // namespace kestrel
