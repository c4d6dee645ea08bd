#pragma once
// The tables a definition file is read into. Keys index the fixed tables
// directly; a key outside a table's capacity is not stored (the reader
// reports the line in its trace and ignores it).
#include <string>

namespace merlin {

constexpr int kStringCapacity = 2000;     // StringTable keys 0..1999
constexpr int kGroupCapacity = 100;       // GroupTable keys 0..99, groups count from 1
constexpr int kParamCapacity = 2000;      // ParamTable keys 0..1999
constexpr int kParamListCapacity = 2000;  // ParamList keys 0..1999 (from 1; 1999 used at most)

struct StringEntry {
    int key = 0;
    std::string text;
};

struct GroupEntry {
    int key = 0;
    int nameKey = 0;   // StringTable key of the title; 0 ends the group list
    int f1 = 0;
    std::string f2;
    int f3 = 0;
    int f4 = 0;
};

struct ParamEntry {
    int key = -1;      // -1: undefined
    int nameKey = 0;
    int type = 0;
    int min = 0;
    int max = 0;
    int listOrUnit = 0;
    int access = 0;
    int registerNumber = 0;
    int defaultValue = 0;
    std::string f8;
    int f9 = 0;
    int f10 = 0;
};

struct ParamListEntry {
    int key = 0;       // 0 ends the list
    int group = 0;     // counted from 1
    int paramKey = 0;  // ParamTable key
};

// One [Fault Code] line, in file order; a fault register's value selects the
// record at that position.
struct FaultCode {
    int code = 0;         // the fault number shown
    std::string text;     // the fault message
    int cause = 0;        // the number shown as the cause
    std::string label;    // the drive's short name of the fault (" F02"), as read; not shown
    int reserved = 0;     // the line's last number; not used
};

// One [Active Faults] or [Fault History] line.
struct FaultRegister {
    int paramKey = 0;
    int registerNumber = 0;   // 4xxxx notation, from the ParamTable entry
    std::string name;         // StringTable text of the entry's name
};

// The kinds of section a definition file has.
enum class DpfSection {
    Language, Strings, Groups, Parameters, ParameterList, Enum, Revision,
    FaultCode, ActiveFaults, FaultHistory, Other
};

}  // namespace merlin
