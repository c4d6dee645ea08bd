#pragma once
// Walks a database file from its start, one 48-byte record at a time, the
// way every list operation reads it: nothing of the database is kept beyond
// the record under the cursor. The walk ends at the end mark (" END\0") or
// at the end of the file (an upload that stopped early leaves no end mark).
#include <kestrel/core/TvkRecord.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

namespace kestrel {

class DatabaseReader {
public:
    enum class State {
        Record,      // record() is the record under the cursor
        End,         // end mark or end of file reached
        Corrupt,     // a record is cut short or not readable (damaged database)
        Unreadable,  // the file could not be opened
    };

    // Opens the file and reads its first record.
    explicit DatabaseReader(const std::string& path);

    State state() const { return state_; }
    bool atRecord() const { return state_ == State::Record; }
    const TvkRecord& record() const { return record_; }
    // Position of the record under the cursor, counted from 0.
    std::size_t index() const { return index_; }

    void advance();
    // Reads forward to the record numbered `number`; true when it is there.
    // The database is sorted by number, so the walk stops at the first larger
    // number and leaves that record under the cursor for the next search.
    bool seekForward(std::uint16_t number);

private:
    void readRecord();

    std::ifstream in_;
    State state_ = State::Unreadable;
    TvkRecord record_;
    std::size_t index_ = 0;
    bool started_ = false;
};

}  // namespace kestrel
