#pragma once
// A small definition file for the logic tests: two groups, numeric and
// choice parameters, a read-only one, the password register and three
// fault registers with three fault codes.
#include <merlin/core/CDpfParSet.h>

#include <platform/testing/TempDir.h>

#include <string>

namespace merlin::testing {

inline const char* const kSmallDefinition =
    "[Revision]\n1,8,'LM3 '\n2,1,'Normal'\n3,3,'V3'\n\n"
    "[Strings]\n1,Motor\n2,Drive\n3,Speed\n4,Hz\n5,Accel time\n6,s\n7,Mode\n8,Off\n9,On\n10,Auto\n"
    "11,Password\n12,Hours\n13,h\n14,No fault\n15,Overcurrent\n16,Overvoltage\n17,Active fault\n"
    "18,Last fault\n19,Fault before\n\n"
    "[Groups]\n1,1,0,a,0,0\n2,2,0,b,0,0\n\n"
    "[Parameters]\n"
    "1,3,12,0,32500,4,0,40203,5000,x,0,0\n"
    "2,5,11,1,600,6,0,40104,30,x,0,0\n"
    "3,7,0,0,2,1,0,40105,1,x,0,0\n"
    "4,11,10,0,9999,0,0,40298,0,x,0,0\n"
    "5,12,10,0,65535,13,1,40106,0,x,0,0\n"
    "6,17,10,0,65535,0,1,40120,0,x,0,0\n"
    "7,18,10,0,65535,0,1,40121,0,x,0,0\n"
    "8,19,10,0,65535,0,1,40122,0,x,0,0\n\n"
    "[Parameter List]\n1,1,1\n2,1,2\n3,1,3\n4,2,4\n5,2,5\n6,2,6\n7,2,7\n8,2,8\n\n"
    "[Enum]\n1,1,0,8\n2,1,1,9\n3,1,2,10\n\n"
    "[Fault Code]\n1,0,14,0,F00,0\n2,12,15,3,F12,0\n3,13,16,4,F13,0\n\n"
    "[Active Faults]\n1,6\n\n"
    "[Fault History]\n1,7\n2,8\n\n"
    "[End]\n";

// The same drive one version on: Accel time and Mode are gone.
inline const char* const kShorterDefinition =
    "[Revision]\n1,8,'LM3 '\n2,1,'Normal'\n3,4,'V4'\n\n"
    "[Strings]\n1,Motor\n2,Drive\n3,Speed\n4,Hz\n11,Password\n12,Hours\n13,h\n\n"
    "[Groups]\n1,1,0,a,0,0\n2,2,0,b,0,0\n\n"
    "[Parameters]\n1,3,12,0,32500,4,0,40203,5000,x,0,0\n4,11,10,0,9999,0,0,40298,0,x,0,0\n"
    "5,12,10,0,65535,13,1,40106,0,x,0,0\n\n"
    "[Parameter List]\n1,1,1\n2,2,4\n3,2,5\n\n"
    "[End]\n";

// An installation directory whose DeviceData holds both definitions.
struct DefinitionDir {
    DefinitionDir()
    {
        dir.write("DeviceData/small_v3.dpf", kSmallDefinition);
        dir.write("DeviceData/small_v4.dpf", kShorterDefinition);
    }
    // A set built from one of them, as a new document is.
    void load(CDpfParSet& set, const std::string& name = "small_v3.dpf") const
    {
        set.SetProgramDirectory(dir.path());
        set.SetTrace(nullptr);
        set.LoadDefinition(name);
    }
    platform::testing::TempDir dir;
};

}  // namespace merlin::testing
