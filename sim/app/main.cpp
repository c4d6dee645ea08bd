// aviary-sim <family> [options]: runs simulated drives until interrupted.
#include <AviaryVersion.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#ifdef AVIARY_SIM_SIO
#include <sim/sio/SioSimCli.h>
#endif
#ifdef AVIARY_SIM_MODBUS
#include <sim/modbus/ModbusSimCli.h>
#endif
#ifdef AVIARY_SIM_MODBUSDRIVE
#include <sim/modbusdrive/MerlinSimCli.h>
#endif

namespace {

struct Family {
    const char* name;
    const char* what;
    int (*main)(int, char**);
};

const std::vector<Family> kFamilies = {
#ifdef AVIARY_SIM_SIO
    {"sio", "SIO drives of the RHX/RQ9000 family (Kestrel)", sim::sioSimMain},
#endif
#ifdef AVIARY_SIM_MODBUSDRIVE
    {"merlin", "LM3/LT4 Modbus drives from definition files (Merlin)", sim::merlinSimMain},
#endif
#ifdef AVIARY_SIM_MODBUS
    {"modbus", "a plain Modbus slave with registers, coils and inputs (Tern)", sim::modbusSimMain},
#endif
};

int usage(FILE* out)
{
    std::fprintf(out,
                 "usage: aviary-sim <family> [options]   (aviary-sim <family> --help for its options)\n"
                 "       aviary-sim --help | --version\n"
                 "Simulated drives on a pseudo-terminal, Modbus/TCP or a serial device, for\n"
                 "training, demonstrations and tests. Families:\n");
    for (const auto& f : kFamilies) std::fprintf(out, "  %-8s %s\n", f.name, f.what);
    return out == stdout ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return usage(stderr);
    if (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) return usage(stdout);
    if (!std::strcmp(argv[1], "--version")) {
        std::printf("aviary-sim (Aviary) %s\n", aviary::kVersion);
        return 0;
    }
    for (const auto& f : kFamilies)
        if (std::string(argv[1]) == f.name) return f.main(argc - 1, argv + 1);
    std::fprintf(stderr, "aviary-sim: unknown family '%s'\n", argv[1]);
    return usage(stderr);
}
