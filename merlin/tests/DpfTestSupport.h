#pragma once
// A small installation directory for tests: DeviceData with definition files.
#include <platform/testing/ScriptedResponder.h>
#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

#include <string>

namespace merlin::testing {

// Three groups, six parameters; type 8, application 1, version 3.
inline std::string SmallDefinition(int extraParameters = 0)
{
    std::string text =
        "[Revision]\n1,8,'LM3 '\n2,1,'Normal'\n3,3,'V3'\n\n"
        "[Strings]\n1,Basic\n2,Motor\n3,Faults\n4,Speed\n5,Hz\n6,Mode\n7,Off\n8,On\n9,Current\n10,A\n"
        "11,Macro\n12,Password\n13,Fault 1\n\n"
        "[Groups]\n1,1,0, B,0,0\n2,2,0, M,0,0\n3,3,0, F,0,0\n\n"
        "[Parameters]\n"
        "1,4,12,0,32000,5,0,40101,5000\n"
        "2,6,1,0,1,1,0,40102,1\n"
        "3,9,11,0,9999,10,0,40111,95\n"
        "4,11,10,0,4,0,0,40010,0\n"
        "5,12,10,0,9999,0,0,40298,0\n"
        "6,13,10,0,255,0,1,40060,0\n";
    for (int n = 0; n < extraParameters; ++n)
        text += std::to_string(7 + n) + ",4,10,0,100,0,0," + std::to_string(40400 + n) + ",0\n";
    text += "\n[Parameter List]\n1,1,1\n2,1,2\n3,2,3\n4,2,4\n5,2,5\n6,3,6\n";
    for (int n = 0; n < extraParameters; ++n)
        text += std::to_string(7 + n) + ",3," + std::to_string(7 + n) + "\n";
    text += "\n[Enum]\n1,1,0,7\n2,1,1,8\n\n[Active Faults]\n1,6\n[End]\n";
    return text;
}

class InstallDir {
public:
    InstallDir() { dir_.write("DeviceData/LM3_Normal_V3.dpf", SmallDefinition()); }
    std::string path() const { return dir_.path(); }
    std::string file(const std::string& name) const { return dir_.file(name); }
    std::string write(const std::string& name, const std::string& content) const { return dir_.write(name, content); }
    std::string read(const std::string& name) const { return dir_.read(name); }
private:
    platform::testing::TempDir dir_;
};

inline platform::testing::ScriptedResponder::FailureSink FailTest()
{
    return [](const std::string& what) { ADD_FAILURE() << what; };
}

}  // namespace merlin::testing
