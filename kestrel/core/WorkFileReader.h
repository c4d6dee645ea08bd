#pragma once
// Walks 10-byte records from a position in a file: a working file from its
// start, or the record part of a parameter file or custom list from offset
// 44, where the number "END\0" closes the records.
#include <kestrel/core/WorkRecord.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

namespace kestrel {

class WorkFileReader {
public:
    enum class State {
        Record,      // record() is the record under the cursor
        End,         // end of file, or the "END" number of a list file
        Corrupt,     // a record is cut short, not hexadecimal or not CR LF-terminated
        Unreadable,  // the file could not be opened
    };

    // Opens the file, positions at `offset` and reads the first record.
    explicit WorkFileReader(const std::string& path, std::size_t offset = 0);

    State state() const { return state_; }
    bool atRecord() const { return state_ == State::Record; }
    const WorkRecord& record() const { return record_; }
    std::size_t index() const { return index_; }
    // The walk ended at the "END" number (a list file's trailer), not merely
    // at the end of the file.
    bool endMarked() const { return endMarked_; }

    void advance();
    // Forward to the record numbered `number` (records ascend); true when found.
    bool seekForward(std::uint16_t number);

private:
    void readRecord();

    std::ifstream in_;
    State state_ = State::Unreadable;
    WorkRecord record_;
    std::size_t index_ = 0;
    bool started_ = false;
    bool endMarked_ = false;
};

}  // namespace kestrel
