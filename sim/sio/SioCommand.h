#pragma once
// The simulator's console commands, shared by the command line and tests:
//   keypad <addr> <param> <value>   trip <addr> <code>   sio <addr> on|off
//   fault <spec>   clear-faults   status <addr>   quit
#include <sim/sio/SioBus.h>

#include <string>

namespace sim {

struct SioCommandResult {
    bool ok = false;
    bool quit = false;
    std::string output;   // what to print (an error text when !ok)
};

SioCommandResult runSioCommand(SioBus& bus, const std::string& line);

}  // namespace sim
