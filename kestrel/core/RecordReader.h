#pragma once
// Walks a file of fixed-size records from a position, one record at a time,
// keeping nothing but the record under the cursor. The walk ends at the end
// of the file or at the number "END\0" where the next record's number would
// stand (the end mark of a database, the trailer of a list file).
//
// RecordType supplies kSize, kNumberOffset, parse(bytes) and number().
#include <kestrel/core/TvkRecord.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>

namespace kestrel {

template <class RecordType>
class RecordReader {
public:
    enum class State {
        Record,      // record() is the record under the cursor
        End,         // end of file, or the "END" number
        Corrupt,     // a record is cut short or not readable
        Unreadable,  // the file could not be opened
    };

    // Opens the file, positions at `offset` and reads the first record.
    explicit RecordReader(const std::string& path, std::size_t offset = 0) : in_(path, std::ios::binary)
    {
        if (!in_) return;
        if (!in_.seekg(static_cast<std::streamoff>(offset))) {
            state_ = State::Corrupt;
            return;
        }
        readRecord();
    }

    State state() const { return state_; }
    bool atRecord() const { return state_ == State::Record; }
    const RecordType& record() const { return record_; }
    // Position of the record under the cursor, counted from 0.
    std::size_t index() const { return index_; }
    // The walk ended at the "END" number, not merely at the end of the file.
    bool endMarked() const { return endMarked_; }

    void advance()
    {
        if (state_ == State::Record) readRecord();
    }

    // Reads forward to the record numbered `number`; true when it is there.
    // The files are sorted by number, so the walk stops at the first larger
    // number and leaves that record under the cursor for the next search.
    bool seekForward(std::uint16_t number)
    {
        while (state_ == State::Record && record_.number() < number) advance();
        return state_ == State::Record && record_.number() == number;
    }

private:
    void readRecord()
    {
        if (started_) ++index_;
        started_ = true;
        std::string bytes(RecordType::kSize, '\0');
        in_.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        const auto got = static_cast<std::size_t>(in_.gcount());
        bytes.resize(got);
        constexpr std::size_t endAt = RecordType::kNumberOffset;
        if (got == 0 || (got >= endAt + 4 && std::string_view(bytes).substr(endAt, 4) == TvkRecord::kEndNumber)) {
            state_ = got == 0 && !in_.eof() ? State::Corrupt : State::End;
            endMarked_ = got != 0;
            return;
        }
        const auto record = RecordType::parse(bytes);
        if (!record) {
            state_ = State::Corrupt;
            return;
        }
        record_ = *record;
        state_ = State::Record;
    }

    std::ifstream in_;
    State state_ = State::Unreadable;
    RecordType record_;
    std::size_t index_ = 0;
    bool started_ = false;
    bool endMarked_ = false;
};

}  // namespace kestrel
