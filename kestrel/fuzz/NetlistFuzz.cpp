// "netlist.cfg" from the fuzzer: loaded, read field by field, the device
// titles built from it, and written back.
#include "FuzzTargets.h"

#include <kestrel/core/CDeviceTable.h>
#include <kestrel/core/KestrelState.h>

namespace kestrel::fuzz {

void netlist(std::string_view bytes)
{
    const std::string& dir = scratchDir();
    state().installDir = dir;
    const std::string path = CDeviceTable::defaultPath();
    writeFile(path, bytes);
    CDeviceTable table;
    if (!table.load(path)) return;
    for (int a = -1; a <= kAddressCount; ++a) {
        (void)table.present(a);
        const std::string name = table.name(a);
        table.setName(a, name);
        (void)CDeviceTable::ratedPowerText(table.ratedPower(a));
    }
    (void)DeviceTitle("5");
    (void)DeviceTitle("31");
    (void)table.save(dir + "/netlist-copy.cfg");
}

}  // namespace kestrel::fuzz
