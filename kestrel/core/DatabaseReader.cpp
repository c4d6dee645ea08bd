#include <kestrel/core/DatabaseReader.h>

namespace kestrel {

DatabaseReader::DatabaseReader(const std::string& path) : in_(path, std::ios::binary)
{
    if (!in_) return;
    readRecord();
}

void DatabaseReader::advance()
{
    if (state_ != State::Record) return;
    readRecord();
}

bool DatabaseReader::seekForward(std::uint16_t number)
{
    while (state_ == State::Record && record_.number() < number) advance();
    return state_ == State::Record && record_.number() == number;
}

void DatabaseReader::readRecord()
{
    if (started_) ++index_;
    started_ = true;
    std::string bytes(TvkRecord::kSize, '\0');
    in_.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    const auto got = static_cast<std::size_t>(in_.gcount());
    bytes.resize(got);
    if (got == 0 && in_.eof()) {
        state_ = State::End;
        return;
    }
    // The end mark sits where the next record would start; a reader that
    // skips the marker byte sees "END\0" as the next number.
    if (got >= 5 && std::string_view(bytes).substr(1, 4) == TvkRecord::kEndNumber) {
        state_ = State::End;
        return;
    }
    const auto record = TvkRecord::parse(bytes);
    if (!record) {
        state_ = State::Corrupt;
        return;
    }
    record_ = *record;
    state_ = State::Record;
}

}  // namespace kestrel
