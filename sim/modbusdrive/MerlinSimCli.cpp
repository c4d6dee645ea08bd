#include <sim/modbusdrive/MerlinSimCli.h>

#include <sim/modbus/ModbusServe.h>
#include <sim/modbusdrive/MerlinDriveLoader.h>
#include <sim/modbusdrive/MerlinDriveModel.h>

#include <platform/CommandLine.h>
#include <platform/ParseInt.h>

#include <cstdio>
#include <iostream>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace sim {
namespace {

constexpr const char* kUsage =
    "usage: aviary-sim merlin (--pty | --tcp PORT) --drive FILE.dpf@UNIT... [--dpf-dir DIR]\n"
    "                         [--baud N] [--ascii] [--password N] [--raise INDEX@UNIT]...\n"
    "                         [--fault KIND[:ARG]]...\n"
    "FILE is looked up in DIR (default: DeviceData beside the program, or\n"
    "share/aviary/DeviceData of an installation) unless it holds a '/'.\n"
    "--password locks parameter writes (exception 1) until N is written to register 298;\n"
    "without it a drive uses the default of its register 298.\n"
    "--raise starts a drive with the fault of [Fault Code] line INDEX (from 0) active.\n"
    "faults: noreply[:n] badcrc[:n] badlrc[:n] short[:n] wrongaddr[:n] noise[:n] delay:ms\n";

struct CliOptions {
    bool pty = false;
    std::optional<uint16_t> tcpPort;
    ModbusRunnerOptions runner;
    std::vector<DriveSpec> drives;
    std::vector<std::pair<uint16_t, uint8_t>> raised;  // fault index, unit
    std::vector<ModbusFault> faults;
    std::string definitionDir = defaultDefinitionDirectory();
    uint16_t password = 0;
};

bool takeNumber(const std::string& option, const char* value, unsigned long max, unsigned long& out,
                std::string& error)
{
    const auto n = platform::parseInt<unsigned long>(value ? value : "", 0ul, max);
    if (!n)
        return error = option + ": bad or missing value", false;
    out = *n;
    return true;
}

bool takeRaise(const char* value, CliOptions& o, std::string& error)
{
    const auto spec = value ? parseDriveSpec(value) : std::nullopt;
    const auto index = spec ? platform::parseInt<uint16_t>(spec->file) : std::nullopt;
    if (!index)
        return error = "--raise: give INDEX@UNIT", false;
    o.raised.emplace_back(*index, spec->unit);
    return true;
}

// One option that takes a value; false with a message.
bool takeOption(const std::string& option, const char* value, CliOptions& o, std::string& error)
{
    unsigned long n = 0;
    if (option == "--tcp")
        return takeNumber(option, value, 65535, n, error) && (o.tcpPort = static_cast<uint16_t>(n), true);
    if (option == "--baud")
        return takeNumber(option, value, 4000000, n, error) && (o.runner.paceBaud = static_cast<uint32_t>(n), true);
    if (option == "--password")
        return takeNumber(option, value, 65535, n, error) && (o.password = static_cast<uint16_t>(n), true);
    if (option == "--raise")
        return takeRaise(value, o, error);
    if (option == "--dpf-dir") {
        if (!value)
            return error = "--dpf-dir needs a directory", false;
        o.definitionDir = value;
        return true;
    }
    if (option == "--drive") {
        const auto spec = value ? parseDriveSpec(value) : std::nullopt;
        if (!spec)
            return error = std::string("--drive: give FILE.dpf@UNIT, not '") + (value ? value : "") + "'", false;
        o.drives.push_back(*spec);
        return true;
    }
    if (option == "--fault") {
        const auto fault = value ? parseFault(value) : std::nullopt;
        if (!fault)
            return error = std::string("--fault: bad fault '") + (value ? value : "") + "'", false;
        o.faults.push_back(*fault);
        return true;
    }
    return error = "unknown option " + option, false;
}

bool parse(int argc, char** argv, CliOptions& o, std::string& error)
{
    static const std::set<std::string> kValued{"--tcp", "--baud", "--password", "--raise", "--dpf-dir", "--drive",
                                               "--fault"};
    for (const platform::CommandLineItem& item : platform::splitCommandLine(argc, argv, kValued)) {
        const std::string& option = item.name;
        if (option == "--pty")
            o.pty = true;
        else if (option == "--ascii")
            o.runner.framing = ModbusFraming::Ascii;
        else if (!takeOption(option, item.value ? item.value->c_str() : nullptr, o, error))
            return false;
    }
    if (o.pty == o.tcpPort.has_value())
        return error = "give one of --pty and --tcp PORT", false;
    if (o.drives.empty())
        return error = "give at least one --drive FILE.dpf@UNIT", false;
    return true;
}

bool buildModel(const CliOptions& o, MerlinDriveModel& model)
{
    for (const DriveSpec& spec : o.drives) {
        std::string message;
        auto drive = loadDrive(o.definitionDir, spec.file, o.password, message);
        if (!message.empty())
            std::cerr << "aviary-sim merlin: " << message << '\n';
        if (!drive)
            return false;
        model.addDrive(spec.unit, std::move(drive));
    }
    for (const auto& [index, unit] : o.raised) {
        if (!model.withDrive(unit, [index = index](MerlinDrive& d) { d.raiseFault(index); })) {
            std::cerr << "aviary-sim merlin: --raise: no drive at unit " << static_cast<int>(unit) << '\n';
            return false;
        }
    }
    return true;
}

}  // namespace

int merlinSimMain(int argc, char** argv)
{
    CliOptions options;
    std::string error;
    if (argc > 1 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::cout << kUsage;
        return 0;
    }
    if (!parse(argc, argv, options, error)) {
        std::cerr << "aviary-sim merlin: " << error << '\n' << kUsage;
        return 2;
    }
    MerlinDriveModel model;
    if (!buildModel(options, model))
        return 1;
    return serveModbusUntilSignalled(model, options.runner, options.faults,
                                     options.pty ? std::nullopt : options.tcpPort, "merlin");
}

}  // namespace sim
