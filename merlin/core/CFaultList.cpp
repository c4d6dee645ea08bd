#include <merlin/core/CFaultList.h>

#include <merlin/core/MerlinState.h>
#include <platform/Notice.h>

namespace merlin {

const std::array<FaultColumn, 4>& CFaultList::columns()
{
    static const std::array<FaultColumn, 4> kColumns{{{"FAULT NO.", 1000, FaultColumn::Align::Centre},
                                                      {"MESSAGE", 1700, FaultColumn::Align::Centre},
                                                      {"CAUSE", 3500, FaultColumn::Align::Left},
                                                      {"TYPE", 2000, FaultColumn::Align::Centre}}};
    return kColumns;
}

std::string CFaultList::title(int station)
{
    return platform::strFormat("Faults : %d", station);
}

namespace {

void appendRows(std::vector<FaultRow>& rows, const std::vector<FaultRegister>& registers, const char* typeFormat,
                const std::vector<FaultCode>& codes, CModbusLink& link, int station)
{
    int number = 1;
    for (const FaultRegister& reg : registers) {
        FaultRow row;
        row.type = platform::strFormat(typeFormat, number++);
        uint16_t value = 0;
        if (link.ReadRegister(station, reg.registerNumber - 40000, value) == kLinkOk && value < codes.size()) {
            const FaultCode& code = codes[value];
            row.faultNumber = platform::strFormat("%d", code.code);
            row.message = code.text;
            row.cause = platform::strFormat("%d", code.cause);
        }
        rows.push_back(std::move(row));
    }
}

}  // namespace

std::vector<FaultRow> CFaultList::read(const CDpfParSet& set, CModbusLink& link, int station)
{
    // The views' scans keep off the line while the faults are read.
    BusyScope busy;
    std::vector<FaultRow> rows;
    appendRows(rows, set.ActiveFaults(), "Active Fault %d", set.FaultCodeTable(), link, station);
    appendRows(rows, set.FaultHistory(), "Fault History %d", set.FaultCodeTable(), link, station);
    return rows;
}

}  // namespace merlin
