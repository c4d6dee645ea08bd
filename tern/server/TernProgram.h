#pragma once
// The tern program: with "RegServer" or "UnregServer" after '-' or '/' (any
// letter case) it registers or unregisters itself and ends; otherwise it
// serves ModBusLink objects on the session bus until it has been idle for
// the idle time (5 s after the last object or server lock went, or after
// start-up when nobody came), or the bus goes away.
//
// AVIARY_TERN_IDLE_MS and AVIARY_TERN_EXIT_WAIT_MS shorten the idle time
// and the pause between giving up the bus name and ending (tests).
#include <tern/automation/OleTypes.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tern::server {

enum class TernCommand { Serve, RegServer, UnregServer };

// The arguments after the program name.
TernCommand parseTernCommandLine(const std::vector<std::string>& args);

struct ServeTiming {
    std::chrono::milliseconds idleTime{5000};
    std::chrono::milliseconds exitWait{1000};
    static ServeTiming fromEnvironment();
};

class LockCount;
class ModBusLinkServer;

// What the program adds to the server while it serves (the Modbus/TCP
// gateway objects); it lives as long as the server.
using ServeExtension = std::function<std::shared_ptr<void>(ModBusLinkServer&, LockCount&)>;

// Runs the program; the result is the process's HRESULT.
HRESULT runTern(int argc, char** argv, const ServeExtension& extend = {});
// The exit status for an HRESULT: 0 for success, never 0 for a failure.
int exitStatusOf(HRESULT hr);

}  // namespace tern::server
