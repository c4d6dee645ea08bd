#pragma once
// "aviary-sim merlin ...": simulated LM3/LT4 drives, each built from a
// definition file, on a pseudo-terminal or Modbus/TCP.
namespace sim {

int merlinSimMain(int argc, char** argv);

}  // namespace sim
