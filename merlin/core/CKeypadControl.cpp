#include <merlin/core/CKeypadControl.h>

#include <platform/Notice.h>

#include <cmath>

namespace merlin {

namespace keypad {

uint16_t forwardWord(uint16_t word) { return static_cast<uint16_t>((word & 0xFBF7) | 0x0005); }
uint16_t reverseWord(uint16_t word) { return static_cast<uint16_t>((word & 0xFBFB) | 0x0009); }
uint16_t stopWord(uint16_t word) { return static_cast<uint16_t>((word & 0xFBF3) | 0x0001); }
uint16_t ext1Word(uint16_t word) { return static_cast<uint16_t>((word & 0xFF0F) | 0x0002); }
uint16_t ext2Word(uint16_t word) { return static_cast<uint16_t>((word & 0xFF1F) | 0x0012); }

uint16_t presetWord(uint16_t word, int position)
{
    // Bits 5..7 select one of eight preset speeds; bit 1 says a preset is in use.
    word = static_cast<uint16_t>((word & ~0x00E0) | ((position & 7) << 5));
    return (word & 0x00E0) ? static_cast<uint16_t>(word | 0x0002) : static_cast<uint16_t>(word & ~0x0002);
}

uint16_t speedToRegister(float hertz)
{
    // Truncate to hundredths, but not below what was meant: a float holds
    // 13.29 as 13.2899999..., which must still give 1329. The allowance is
    // far above the float's rounding error and far below one hundredth.
    const double hundredths = static_cast<double>(hertz) * 100.0;
    return static_cast<uint16_t>(std::trunc(hundredths + std::fabs(hundredths) * 1e-6));
}

}  // namespace keypad

namespace {

struct BitSwitch {
    int registerOffset;
    int bit;
};

BitSwitch bitSwitch(ControlBit bit)
{
    switch (bit) {
    case ControlBit::Ramp1: return {keypad::kControlWord1, 8};
    case ControlBit::Ramp2: return {keypad::kControlWord1, 9};
    case ControlBit::Remote: return {keypad::kControlWord1, 10};
    case ControlBit::Ts: return {keypad::kControlWord1, 11};
    case ControlBit::DcBrake: return {keypad::kControlWord1, 12};
    case ControlBit::Cts: return {keypad::kControlWord1, 13};
    case ControlBit::PidEnable: return {keypad::kControlWord2, 0};
    case ControlBit::StopSequence: return {keypad::kControlWord2, 1};
    case ControlBit::ResetSequence: return {keypad::kControlWord2, 2};
    }
    return {keypad::kControlWord1, 8};
}

}  // namespace

CKeypadControl::CKeypadControl(CModbusLink& link, int station) : link_(link), station_(station) {}

std::string CKeypadControl::title(int station)
{
    return "Keypad Controls - Addr. :" + (station > 0 ? std::to_string(station) : std::string("--"));
}

CKeypadControl::Poll CKeypadControl::pollNext()
{
    const size_t slot = nextPoll_;
    nextPoll_ = (nextPoll_ + 1) % keypad::kPollOrder.size();
    const int offset = keypad::kPollOrder[slot];
    const int result = link_.ReadRegister(station_, offset, cache_[slot]);
    return {offset, result, result == kLinkOk ? keypad::kPollPeriodMs : keypad::kPollPeriodAfterErrorMs};
}

std::string CKeypadControl::wordText(uint16_t word)
{
    return platform::strFormat("0x%04X", word);
}

std::string CKeypadControl::enableText() const
{
    return (statusWord2() & 0x0002) ? "EN On" : "EN Off";
}

std::string CKeypadControl::resultText(int result)
{
    return platform::strFormat("%04x", static_cast<unsigned>(result) & 0xFFFFu);
}

int CKeypadControl::write(int registerOffset, uint16_t value)
{
    if (!broadcast_)
        return link_.WriteRegister(station_, registerOffset, value);
    // Nobody answers a broadcast: the time-out is the normal outcome.
    const int result = link_.WriteRegister(0, registerOffset, value);
    return result == kLinkTimeout ? kLinkOk : result;
}

int CKeypadControl::readControlWord1(uint16_t& word)
{
    // A broadcast has nobody to read from: the polled copy stands in.
    if (broadcast_) {
        word = cache_[0];
        return kLinkOk;
    }
    const int result = link_.ReadRegister(station_, keypad::kControlWord1, word);
    if (result == kLinkOk)
        cache_[0] = word;
    return result;
}

template <typename Rule>
int CKeypadControl::modifyControlWord1(Rule rule)
{
    uint16_t word = 0;
    // Never write a word built on a value the drive did not give us.
    if (const int result = readControlWord1(word); result != kLinkOk)
        return result;
    const uint16_t changed = rule(word);
    const int result = write(keypad::kControlWord1, changed);
    if (result == kLinkOk)
        cache_[0] = changed;
    return result;
}

int CKeypadControl::forward() { return modifyControlWord1(keypad::forwardWord); }
int CKeypadControl::reverse() { return modifyControlWord1(keypad::reverseWord); }
int CKeypadControl::stop() { return modifyControlWord1(keypad::stopWord); }

int CKeypadControl::errorReset()
{
    uint16_t word = 0;
    if (const int result = readControlWord1(word); result != kLinkOk)
        return result;
    // A rising and falling edge on bit 15 resets the drive's faults.
    if (const int result = write(keypad::kControlWord1, 0x8000); result != kLinkOk)
        return result;
    const uint16_t cleared = static_cast<uint16_t>(word & 0x7FFF);
    const int result = write(keypad::kControlWord1, cleared);
    if (result == kLinkOk)
        cache_[0] = cleared;
    return result;
}

int CKeypadControl::readSpeed(int registerOffset)
{
    if (broadcast_)
        return kLinkOk;
    uint16_t raw = 0;
    const int result = link_.ReadRegister(station_, registerOffset, raw);
    if (result == kLinkOk)
        speedHz_ = static_cast<float>(raw) / 100.0f;
    return result;
}

int CKeypadControl::selectSource(SpeedSource source)
{
    source_ = source;
    switch (source) {
    case SpeedSource::Ext1: {
        const int speedResult = readSpeed(keypad::kSpeedReference1);
        const int result = modifyControlWord1(keypad::ext1Word);
        return speedResult != kLinkOk ? speedResult : result;
    }
    case SpeedSource::Ext2: {
        const int speedResult = readSpeed(keypad::kSpeedReference2);
        const int result = modifyControlWord1(keypad::ext2Word);
        return speedResult != kLinkOk ? speedResult : result;
    }
    case SpeedSource::Preset:
        return selectPreset(presetPosition_);
    case SpeedSource::None:
        break;
    }
    return kLinkOk;
}

int CKeypadControl::selectPreset(int position)
{
    presetPosition_ = position & 7;
    return modifyControlWord1([this](uint16_t word) { return keypad::presetWord(word, presetPosition_); });
}

int CKeypadControl::toggle(ControlBit bit)
{
    const BitSwitch target = bitSwitch(bit);
    uint16_t& cached = target.registerOffset == keypad::kControlWord1 ? cache_[0] : cache_[1];
    const uint16_t toggled = static_cast<uint16_t>(cached ^ (1u << target.bit));
    const int result = write(target.registerOffset, toggled);
    if (result == kLinkOk)
        cached = toggled;
    return result;
}

int CKeypadControl::changeSpeed(SpeedChange change)
{
    if (source_ == SpeedSource::Preset)
        return 1;
    const float step = change == SpeedChange::Inc ? 1.0f : change == SpeedChange::Dec ? -1.0f : 0.0f;
    const float next = speedHz_ + step;
    if (next > keypad::kMaxSpeedHz || next < 0.0f)
        return 1;
    speedHz_ = next;
    const int target = source_ == SpeedSource::Ext1 ? keypad::kSpeedReference1 : keypad::kSpeedReference2;
    return write(target, keypad::speedToRegister(next));
}

}  // namespace merlin
