#pragma once
// The rows of the "Faults : " window: for each active-fault register and
// then each fault-history register of the definition file, the register's
// value picks a [Fault Code] record by its position in the file.
#include <merlin/core/CDpfParSet.h>
#include <merlin/core/CModbusLink.h>

#include <array>
#include <string>
#include <vector>

namespace merlin {

struct FaultRow {
    std::string faultNumber;  // "%d" of the record's code
    std::string message;      // the record's text
    std::string cause;        // "%d" of the record's cause
    std::string type;         // "Active Fault %d" / "Fault History %d"
    bool operator==(const FaultRow&) const = default;
};

struct FaultColumn {
    const char* title;
    int widthTwips;
    enum class Align { Centre, Left } align;
};

class CFaultList {
public:
    static constexpr int kMinimumRows = 16;
    static const std::array<FaultColumn, 4>& columns();
    // "Faults : %d"
    static std::string title(int station);

    // Reads every fault register of the station. A register that cannot be
    // read, or holds a value no fault-code record has, gives a row with only
    // its type filled in. The transfer-busy flag is held while reading.
    static std::vector<FaultRow> read(const CDpfParSet& set, CModbusLink& link, int station);
};

}  // namespace merlin
