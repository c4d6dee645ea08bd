#pragma once
// "aviary-sim modbus ...": a Modbus slave simulator on the command line.
//
//   modbus (--pty | --tcp PORT) [--ascii] [--baud N] [--unit N]...
//          [--fault KIND[:ARG]]... [--registers FILE | --fill]
//
// Prints "PTY /dev/pts/N" or "TCP 127.0.0.1:PORT" on one line, then serves
// until SIGINT or SIGTERM. argv[0] is the subcommand name. Returns 0 after a
// signal, 2 for a usage error, 1 when the slave cannot start.
namespace sim {

int modbusSimMain(int argc, char** argv);

}  // namespace sim
