#include <kestrel/core/WorkFileReader.h>

#include <kestrel/core/TvkRecord.h>

namespace kestrel {

WorkFileReader::WorkFileReader(const std::string& path, std::size_t offset)
    : in_(path, std::ios::binary)
{
    if (!in_) return;
    if (!in_.seekg(static_cast<std::streamoff>(offset))) {
        state_ = State::Corrupt;
        return;
    }
    readRecord();
}

void WorkFileReader::advance()
{
    if (state_ != State::Record) return;
    readRecord();
}

bool WorkFileReader::seekForward(std::uint16_t number)
{
    while (state_ == State::Record && record_.number() < number) advance();
    return state_ == State::Record && record_.number() == number;
}

void WorkFileReader::readRecord()
{
    if (started_) ++index_;
    started_ = true;
    std::string bytes(WorkRecord::kSize, '\0');
    in_.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    const auto got = static_cast<std::size_t>(in_.gcount());
    bytes.resize(got);
    if (got == 0 && in_.eof()) {
        state_ = State::End;
        return;
    }
    if (got >= 4 && std::string_view(bytes).substr(0, 4) == TvkRecord::kEndNumber) {
        state_ = State::End;
        endMarked_ = true;
        return;
    }
    const auto record = WorkRecord::parse(bytes);
    if (!record) {
        state_ = State::Corrupt;
        return;
    }
    record_ = *record;
    state_ = State::Record;
}

}  // namespace kestrel
