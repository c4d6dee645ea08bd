#pragma once
// A pseudo-terminal pair for serial tests: the port under test opens
// slavePath(), the test plays the far end on master(). Raw from the start
// (a new pty echoes and turns CR into LF). Both ends close on destruction.
//
// On Linux the termios of the pair live on the slave: tcsetattr() on the
// master changes the slave's settings. So set nothing on master() once a
// port has opened the slave.
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform::testing {

class PtyPair {
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return master_ >= 0 && slave_ >= 0; }
    const std::string& error() const { return error_; }
    int master() const { return master_; }
    int slave() const { return slave_; }
    const std::string& slavePath() const { return slavePath_; }

    // Writes all of bytes to the master; false on any failure.
    bool writeMaster(const std::string& bytes);
    // Reads from the master until `count` bytes came or `timeoutMs` passed
    // without any; returns what came.
    std::string readMaster(size_t count, int timeoutMs);
    // Hangs up the far end, as a simulator that ends would.
    void closeMaster();
    void closeSlave();

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
    std::string error_;
};

}  // namespace platform::testing
