// aviary-system-registry: run by the installation (cmake --install, the
// package build) to write the system registry records of the installed suite.
#include <packaging/registry/SystemRegistry.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc != 5 || !std::strcmp(argv[1], "--help")) {
        std::fprintf(stderr, "usage: aviary-system-registry <registry dir> <dbus services dir> <install dir> <tern program>\n");
        return 2;
    }
    const std::string error = packaging::writeSystemRegistry({argv[1], argv[2], argv[3], argv[4]});
    if (!error.empty()) {
        std::fprintf(stderr, "aviary-system-registry: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
