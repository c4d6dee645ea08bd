#include <merlin/core/KeypadWindow.h>

#include <cmath>
#include <cstdlib>

namespace merlin {

KeypadWindow::KeypadWindow(CModbusLink& link, int station) : keypad_(link, station), station_(station)
{
    view_.title = CKeypadControl::title(station);
    showWords();
    showEnabling();
}

int KeypadWindow::Tick()
{
    if (view_.controlType == ControlType::Broadcast || station_ <= 0)
        return keypad::kPollPeriodMs;
    const CKeypadControl::Poll poll = keypad_.pollNext();
    for (size_t slot = 0; slot < keypad::kPollOrder.size(); ++slot)
        if (keypad::kPollOrder[slot] == poll.registerOffset && poll.result == kLinkOk)
            known_[slot] = true;
    showResult(poll.result);
    showWords();
    return poll.nextTickMs;
}

void KeypadWindow::showWords()
{
    // A word shows once it came from the drive; a broadcast has no drive.
    const bool standard = view_.controlType == ControlType::Standard;
    auto text = [&](size_t slot, uint16_t word) {
        return standard && known_[slot] ? CKeypadControl::wordText(word) : std::string(kNotPolled);
    };
    view_.controlWord1 = text(0, keypad_.controlWord1());
    view_.controlWord2 = text(1, keypad_.controlWord2());
    view_.statusWord1 = text(2, keypad_.statusWord1());
    view_.statusWord2 = text(3, keypad_.statusWord2());
    view_.enable = standard && known_[3] ? keypad_.enableText() : std::string(kNotPolled);
    static constexpr std::array<int, 9> kBitNumbers{8, 9, 10, 11, 12, 13, 0, 1, 2};
    for (size_t k = 0; k < kBits.size(); ++k) {
        const uint16_t word = k < 6 ? keypad_.controlWord1() : keypad_.controlWord2();
        view_.bitChecked[k] = (word >> kBitNumbers[k]) & 1u;
    }
}

void KeypadWindow::showResult(int result)
{
    view_.result = CKeypadControl::resultText(result);
}

void KeypadWindow::showSpeed()
{
    acceptedSpeed_ = keypad_.speed();
    view_.speed = platform::strFormat("%.2f", static_cast<double>(acceptedSpeed_));
}

void KeypadWindow::showEnabling()
{
    const bool broadcast = view_.controlType == ControlType::Broadcast;
    const bool reachable = broadcast || station_ > 0;
    view_.runEnabled = reachable;
    view_.extEnabled = reachable && !broadcast;
    view_.presetEnabled = reachable;
    view_.ext1Checked = keypad_.source() == SpeedSource::Ext1;
    view_.ext2Checked = keypad_.source() == SpeedSource::Ext2;
    view_.presetChecked = keypad_.source() == SpeedSource::Preset;
    view_.speedEnabled = reachable && !view_.presetChecked;
}

void KeypadWindow::speedCommand(SpeedChange change)
{
    const int result = keypad_.changeSpeed(change);
    if (result == 1) {
        // Out of range: nothing changed, the field shows the speed in force.
        keypad_.setSpeed(acceptedSpeed_);
    } else {
        showResult(result);
    }
    showSpeed();
}

void KeypadWindow::Press(Button button)
{
    int result = kLinkOk;
    switch (button) {
    case Button::Fwd: result = keypad_.forward(); break;
    case Button::Rev: result = keypad_.reverse(); break;
    case Button::Stop: result = keypad_.stop(); break;
    case Button::ErrorReset: result = keypad_.errorReset(); break;
    case Button::Ext1: result = keypad_.selectSource(SpeedSource::Ext1); break;
    case Button::Ext2: result = keypad_.selectSource(SpeedSource::Ext2); break;
    case Button::Preset: result = keypad_.selectSource(SpeedSource::Preset); break;
    case Button::Inc: speedCommand(SpeedChange::Inc); return;
    case Button::Dec: speedCommand(SpeedChange::Dec); return;
    case Button::Download: speedCommand(SpeedChange::Download); return;
    }
    showResult(result);
    // Every one of these read control word 1 from the drive first.
    if (result == kLinkOk && view_.controlType == ControlType::Standard)
        known_[0] = true;
    if (button == Button::Ext1 || button == Button::Ext2)
        showSpeed();
    showWords();
    showEnabling();
}

void KeypadWindow::Toggle(ControlBit bit)
{
    showResult(keypad_.toggle(bit));
    showWords();
}

void KeypadWindow::SelectPreset(int position)
{
    view_.presetPosition = position & 7;
    showResult(keypad_.selectPreset(view_.presetPosition));
    showWords();
}

std::vector<platform::Notice> KeypadWindow::SetSpeedText(const std::string& text)
{
    const char* begin = text.c_str();
    char* end = nullptr;
    const float value = std::strtof(begin, &end);
    while (end && (*end == ' ' || *end == '\t'))
        ++end;
    if (end == begin || !end || *end != '\0' || !std::isfinite(value)) {
        showSpeed();
        return {{"Value error", platform::MsgIcon::Exclamation}};
    }
    // Taken as the field's value; "Download" checks the range and sends it.
    keypad_.setSpeed(value);
    view_.speed = text;
    return {};
}

void KeypadWindow::SetControlType(ControlType type)
{
    view_.controlType = type;
    keypad_.setBroadcast(type == ControlType::Broadcast);
    showWords();
    showEnabling();
}

void KeypadWindow::ToggleDetails()
{
    view_.detailsShown = !view_.detailsShown;
    view_.detailsButton = view_.detailsShown ? kDetailsLess : kDetailsMore;
}

}  // namespace merlin
