#pragma once
// A Merlin link straight into a simulated slave, without a line: each
// register call becomes the request frame body Tern would send (function 3
// or 6), the slave answers it as it would on the wire, and the answer turns
// into the link's result (0x8200 + n for exception n, a time-out when the
// slave stays silent). Lets Merlin's logic and windows run against the
// drive model in one process.
#include <merlin/core/CModbusLink.h>
#include <sim/modbus/ModbusSlave.h>

namespace sim {

class SlaveLink : public merlin::CModbusLink {
public:
    explicit SlaveLink(ModbusDataModel& model) : slave_(model) {}

    bool OpenLink() override { return open_ = true; }
    bool OpenLinkWithTimeout(uint32_t) override { return open_ = true; }
    void CloseLink() override { open_ = false; }
    void SetRetries(int) override {}
    void RestoreRetries() override {}
    int ReadRegister(int station, int registerOffset, uint16_t& value) override;
    int WriteRegister(int station, int registerOffset, uint16_t value) override;

private:
    int exchange(const std::vector<uint8_t>& request, std::vector<uint8_t>& response);

    ModbusSlave slave_;
    bool open_ = false;
};

}  // namespace sim
