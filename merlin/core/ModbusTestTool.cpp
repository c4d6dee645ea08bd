#include <merlin/core/ModbusTestTool.h>

#include <platform/Notice.h>

#include <algorithm>

namespace merlin {

void ModbusTestTool::close()
{
    if (open_)
        link_.CloseLink();
    open_ = false;
}

void ModbusTestTool::showResult(int result)
{
    resultText_ = platform::strFormat("%6d / %04X (HEX)", result, result & 0xFFFF);
}

void ModbusTestTool::read()
{
    std::vector<uint16_t> words;
    const int n = std::clamp(count, 1, kMaxCount);
    const int result = link_.ReadRegisters(station, address, n, words);
    values_.clear();
    for (uint16_t w : words)
        values_.push_back(platform::strFormat("%d", w));
    showResult(result);
}

void ModbusTestTool::write()
{
    showResult(link_.WriteRegister(station, address, static_cast<uint16_t>(value)));
}

int ModbusTestTool::tick()
{
    if (polling)
        read();
    return std::max(periodMs, 1);
}

}  // namespace merlin
