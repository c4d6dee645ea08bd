// Entry point of the Kestrel reader fuzzer: AVIARY_FUZZ_READER names the
// reader (list_file, tvk_database, netlist).
#include "FuzzTargets.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
void (*target)(std::string_view) = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* name = std::getenv("AVIARY_FUZZ_READER");
    if (name && std::strcmp(name, "list_file") == 0) target = kestrel::fuzz::listFile;
    else if (name && std::strcmp(name, "tvk_database") == 0) target = kestrel::fuzz::tvkDatabase;
    else if (name && std::strcmp(name, "netlist") == 0) target = kestrel::fuzz::netlist;
    if (!target) {
        std::fprintf(stderr, "set AVIARY_FUZZ_READER to list_file, tvk_database or netlist\n");
        std::exit(2);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    target(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
