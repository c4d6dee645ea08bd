#pragma once
// The serving loop of the simulator programs: a slave on a new pseudo-terminal
// (no TCP port given) or on loopback TCP, announced on stdout as "PTY <path>"
// or "TCP 127.0.0.1:<port>", served until SIGINT or SIGTERM.
#include <sim/modbus/ModbusDataModel.h>
#include <sim/modbus/ModbusFaults.h>
#include <sim/modbus/ModbusSlaveRunner.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace sim {

// Returns the process exit status; errors go to stderr behind programName.
int serveModbusUntilSignalled(ModbusDataModel& model, const ModbusRunnerOptions& options,
                              const std::vector<ModbusFault>& faults, std::optional<uint16_t> tcpPort,
                              const char* programName);

}  // namespace sim
