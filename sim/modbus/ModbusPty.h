#pragma once
// A pseudo-terminal for a simulated slave: the simulator works on the master
// side, a master program opens path(). The slave side is kept open by us too,
// in raw mode, so the line neither echoes nor translates before the program
// opens it, and closing the program's end does not make our reads fail.
#include <string>

namespace sim {

class ModbusPty {
public:
    ModbusPty() = default;
    ~ModbusPty();
    ModbusPty(const ModbusPty&) = delete;
    ModbusPty& operator=(const ModbusPty&) = delete;

    bool open(std::string& error);
    int masterFd() const { return master_; }
    const std::string& path() const { return path_; }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

}  // namespace sim
