#include <sim/modbus/ModbusSimCli.h>

#include <sim/modbus/ModbusMapModel.h>
#include <sim/modbus/ModbusServe.h>

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
    "usage: aviary-sim modbus (--pty | --tcp PORT) [--ascii] [--baud N] [--unit N]...\n"
    "                         [--fault KIND[:ARG]]... [--registers FILE | --fill]\n"
    "faults: noreply[:n] badcrc[:n] badlrc[:n] short[:n] wrongaddr[:n] noise[:n] delay:ms\n";

struct CliOptions {
    bool pty = false;
    std::optional<uint16_t> tcpPort;
    ModbusRunnerOptions runner;
    std::vector<uint8_t> units;
    std::vector<ModbusFault> faults;
    std::string registersFile;
    bool fill = false;
};

// One option (with its value, when it takes one); false with a message.
bool takeOption(const std::string& option, const char* value, CliOptions& o, std::string& error) {
    auto need = [&](unsigned long max) -> std::optional<unsigned long> {
        if (!value) return error = option + " needs a value", std::nullopt;
        auto n = platform::parseInt<unsigned long>(value, 0ul, max);
        if (!n) error = option + ": bad value '" + value + "'";
        return n;
    };
    if (option == "--tcp") {
        const auto n = need(65535);
        if (n) o.tcpPort = static_cast<uint16_t>(*n);
        return n.has_value();
    }
    if (option == "--baud") {
        const auto n = need(4000000);
        if (n) o.runner.paceBaud = static_cast<uint32_t>(*n);
        return n.has_value();
    }
    if (option == "--unit") {
        const auto n = need(247);
        if (n && *n == 0) return error = "--unit: 0 is the broadcast address", false;
        if (n) o.units.push_back(static_cast<uint8_t>(*n));
        return n.has_value();
    }
    if (option == "--fault") {
        const auto fault = value ? parseFault(value) : std::nullopt;
        if (!fault) return error = std::string("--fault: bad fault '") + (value ? value : "") + "'", false;
        o.faults.push_back(*fault);
        return true;
    }
    if (option == "--registers") {
        if (!value) return error = "--registers needs a file", false;
        o.registersFile = value;
        return true;
    }
    return error = "unknown option " + option, false;
}

bool parse(int argc, char** argv, CliOptions& o, std::string& error) {
    static const std::set<std::string> kValued{"--tcp", "--baud", "--unit", "--fault", "--registers"};
    for (const platform::CommandLineItem& item : platform::splitCommandLine(argc, argv, kValued)) {
        const std::string& option = item.name;
        if (option == "--pty") o.pty = true;
        else if (option == "--ascii") o.runner.framing = ModbusFraming::Ascii;
        else if (option == "--fill") o.fill = true;
        else if (!takeOption(option, item.value ? item.value->c_str() : nullptr, o, error)) return false;
    }
    if (o.pty == o.tcpPort.has_value()) return error = "give one of --pty and --tcp PORT", false;
    if (o.fill && !o.registersFile.empty()) return error = "give --registers or --fill, not both", false;
    if (o.units.empty()) o.units.push_back(1);
    return true;
}

}  // namespace

int modbusSimMain(int argc, char** argv) {
    CliOptions options;
    std::string error;
    if (argc > 1 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::cout << kUsage;
        return 0;
    }
    if (!parse(argc, argv, options, error)) {
        std::cerr << "modbus: " << error << '\n' << kUsage;
        return 2;
    }
    ModbusMapModel model(options.units);
    if (options.fill) model.fill();
    if (!options.registersFile.empty() && !model.loadFile(options.registersFile, error)) {
        std::cerr << "modbus: " << error << '\n';
        return 1;
    }
    return serveModbusUntilSignalled(model, options.runner, options.faults,
                                     options.pty ? std::nullopt : options.tcpPort, "modbus");
}

}  // namespace sim
