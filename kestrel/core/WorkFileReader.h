#pragma once
// Walks 10-byte records from a position in a file: a working file from its
// start, or the record part of a parameter file or custom list from offset
// 44, where the number "END\0" closes the records.
#include <kestrel/core/RecordReader.h>
#include <kestrel/core/WorkRecord.h>

namespace kestrel {

using WorkFileReader = RecordReader<WorkRecord>;

}  // namespace kestrel
