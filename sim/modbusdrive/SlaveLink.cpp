#include <sim/modbusdrive/SlaveLink.h>

namespace sim {

namespace {

std::vector<uint8_t> request(int station, uint8_t function, int registerOffset, uint16_t word)
{
    // The wire address is the register offset minus one.
    const auto address = static_cast<uint16_t>(registerOffset - 1);
    return {static_cast<uint8_t>(station), function, static_cast<uint8_t>(address >> 8),
            static_cast<uint8_t>(address), static_cast<uint8_t>(word >> 8), static_cast<uint8_t>(word)};
}

}  // namespace

int SlaveLink::exchange(const std::vector<uint8_t>& frame, std::vector<uint8_t>& response)
{
    if (!open_)
        return merlin::kLinkPortNotOpen;
    auto answer = slave_.handle(frame);
    if (!answer)
        return merlin::kLinkTimeout;
    response = std::move(*answer);
    if (response.size() >= 3 && (response[1] & 0x80))
        return merlin::linkException(response[2]);
    // The engine checks that the answer echoes address and function.
    if (response.size() < 2 || response[0] != frame[0] || response[1] != frame[1])
        return merlin::kLinkBadResponse;
    return merlin::kLinkOk;
}

int SlaveLink::ReadRegister(int station, int registerOffset, uint16_t& value)
{
    std::vector<uint8_t> response;
    const int result = exchange(request(station, 3, registerOffset, 1), response);
    if (result != merlin::kLinkOk)
        return result;
    if (response.size() < 5 || response[2] != 2)
        return merlin::kLinkBadResponse;
    value = static_cast<uint16_t>(response[3] << 8 | response[4]);
    return merlin::kLinkOk;
}

int SlaveLink::WriteRegister(int station, int registerOffset, uint16_t value)
{
    std::vector<uint8_t> response;
    return exchange(request(station, 6, registerOffset, value), response);
}

}  // namespace sim
