#include <sim/modbus/ModbusServe.h>

#include <signal.h>

#include <cstdio>
#include <iostream>
#include <string>

namespace sim {

int serveModbusUntilSignalled(ModbusDataModel& model, const ModbusRunnerOptions& options,
                              const std::vector<ModbusFault>& faults, std::optional<uint16_t> tcpPort,
                              const char* programName)
{
    // Signals are taken by sigwait below; the serving thread must not get them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigset_t previous;
    if (pthread_sigmask(SIG_BLOCK, &signals, &previous) != 0) return 1;
    int status = 0;
    {
        ModbusSlaveRunner runner(model, options);
        for (const ModbusFault& f : faults) runner.faults().add(f);
        std::string error;
        const bool started = tcpPort ? runner.startTcp(*tcpPort, error) : runner.startPty(error);
        if (started) {
            if (tcpPort) std::printf("TCP 127.0.0.1:%u\n", static_cast<unsigned>(runner.tcpPort()));
            else std::printf("PTY %s\n", runner.ptyPath().c_str());
            std::fflush(stdout);
            int received = 0;
            while (sigwait(&signals, &received) != 0) {
            }
            runner.stop();
        } else {
            std::cerr << programName << ": " << error << '\n';
            status = 1;
        }
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return status;
}

}  // namespace sim
