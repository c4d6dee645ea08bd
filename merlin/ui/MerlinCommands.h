#pragma once
// Merlin's own command identifiers, beside the shell's shared ones.
#include <shell/CommandIds.h>

namespace merlin::cmd {
using namespace shell::cmd;
constexpr int FileNew = 57600;              // "&New Parameter List...\tCtrl+N"
constexpr int FilePrintPreview = 57609;     // "Print Pre&view"
constexpr int FilePrintSetup = 57606;       // "Print Setup..."
constexpr int ConvertTo = 32850;            // "Convert To..."
constexpr int CompareFile = 32851;          // "Compare with &File..."
constexpr int CompareDefaults = 32852;      // "Compare with Factory &defaults"
constexpr int ExportText = 32853;           // "&Export to Textfile"
constexpr int GoOnline = 32854;             // "&Open Parameter List..." of a view
constexpr int ActivateFilter = 32855;       // "&Activate Filter Settings"
constexpr int ModbusTest = 32856;           // Options "Modbus"
constexpr int BusMonitor = 32857;           // Options "Bus Monitor"
}  // namespace merlin::cmd
