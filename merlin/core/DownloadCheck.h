#pragma once
// Whether a parameter file opened into a set may be written to a drive as it
// is, checked as a whole before the first register is written: every
// parameter got its value from the file (no record missing or cut, so none
// would go out as the definition's default), the header's device type,
// application and version are those of the definition the file names, and
// every value a download writes lies within its limits and fits the 16-bit
// register it goes to.
#include <merlin/core/CDpfParSet.h>

#include <string>
#include <vector>

namespace merlin {

struct DownloadCheck {
    ParFileReading reading;
    bool identityMatches = true;
    // Indices of the parameters a download writes whose value it must not.
    std::vector<int> outOfLimits;

    bool Passed() const { return reading.Whole() && !reading.surplus && identityMatches && outOfLimits.empty(); }
};

// set: a parameter file just opened with LoadParameterFile (load state 0).
DownloadCheck CheckForDownload(const CDpfParSet& set);

// A value the register of par holds as it is: within min..max and the same
// raw value when read back from the 16-bit register.
bool FitsParameter(const CPar& par, int value);

// What refuses the file, one finding per line: parameters out of their
// limits and the parameters the file does not hold are named (at most
// `listed` of each, then how many more). Empty when the check passed.
std::string DescribeRefusal(const DownloadCheck& check, const CDpfParSet& set, int listed = 5);

}  // namespace merlin
