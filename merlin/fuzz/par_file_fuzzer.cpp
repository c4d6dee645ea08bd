// Fuzzes the parameter-file reader: header checks of both formats, the lookup
// of the named definition in DeviceData and the records laid over it. A
// header whose name ends in one of our definition names reaches the records.
#include <merlin/core/CDpfParSet.h>

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#ifndef AVIARY_MERLIN_DIR
#error "AVIARY_MERLIN_DIR names the directory that holds DeviceData"
#endif

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    merlin::CDpfParSet set(AVIARY_MERLIN_DIR);
    set.SetTrace(nullptr);
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    if (set.LoadParameterFile(in) != 0)
        return 0;
    // What was read must write back out.
    std::ostringstream out;
    set.WriteFile(out);
    static volatile size_t keep;
    keep = out.str().size();
    return 0;
}
