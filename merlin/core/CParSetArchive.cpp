// The parameter file (.par): byte layout, reading of the current and the older
// format, and writing (always the current format). All numbers little-endian.
#include <merlin/core/CParSet.h>
#include <merlin/core/ParFileMessages.h>

#include <platform/MessageBox.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <istream>
#include <ostream>

namespace merlin {

namespace {

constexpr char kOlderMark[] = "**********";   // ten asterisks at offset 1000
constexpr size_t kOlderMarkSize = 10;
constexpr uint32_t kMaxOlderNameLength = 120;

uint32_t Le32(const uint8_t* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void PutLe32(uint8_t* p, uint32_t v)
{
    for (int b = 0; b < 4; ++b)
        p[b] = static_cast<uint8_t>(v >> (8 * b));
}

bool ReadBytes(std::istream& in, void* to, size_t n)
{
    in.read(static_cast<char*>(to), static_cast<std::streamsize>(n));
    return static_cast<size_t>(in.gcount()) == n;
}

int Invalid(int result)
{
    platform::showMessage(kMsgInvalidParFile, platform::MsgIcon::Exclamation);
    return result;
}

std::string LowerCase(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The name as the header carries it: up to the first NUL of its length.
std::string NameFromField(const uint8_t* field, size_t length)
{
    length = std::min(length, static_cast<size_t>(CParSet::kNameFieldSize));
    const auto* end = static_cast<const uint8_t*>(std::memchr(field, 0, length));
    return std::string(reinterpret_cast<const char*>(field), end ? end - field : length);
}

}  // namespace

int CParSet::WriteHeader(std::ostream& out)
{
    std::string name = definitionName_;
    if (name.size() >= kNameFieldSize)
        name.resize(kNameFieldSize - 1);   // keep the NUL inside the field
    SetHeaderWord(0, kHeaderSize);
    SetHeaderWord(2, static_cast<uint16_t>(name.size()));
    std::memcpy(&header_[4], name.data(), name.size());
    header_[4 + name.size()] = 0;
    SetHeaderWord(128, 40);
    SetHeaderLong(132, kFormatMark);
    SetHeaderWord(136, 1);
    SetHeaderWord(138, 0);
    SetHeaderWord(140, 1);
    SetHeaderWord(142, 0);
    SetHeaderWord(168, 40);
    out.seekp(0);
    out.write(reinterpret_cast<const char*>(header_.data()), kHeaderSize);
    const char filler[kRecordsOffset - kHeaderSize] = {};
    out.write(filler, sizeof filler);
    return out.good() ? 0 : -1;
}

int CParSet::ReadHeader(std::istream& in)
{
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (!in || size < 0)
        return Invalid(kHeaderFileError);
    if (size < kOldRecordsOffset)
        return Invalid(kHeaderInvalid);
    char mark[kOlderMarkSize];
    in.seekg(kRecordsOffset);
    if (!ReadBytes(in, mark, sizeof mark))
        return Invalid(kHeaderFileError);
    in.seekg(0);
    const bool older = std::memcmp(mark, kOlderMark, kOlderMarkSize) == 0;

    std::string name;
    if (older) {
        platform::showMessage(kMsgOlderParFile, platform::MsgIcon::Information);
        uint8_t word[4];
        if (!ReadBytes(in, word, 4))
            return Invalid(kHeaderFileError);
        const uint32_t length = Le32(word);
        if (length >= kMaxOlderNameLength)
            return Invalid(kHeaderInvalid);
        name.resize(length);
        uint8_t numbers[12];
        if (!ReadBytes(in, name.data(), length) || !ReadBytes(in, numbers, sizeof numbers))
            return Invalid(kHeaderFileError);
        name = NameFromField(reinterpret_cast<const uint8_t*>(name.data()), name.size());
        SetDeviceType(static_cast<uint16_t>(Le32(numbers)));
        SetApplication(static_cast<uint16_t>(Le32(numbers + 4)));
        SetVersion(static_cast<uint16_t>(Le32(numbers + 8)));
    } else {
        std::array<uint8_t, kHeaderSize> block;
        if (!ReadBytes(in, block.data(), block.size()))
            return Invalid(kHeaderFileError);
        const auto word = [&](int offset) { return block[offset] | block[offset + 1] << 8; };
        if (word(0) != kHeaderSize || Le32(&block[132]) != kFormatMark)
            return Invalid(kHeaderInvalid);
        header_ = block;   // device type, application, version, view switches
        name = NameFromField(&block[4], word(2));
    }

    name = LowerCase(name);
    if (name.find(".dpf") == std::string::npos) {
        platform::showMessage(kMsgNoDpfName, platform::MsgIcon::Exclamation);
        return kHeaderNoDpfName;
    }
    // The stored name may carry a directory, with either separator.
    const size_t slash = name.find_last_of("\\/");
    definitionName_ = slash == std::string::npos ? name : name.substr(slash + 1);
    in.seekg(older ? kOldRecordsOffset : kRecordsOffset);
    return in ? kHeaderOk : Invalid(kHeaderFileError);
}

int CParSet::WriteRecord(std::ostream& out, int k) const
{
    const CPar& par = pars_[k];
    uint8_t record[kRecordSize] = {};
    PutLe32(record + 4, static_cast<uint32_t>(par.group));
    PutLe32(record + 16, static_cast<uint32_t>(par.type));
    PutLe32(record + 20, static_cast<uint32_t>(par.min));
    PutLe32(record + 24, static_cast<uint32_t>(par.max));
    PutLe32(record + 32, static_cast<uint32_t>(par.listOrUnit));
    PutLe32(record + 36, static_cast<uint32_t>(par.access));
    PutLe32(record + 40, static_cast<uint32_t>(par.registerNumber));
    PutLe32(record + 44, static_cast<uint32_t>(par.defaultValue));
    PutLe32(record + 56, static_cast<uint32_t>(par.selectionFlags));
    PutLe32(record + 60, static_cast<uint32_t>(par.value));
    out.write(reinterpret_cast<const char*>(record), kRecordSize);
    return out.good() ? 0 : -1;
}

int CParSet::ReadRecord(std::istream& in, int k)
{
    uint8_t record[kRecordSize];
    in.read(reinterpret_cast<char*>(record), kRecordSize);
    if (in.gcount() == kRecordSize) {
        // Everything else of the record comes from the definition file.
        pars_[k].selectionFlags = static_cast<int>(Le32(record + 56));
        pars_[k].value = static_cast<int>(Le32(record + 60));
        return kRecordRead;
    }
    // The file does not say how many records it holds: one made with a
    // shorter definition simply ends early.
    if (!in.bad())
        return in.gcount() > 0 ? kRecordCut : kRecordEnd;
    platform::showMessage(kMsgFileError, platform::MsgIcon::Exclamation);
    return kRecordError;
}

int CParSet::WriteFile(std::ostream& out)
{
    if (WriteHeader(out) != 0)
        return -1;
    for (int k = 0; k < Count(); ++k)
        if (WriteRecord(out, k) != 0)
            return -1;
    out.flush();
    return out.good() ? 0 : -1;
}

ParFileReading CParSet::ReadRecords(std::istream& in)
{
    ParFileReading reading;
    reading.expected = Count();
    int result = kRecordRead;
    while (reading.read < Count() && (result = ReadRecord(in, reading.read)) == kRecordRead)
        ++reading.read;
    reading.cut = result == kRecordCut;
    if (result == kRecordRead && in.peek() != std::char_traits<char>::eof())
        reading.surplus = true;
    in.clear(in.rdstate() & std::ios::badbit);
    return reading;
}

}  // namespace merlin
