#pragma once
// `aviary-sim sio ...`: simulated SIO drives on a pseudo-terminal or a tty.
namespace sim {
// argv[0] is the subcommand ("sio").
int sioSimMain(int argc, char** argv);
}  // namespace sim
