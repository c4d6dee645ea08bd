#pragma once
// TCP peers of the tests on 127.0.0.1, at ports the system picks.
#include <functional>
#include <string>
#include <thread>

namespace platform::testing {

// A socket bound to 127.0.0.1 at a free port (its number in *port), and
// listening when asked; -1 when the system refuses, errno saying why.
int loopbackSocket(int* port, bool listening);

// A server for one connection: the first client within the wait gets the
// script, which talks to it over the socket; then the socket is closed.
class LoopbackServer {
public:
    using Script = std::function<void(int fd)>;
    explicit LoopbackServer(Script script, int acceptWaitMs = 5000);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // "<scheme>://127.0.0.1:<port>"
    std::string url(const std::string& scheme) const;

private:
    int listen_ = -1;
    int port_ = 0;
    std::thread thread_;
};

}  // namespace platform::testing
