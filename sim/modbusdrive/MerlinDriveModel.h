#pragma once
// The drives of one simulated Merlin network: each unit address holds one
// MerlinDrive. Only holding registers exist (functions 3, 6 and 16); the
// other tables answer "illegal function". Safe to serve from several
// runners at once: every call holds the model's lock.
#include <sim/modbus/ModbusDataModel.h>
#include <sim/modbusdrive/MerlinDrive.h>

#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace sim {

class MerlinDriveModel : public ModbusDataModel {
public:
    // Replaces a drive already at that unit. Units 1..247.
    bool addDrive(uint8_t unit, std::unique_ptr<MerlinDrive> drive);
    // The drive leaves the line: its unit stays silent from now on.
    bool removeDrive(uint8_t unit);
    std::vector<uint8_t> units() const;
    // Runs f on one drive under the model's lock; false if there is none.
    bool withDrive(uint8_t unit, const std::function<void(MerlinDrive&)>& f);

    bool hasUnit(uint8_t unit) const override;
    uint8_t readHoldingRegisters(uint8_t unit, uint16_t start, std::span<uint16_t> out) override;
    uint8_t readInputRegisters(uint8_t unit, uint16_t start, std::span<uint16_t> out) override;
    uint8_t readCoils(uint8_t unit, uint16_t start, std::span<uint8_t> out) override;
    uint8_t readDiscreteInputs(uint8_t unit, uint16_t start, std::span<uint8_t> out) override;
    uint8_t writeHoldingRegisters(uint8_t unit, uint16_t start, std::span<const uint16_t> values) override;
    uint8_t writeCoils(uint8_t unit, uint16_t start, std::span<const uint8_t> values) override;

private:
    mutable std::mutex mutex_;
    std::map<uint8_t, std::unique_ptr<MerlinDrive>> drives_;
};

}  // namespace sim
