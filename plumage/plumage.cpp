#include <plumage/plumage.h>

#include <cerrno>
#include <string_view>

// The software name is also the name of the single-instance lock and of the
// settings profile, so each program that loads the library gets its own.
std::string getSoftwareName()
{
    const std::string_view prog = program_invocation_short_name;
    if (prog.starts_with("kestrel")) return "Kestrel";
    if (prog.starts_with("merlin")) return "Merlin";
    if (prog.starts_with("wren")) return "Wren";
    return "Aviary";
}

std::string getCompanyName() { return "Aviary Drives"; }

std::string getInverterName() { return "RQ9000"; }
