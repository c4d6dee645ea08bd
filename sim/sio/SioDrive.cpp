#include <sim/sio/SioDrive.h>


namespace sim {

using namespace sioparam;

SioDrive::SioDrive(const SioDriveConfig& config)
    : config_(config), catalogue_(SioCatalogue::forVersion(config.version))
{
    if (catalogue_ == nullptr)
        catalogue_ = SioCatalogue::forVersion(1808);
    config_.version = catalogue_->version();
    for (auto& set : sets_)
        for (const SioParameter& p : catalogue_->records())
            set[p.number] = static_cast<uint16_t>(p.defaultValue);
    // The sets differ a little so that switching is visible.
    for (int s = 1; s < 3; ++s)
        for (const SioParameter& p : catalogue_->records())
            if (!p.isGroupHeader() && !p.isViewOnly() && p.number > 0x0100 && p.inRange(static_cast<uint16_t>(p.defaultValue + s)))
                sets_[static_cast<size_t>(s)][p.number] = static_cast<uint16_t>(p.defaultValue + s);
}

uint16_t SioDrive::statusWord() const
{
    uint16_t w = 0;
    if (!tripped_) w |= kReady;
    if (direction_ != 0) w |= kOutputActive | kRunning;
    if (reverse_) w |= kReverse;
    if (dcBrake_) w |= kDcBrake;
    if (testMode_) w |= kTestMode;
    w |= config_.sioControl ? kSio : kLocal;
    return w;
}

bool SioDrive::special(uint16_t number, uint16_t& value) const
{
    switch (number) {
    case kStatusWord: value = statusWord(); return true;
    case kErrorRegister: value = errorRegister_; return true;
    case kControlWord: value = controlWord_; return true;
    case kVersion: value = static_cast<uint16_t>(config_.version); return true;
    case kParameterSet: value = static_cast<uint16_t>(activeSet_ + 1); return true;
    case kRatedPower: value = config_.ratedPower; return true;
    case kRecordCount: value = static_cast<uint16_t>(catalogue_->records().size()); return true;
    default: return false;
    }
}

uint16_t SioDrive::value(uint16_t number) const
{
    uint16_t v = 0;
    if (special(number, v))
        return v;
    const auto& set = sets_[static_cast<size_t>(activeSet_)];
    auto it = set.find(number);
    return it == set.end() ? 0 : it->second;
}

void SioDrive::setValue(uint16_t number, uint16_t value)
{
    if (number >= kFaultFirst && number <= kFaultLast) {
        for (auto& set : sets_) set[number] = value;
        return;
    }
    sets_[static_cast<size_t>(activeSet_)][number] = value;
}

SioAnswer SioDrive::refuse(uint16_t bit)
{
    errorRegister_ |= bit;
    return {SioAnswer::Nak, 0, 0, {}};
}

SioAnswer SioDrive::read(uint16_t number)
{
    switch (number) {
    case kFirstRecord:
        uploadCursor_ = 0;
        return blockRecord(uploadCursor_);
    case kNextRecord:
        if (uploadCursor_ < catalogue_->records().size())
            ++uploadCursor_;
        return blockRecord(uploadCursor_);
    case kSameRecord:
        return blockRecord(uploadCursor_);
    case kChanged:
        return changedReport();
    default:
        break;
    }
    uint16_t v = 0;
    if (special(number, v)) {
        if (number == kErrorRegister)
            errorRegister_ = 0;  // reading the register clears it
        return {SioAnswer::Value, number, v, {}};
    }
    if (number >= 0xFFF0)  // other protocol numbers answer 0
        return {SioAnswer::Value, number, 0, {}};
    if (catalogue_->find(number) == nullptr)
        return refuse(sioerr::kUnknown);
    return {SioAnswer::Value, number, value(number), {}};
}

SioAnswer SioDrive::blockRecord(size_t index) const
{
    const auto& records = catalogue_->records();
    SioAnswer a;
    a.kind = SioAnswer::Block;
    if (index >= records.size()) {
        // No record left: the data carry the end code.
        a.number = kNoMoreRecords;
        for (int i = 0; i < 10; ++i) a.data += hex4(kNoMoreRecords);
        return a;
    }
    const SioParameter& p = records[index];
    std::string name = p.name.substr(0, 15);
    name.resize(15, ' ');
    a.number = p.number;
    a.data = hex4(value(p.number)) + name + hex4(static_cast<uint16_t>(p.minimum))
             + hex4(static_cast<uint16_t>(p.maximum)) + std::to_string(p.decimals)
             + hex4(static_cast<uint16_t>(p.defaultValue)) + p.extra.substr(0, 4) + hex4(p.attribute);
    return a;
}

SioAnswer SioDrive::changedReport()
{
    SioAnswer a{SioAnswer::Value, 0x0000, 0x0000, {}};
    if (keypadChanged_.size() == 1) {
        a.number = *keypadChanged_.begin();
        a.value = value(a.number);
    } else if (keypadChanged_.size() > 1) {
        a.number = kChangedSeveral;
    }
    keypadChanged_.clear();
    return a;
}

SioAnswer SioDrive::badChecksum()
{
    return refuse(sioerr::kChecksum);
}

SioAnswer SioDrive::writeControlWord(uint16_t v)
{
    if (!config_.sioControl)
        return refuse(sioerr::kSioMode);
    if (v == 0) {
        direction_ = 0;
        tripped_ = false;  // a stop command also resets a fault
    } else if (tripped_) {
        return refuse(sioerr::kBusy);
    } else if (v & kCmdForward) {
        direction_ = 1;
        reverse_ = false;
    } else if (v & kCmdReverse) {
        direction_ = 2;
        reverse_ = true;
    } else {
        return refuse(sioerr::kRange);
    }
    controlWord_ = v;
    ++writesAccepted_;
    return {SioAnswer::Ack, 0, 0, {}};
}

SioAnswer SioDrive::writeParameterSet(uint16_t v)
{
    if (v < 1 || v > 3)
        return refuse(sioerr::kRange);
    if (running())
        return refuse(sioerr::kBusy);
    activeSet_ = v - 1;
    ++writesAccepted_;
    return {SioAnswer::Ack, 0, 0, {}};
}

SioAnswer SioDrive::write(uint16_t number, uint16_t v)
{
    if (number == kControlWord)
        return writeControlWord(v);
    if (number == kParameterSet)
        return writeParameterSet(v);
    const SioParameter* p = catalogue_->find(number);
    if (p == nullptr)
        return refuse(sioerr::kUnknown);
    if (p->isViewOnly() || p->isGroupHeader())
        return refuse(sioerr::kWriteAttempt);
    if (!p->inRange(v))
        return refuse(sioerr::kRange);
    if (running() && !p->programAlways())
        return refuse(sioerr::kBusy);
    if (number == kSetpoint && !config_.sioControl)
        return refuse(sioerr::kSioMode);
    setValue(number, v);
    ++writesAccepted_;
    return {SioAnswer::Ack, 0, 0, {}};
}

bool SioDrive::keypadChange(uint16_t number, uint16_t v)
{
    const SioParameter* p = catalogue_->find(number);
    if (p == nullptr || p->isGroupHeader())
        return false;
    setValue(number, v);
    keypadChanged_.insert(number);
    return true;
}

void SioDrive::trip(uint16_t code)
{
    for (uint16_t n = kFaultLast; n > kFaultFirst; --n)
        setValue(n, value(static_cast<uint16_t>(n - 1)));
    setValue(kFaultFirst, code);
    tripped_ = true;
    direction_ = 0;
}

}  // namespace sim
