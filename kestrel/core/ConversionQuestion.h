#pragma once
// What the "List Conversion" dialog shows for one parameter, and what the
// user answered. The dialog is modal; the conversion asks again after a
// refused entry.
#include <kestrel/core/ConversionReport.h>
#include <kestrel/core/TvkRecord.h>

#include <cstdint>
#include <optional>
#include <string>

namespace kestrel {

struct ConversionSide {
    std::string file;
    std::string version;  // "A12.34"
    bool present = false; // the version defines the parameter
    std::string maximum, minimum, setValue, defaultValue, unit, type;
};

struct ConversionQuestion {
    ConversionCase kind = ConversionCase::NewParameter;
    std::string heading;    // "List Conversion from A12.34  to  A12.40"
    std::string parameter;  // "0013 - Accel time"
    std::string caseText;   // "\n\nThis parameter is not identical in both versions !\nPlease enter ..."
    ConversionSide source;
    ConversionSide target;
    bool asksValue = false;      // cases 1 and 3
    bool hexadecimal = false;    // entry in hexadecimal (target attribute word)
    std::string entry;           // initial text of the entry field
    std::string defaultEntry;    // what "Set to Default" puts there
};

struct ConversionAnswer {
    bool abort = false;  // the Abort button
    std::string entry;   // the entry field at OK
};

}  // namespace kestrel
