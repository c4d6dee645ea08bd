#include <merlin/core/DpfReader.h>

#include <merlin/core/CDpfParSet.h>

#include <cstdio>
#include <cstring>

namespace merlin {

namespace {

// Capacity of the table a section's keys index, 0 for sections whose keys
// index nothing.
int KeyCapacity(DpfSection section)
{
    switch (section) {
    case DpfSection::Strings: return kStringCapacity;
    case DpfSection::Groups: return kGroupCapacity;
    case DpfSection::Parameters: return kParamCapacity;
    case DpfSection::ParameterList: return kParamListCapacity;
    default: return 0;
    }
}

const char* CloseName(DpfSection section)
{
    switch (section) {
    case DpfSection::Language: return "LangTable: \n";
    case DpfSection::Strings: return "StringTable: \n";
    case DpfSection::Groups: return "GroupTable: \n";
    case DpfSection::Parameters: return "ParamTable: \n";
    case DpfSection::ParameterList: return "ParamList: \n";
    case DpfSection::Enum: return "EnumTable: \n";
    case DpfSection::Revision: return "RevTable: \n";
    case DpfSection::FaultCode: return "FaultCodeTable: \n";
    case DpfSection::ActiveFaults:
    case DpfSection::FaultHistory: return "FaultActTable: \n";
    case DpfSection::Other: break;
    }
    return "Table-2: \n";
}

const char* FieldErrorName(DpfSection section)
{
    switch (section) {
    case DpfSection::Strings: return "String table";
    case DpfSection::Groups: return "Group";
    case DpfSection::Parameters: return "Parameter";
    case DpfSection::ParameterList: return "ParamList";
    case DpfSection::Enum: return "Enum";
    case DpfSection::Revision: return "Revision";
    case DpfSection::ActiveFaults:
    case DpfSection::FaultHistory: return "Faults";
    default: return "Common Table";
    }
}

}  // namespace

CDpfReader::CDpfReader(CDpfParSet& target, std::ostream* trace) : target_(target), trace_(trace) {}

const std::string* CDpfReader::Keep(const char* text, size_t length)
{
    std::string& slot = texts_[nextText_];
    nextText_ = (nextText_ + 1) % texts_.size();
    slot.assign(text, length);
    return &slot;
}

void CDpfReader::Begin(DpfSection section)
{
    section_ = section;
    sectionHasKey_ = false;
}

bool CDpfReader::KeyFits(int key) const
{
    const int capacity = KeyCapacity(section_);
    return capacity == 0 || (key >= 0 && key < capacity);
}

void CDpfReader::Key(int key)
{
    Writef("%4dDefKey: %4d", keyLine_, key);
    key_ = key;
    field_ = 0;
    sectionHasKey_ = true;
    // The tables are indexed by key: a key beyond a table is not stored.
    ignoreLine_ = !KeyFits(key);
    if (ignoreLine_)
        Writef(" Key %d out of range: line ignored\n", key);
}

void CDpfReader::Field(const std::string& text)
{
    if (!ignoreLine_) {
        switch (section_) {
        case DpfSection::Strings: target_.StoreString(key_, field_, text); break;
        case DpfSection::Groups: target_.StoreGroup(key_, field_, text); break;
        case DpfSection::Parameters: target_.StoreParameter(key_, field_, text); break;
        case DpfSection::ParameterList: target_.StoreParamList(key_, field_, text); break;
        case DpfSection::Enum: target_.StoreEnum(key_, field_, text); break;
        case DpfSection::Revision: target_.StoreRevision(key_, field_, text); break;
        case DpfSection::FaultCode: target_.StoreFaultCode(key_, field_, text); break;
        case DpfSection::ActiveFaults: target_.StoreFaultRegister(false, key_, field_, text); break;
        case DpfSection::FaultHistory: target_.StoreFaultRegister(true, key_, field_, text); break;
        case DpfSection::Language:
        case DpfSection::Other: break;
        }
    }
    if (trace_) {
        Writef(" Field%3d: ", field_);
        Write(text);
    }
    ++field_;
}

void CDpfReader::Close(DpfSection section)
{
    // The end markers go behind the last key the section stored.
    if (sectionHasKey_ && KeyFits(key_) && section == section_) {
        switch (section) {
        case DpfSection::Groups: target_.CloseGroups(key_); break;
        case DpfSection::Parameters: target_.CloseParameters(key_); break;
        case DpfSection::ParameterList: target_.CloseParamList(key_); break;
        default: break;
        }
    }
    Write(CloseName(section));
}

void CDpfReader::ErrorField(DpfSection section)
{
    if (section == DpfSection::FaultCode)
        Write("Error Fields: FaultCode\n");
    else
        Writef("Error Field: %s\n", FieldErrorName(section));
}

void CDpfReader::SyntaxError(const char* message)
{
    ++errors_;
    const char* what = std::strcmp(message, "memory exhausted") == 0 ? "parser stack overflow" : "parse error";
    Writef("************ %s at line %d ************\n", what, keyLine_);
}

}  // namespace merlin
