#pragma once
// The "Modbus Test" tool: reads and writes holding registers of any station
// by hand, optionally polling. Address is the register number the wire
// address is taken from (Address - 1 goes on the wire).
#include <merlin/core/CModbusLink.h>

#include <string>
#include <vector>

namespace merlin {

class ModbusTestTool {
public:
    static constexpr int kMaxCount = 125;  // a Modbus read asks for at most 125 registers

    explicit ModbusTestTool(CModbusLink& link) : link_(link) {}

    int station = 1;
    int count = 1;
    int address = 25;
    bool polling = false;
    int periodMs = 100;
    int value = 0;

    // Opening the dialog opens the link.
    bool open() { return open_ = link_.OpenLink(); }
    void close();
    void read();
    void write();
    // The polling timer: a read when polling is on; the next period.
    int tick();

    // "%6d / %04X (HEX)" of the last result.
    const std::string& resultText() const { return resultText_; }
    // "%d" of each value read.
    const std::vector<std::string>& values() const { return values_; }

private:
    void showResult(int result);

    CModbusLink& link_;
    bool open_ = false;
    std::string resultText_;
    std::vector<std::string> values_;
};

}  // namespace merlin
