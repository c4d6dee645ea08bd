#pragma once
// A real ser2net on loopback for the tests of remote lines: it bridges a
// TCP port of 127.0.0.1 to a serial device (a pty with a simulator behind
// it), as a serial device server in a cabinet would. The test picks the
// protocol: "telnet(rfc2217)" for COM-port control, "raw" for plain TCP.
#include <string>
#include <sys/types.h>

namespace platform::testing {

class Ser2netServer {
public:
    enum class Kind { Rfc2217, Raw };
    // Starts ser2net for `device`; ok() tells whether it listens (within a
    // few seconds). `lineSettings` is ser2net's start setting ("9600n81").
    Ser2netServer(const std::string& device, Kind kind, const std::string& lineSettings = "9600n81");
    ~Ser2netServer();
    Ser2netServer(const Ser2netServer&) = delete;
    Ser2netServer& operator=(const Ser2netServer&) = delete;

    static bool available();   // the program is installed
    bool ok() const { return listening_; }
    const std::string& error() const { return error_; }
    int port() const { return port_; }
    // "rfc2217://127.0.0.1:<port>" or "tcp://127.0.0.1:<port>"
    std::string url() const;
    // Ends the server at once (SIGKILL), as a server that goes away would.
    void kill();

private:
    Kind kind_;
    int port_ = 0;
    pid_t pid_ = -1;
    bool listening_ = false;
    std::string error_;
};

// A TCP port on 127.0.0.1 that takes connections and never says a word
// (a device server whose line hangs); the listening socket is closed on
// destruction.
class SilentTcpServer {
public:
    SilentTcpServer();
    ~SilentTcpServer();
    SilentTcpServer(const SilentTcpServer&) = delete;
    SilentTcpServer& operator=(const SilentTcpServer&) = delete;
    int port() const { return port_; }
    bool ok() const { return fd_ >= 0; }

private:
    int fd_ = -1;
    int port_ = 0;
};

// A TCP port on 127.0.0.1 with nobody listening.
int unusedTcpPort();

}  // namespace platform::testing
