#pragma once
// A pseudo-terminal pair owned by a simulator: the simulator works on the
// master side, a program under test opens slavePath(). We keep the slave side
// open too, in raw mode, so the line neither echoes nor translates before the
// program opens it, and the program closing its end does not make the
// simulator's reads fail.
#include <string>

namespace platform {

class PseudoTerminal {
public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // false with a reason in error when any step fails.
    bool open(std::string& error, bool nonBlockingMaster = false);
    int masterFd() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }

private:
    int master_ = -1;
    int keepSlave_ = -1;
    std::string slavePath_;
};

}  // namespace platform
