#pragma once
// The logic of the "Keypad Controls" window on CKeypadControl: what every
// field, check mark and button shows, the enabling of the controls per
// control type, and the poll period. The window ticks Tick() from its timer
// and restarts the timer with the period it returns; button presses go to
// the commands below. Communication errors only show in the result field
// and slow the poll down.
//
// "Broadcast" sends every command to address 0, where no drive answers. So
// the poll stops (the word fields show "----"), and the F-EXT source buttons,
// which read the speed reference from a drive, are disabled. The run
// buttons, Error Reset, the bit switches and the speed commands stay: they
// build on the control words last read from the window's own drive.
#include <merlin/core/CKeypadControl.h>
#include <platform/Notice.h>

#include <array>
#include <string>
#include <vector>

namespace merlin {

class KeypadWindow {
public:
    enum class Button { Fwd, Rev, Stop, ErrorReset, Ext1, Ext2, Preset, Inc, Dec, Download };
    enum class ControlType { Standard, Broadcast };

    static constexpr const char* kDetailsMore = "Details >>";
    static constexpr const char* kDetailsLess = "<< Details";
    static constexpr const char* kNotPolled = "----";
    static constexpr std::array<ControlBit, 9> kBits{
        ControlBit::Ramp1,     ControlBit::Ramp2,        ControlBit::Remote,
        ControlBit::Ts,        ControlBit::DcBrake,      ControlBit::Cts,
        ControlBit::PidEnable, ControlBit::StopSequence, ControlBit::ResetSequence};
    static constexpr std::array<const char*, 9> kBitLabels{"RAMP1", "RAMP2",     "REMOTE",    "TS",        "DCBRK",
                                                           "CTS",   "PID_En",    "Stop-Sequ", "Reset-Sequ"};

    struct View {
        std::string title;
        // The detail fields: "0x%04X" of the polled words.
        std::string controlWord1, controlWord2, statusWord1, statusWord2;
        std::string enable;           // "EN On" / "EN Off"
        std::string result;           // "%04x" of the last exchange
        std::string speed = "0.00";   // Hz
        bool ext1Checked = false, ext2Checked = false, presetChecked = false;
        int presetPosition = 0;
        std::array<bool, 9> bitChecked{};   // in the order of kBits
        bool detailsShown = false;
        std::string detailsButton = kDetailsMore;
        ControlType controlType = ControlType::Standard;
        // Enabling.
        bool runEnabled = true;        // FWD, REV, STOP, Error Reset, bit switches
        bool extEnabled = true;        // the two F-EXT source buttons
        bool presetEnabled = true;     // "Preset Speed" and its list
        bool speedEnabled = true;      // INC, DEC, Download and the speed field
    };

    KeypadWindow(CModbusLink& link, int station);

    // Reads the next control or status word; the period until the next tick.
    int Tick();
    void Press(Button button);
    void Toggle(ControlBit bit);
    void SelectPreset(int position);
    // The speed field as typed; "Value error" when it is no number (the
    // field then shows the speed it had).
    std::vector<platform::Notice> SetSpeedText(const std::string& text);
    void SetControlType(ControlType type);
    void ToggleDetails();

    const View& view() const { return view_; }
    const CKeypadControl& control() const { return keypad_; }

private:
    void showWords();
    void showResult(int result);
    void showSpeed();
    void showEnabling();
    void speedCommand(SpeedChange change);

    CKeypadControl keypad_;
    int station_;
    View view_;
    float acceptedSpeed_ = 0.0f;
    std::array<bool, 4> known_{};   // per word of the poll order: read from the drive
};

}  // namespace merlin
