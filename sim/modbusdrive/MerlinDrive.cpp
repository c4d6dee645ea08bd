#include <sim/modbusdrive/MerlinDrive.h>

namespace sim {

namespace {

constexpr uint16_t kFaultResetBit = 0x8000;

// The process-data registers a locked drive still takes.
bool outsideLock(int offset)
{
    return offset == MerlinDrive::kControlWord1 || offset == MerlinDrive::kControlWord2 ||
           offset == MerlinDrive::kSpeedReference1 || offset == MerlinDrive::kSpeedReference2 ||
           offset == MerlinDrive::kPassword;
}

// Register numbers are in 4xxxx notation: 40001 is wire address 0, which
// this drive keeps as offset 1.
int offsetOf(int registerNumber) { return registerNumber - 40000; }

// The parameter line's access field: 1 keeps the value from being changed.
constexpr int kAccessReadOnly = 1;

// A register holds 16 bits; limits below zero make it two's complement.
int wordToValue(uint16_t word, int minimum)
{
    return minimum < 0 ? static_cast<int>(static_cast<int16_t>(word)) : static_cast<int>(word);
}

}  // namespace

MerlinDrive::MerlinDrive(const merlin::CDpfParSet& definition, uint16_t password)
{
    addParameters(definition);
    addFixed(kSoftwareVersion, definition.Version(), 0, 0xFFFF, true);
    addFixed(kApplication, definition.Application(), 0, 0xFFFF, true);
    addFixed(kDeviceType, definition.DeviceType(), 0, 0xFFFF, true);
    addFixed(kPresence, 1, 0, 0xFFFF, true);
    addFixed(kControlWord1, value(kControlWord1), 0, 0xFFFF, false);
    addFixed(kControlWord2, value(kControlWord2), 0, 0xFFFF, false);
    addFixed(kStatusWord1, 0, 0, 0xFFFF, true);
    addFixed(kStatusWord2, 0, 0, 0xFFFF, true);
    addFixed(kSpeedReference1, value(kSpeedReference1), 0, kMaxSpeed, false);
    addFixed(kSpeedReference2, value(kSpeedReference2), 0, kMaxSpeed, false);
    password_ = password != 0 ? password : value(kPassword);
    addFixed(kPassword, 0, 0, 0xFFFF, false);
    locked_ = password_ != 0;
    for (const merlin::FaultRegister& reg : definition.ActiveFaults())
        activeFaults_.push_back(offsetOf(reg.registerNumber));
    for (const merlin::FaultRegister& reg : definition.FaultHistory())
        faultHistory_.push_back(offsetOf(reg.registerNumber));
    for (int offset : activeFaults_)
        addFixed(offset, 0, 0, 0xFFFF, true);
    for (int offset : faultHistory_)
        addFixed(offset, 0, 0, 0xFFFF, true);
    updateStatus();
}

void MerlinDrive::addParameters(const merlin::CDpfParSet& definition)
{
    // Straight from the file's parameter lines, not through the product's
    // parameter model: a wrong register or edit rule there must show up
    // against this drive, not be mirrored by it.
    for (const merlin::ParamEntry& entry : definition.ParamTable()) {
        if (entry.key < 0)
            continue;
        const int offset = offsetOf(entry.registerNumber);
        // Only what a wire address can reach; the first definition of a register wins.
        if (offset < 1 || offset > 0x10000 || registers_.count(offset))
            continue;
        registers_[offset] = {static_cast<uint16_t>(entry.defaultValue), entry.min, entry.max,
                              entry.access == kAccessReadOnly};
    }
}

void MerlinDrive::addFixed(int offset, uint16_t initial, int min, int max, bool readOnly)
{
    registers_[offset] = {initial, min, max, readOnly};
}

uint16_t MerlinDrive::value(int offset) const
{
    auto it = registers_.find(offset);
    return it == registers_.end() ? 0 : it->second.value;
}

void MerlinDrive::setValue(int offset, uint16_t newValue)
{
    registers_[offset].value = newValue;
}

uint8_t MerlinDrive::read(uint16_t start, std::span<uint16_t> out) const
{
    for (size_t i = 0; i < out.size(); ++i)
        if (!has(static_cast<int>(start + i) + 1))
            return kIllegalDataAddress;
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = value(static_cast<int>(start + i) + 1);
    return 0;
}

uint8_t MerlinDrive::check(int offset, uint16_t word) const
{
    auto it = registers_.find(offset);
    if (it == registers_.end() || it->second.readOnly)
        return kIllegalDataAddress;
    if (locked_ && !outsideLock(offset))
        return kIllegalFunction;
    const int raw = wordToValue(word, it->second.min);
    if (raw < it->second.min || raw > it->second.max)
        return kIllegalDataValue;
    return 0;
}

uint8_t MerlinDrive::write(uint16_t start, std::span<const uint16_t> values)
{
    // A refused write changes nothing, also in a multiple write.
    for (size_t i = 0; i < values.size(); ++i)
        if (const uint8_t refused = check(static_cast<int>(start + i) + 1, values[i]))
            return refused;
    for (size_t i = 0; i < values.size(); ++i)
        store(static_cast<int>(start + i) + 1, values[i]);
    return 0;
}

void MerlinDrive::store(int offset, uint16_t word)
{
    const uint16_t previous = value(offset);
    registers_[offset].value = word;
    if (offset == kPassword)
        locked_ = password_ != 0 && word != password_;
    if (offset == kControlWord1)
        controlWord1Changed(previous, word);
}

void MerlinDrive::controlWord1Changed(uint16_t previous, uint16_t now)
{
    // Faults are reset on the rising edge of bit 15.
    if ((now & kFaultResetBit) && !(previous & kFaultResetBit))
        clearFaults();
    updateStatus();
}

void MerlinDrive::updateStatus()
{
    const uint16_t control = value(kControlWord1);
    const bool enabled = (control & 0x0001) && !faulted_;
    const bool forward = control & 0x0004;
    const bool reverse = control & 0x0008;
    const bool running = enabled && (forward != reverse);
    uint16_t status1 = 0;
    status1 |= faulted_ ? 0 : 0x0001;          // ready
    status1 |= running ? 0x0002 : 0;           // running
    status1 |= running && reverse ? 0x0004 : 0;
    status1 |= faulted_ ? 0x0008 : 0;          // fault
    registers_[kStatusWord1].value = status1;
    registers_[kStatusWord2].value = enabled ? 0x0002 : 0;
}

void MerlinDrive::raiseFault(uint16_t faultIndex)
{
    for (size_t i = faultHistory_.size(); i > 1; --i)
        registers_[faultHistory_[i - 1]].value = value(faultHistory_[i - 2]);
    if (!faultHistory_.empty())
        registers_[faultHistory_[0]].value = faultIndex;
    if (!activeFaults_.empty())
        registers_[activeFaults_[0]].value = faultIndex;
    faulted_ = true;
    updateStatus();
}

void MerlinDrive::clearFaults()
{
    for (int offset : activeFaults_)
        registers_[offset].value = 0;
    faulted_ = false;
}

}  // namespace sim
