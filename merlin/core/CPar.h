#pragma once
// One drive parameter as the definition file describes it, with its current
// raw value. Values are the raw integers of the drive's register; scaling,
// decimals, units and choice texts are applied only when a value is shown or
// typed in (CDpfParSet).
#include <string>

namespace merlin {

class CPar {
public:
    int group = 0;           // group index, counted from 0
    std::string name;
    // Display type: below 10 a choice parameter; from 10 on a numeric one with
    // (type mod 10) decimals.
    int type = 0;
    int min = 0;             // lowest raw value (choice: first choice position offered)
    int max = 0;             // highest raw value (choice: last position offered)
    // Choice parameter: number of its choice list; numeric: string key of its unit.
    int listOrUnit = 0;
    int access = 0;          // 1: the user may not edit the value
    int registerNumber = 0;  // holding register in 4xxxx notation (40000 + address)
    int defaultValue = 0;    // factory default, raw
    int selectionFlags = 0;  // customer-list bits: 1 hidden, 2 no download, 4 no upload
    int value = 0;           // current raw value

    // type div 10 is 0 for a choice parameter.
    bool IsChoice() const { return type / 10 == 0; }
    // The user may not edit the value (the view refuses the entry, the
    // filter can hide it, compare can skip it).
    bool IsReadOnly() const { return access == 1; }
    // Decimal places of a numeric parameter (0..9).
    int Decimals() const { int d = type % 10; return d < 0 ? 0 : d; }
    // register - 40000: what the link takes.
    int RegisterOffset() const { return registerNumber - 40000; }
};

}  // namespace merlin
