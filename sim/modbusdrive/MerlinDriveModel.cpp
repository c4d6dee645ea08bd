#include <sim/modbusdrive/MerlinDriveModel.h>

namespace sim {

bool MerlinDriveModel::addDrive(uint8_t unit, std::unique_ptr<MerlinDrive> drive)
{
    if (unit < 1 || unit > 247 || !drive)
        return false;
    std::lock_guard guard(mutex_);
    drives_[unit] = std::move(drive);
    return true;
}

bool MerlinDriveModel::removeDrive(uint8_t unit)
{
    std::lock_guard lock(mutex_);
    return drives_.erase(unit) > 0;
}

std::vector<uint8_t> MerlinDriveModel::units() const
{
    std::lock_guard guard(mutex_);
    std::vector<uint8_t> out;
    for (const auto& entry : drives_)
        out.push_back(entry.first);
    return out;
}

bool MerlinDriveModel::withDrive(uint8_t unit, const std::function<void(MerlinDrive&)>& f)
{
    std::lock_guard guard(mutex_);
    auto it = drives_.find(unit);
    if (it == drives_.end())
        return false;
    f(*it->second);
    return true;
}

bool MerlinDriveModel::hasUnit(uint8_t unit) const
{
    std::lock_guard guard(mutex_);
    return drives_.count(unit) != 0;
}

uint8_t MerlinDriveModel::readHoldingRegisters(uint8_t unit, uint16_t start, std::span<uint16_t> out)
{
    std::lock_guard guard(mutex_);
    auto it = drives_.find(unit);
    return it == drives_.end() ? static_cast<uint8_t>(kSlaveDeviceFailure) : it->second->read(start, out);
}

uint8_t MerlinDriveModel::writeHoldingRegisters(uint8_t unit, uint16_t start, std::span<const uint16_t> values)
{
    std::lock_guard guard(mutex_);
    auto it = drives_.find(unit);
    return it == drives_.end() ? static_cast<uint8_t>(kSlaveDeviceFailure) : it->second->write(start, values);
}

uint8_t MerlinDriveModel::readInputRegisters(uint8_t, uint16_t, std::span<uint16_t>)
{
    return kIllegalFunction;
}

uint8_t MerlinDriveModel::readCoils(uint8_t, uint16_t, std::span<uint8_t>)
{
    return kIllegalFunction;
}

uint8_t MerlinDriveModel::readDiscreteInputs(uint8_t, uint16_t, std::span<uint8_t>)
{
    return kIllegalFunction;
}

uint8_t MerlinDriveModel::writeCoils(uint8_t, uint16_t, std::span<const uint8_t>)
{
    return kIllegalFunction;
}

}  // namespace sim
