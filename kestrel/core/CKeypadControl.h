#pragma once
// The keypad control window's logic: run commands, fault reset, speed
// source, setpoint, the 100 ms status poll and the close check. The window
// turns clicks into calls, ticks Tick() from its timer, and shows view() and
// the notices each call returns. Every exchange sequence holds the
// process-wide operation flag; a button that finds the flag set leaves its
// command to the next tick.
#include <kestrel/core/CTelegram.h>
#include <platform/Notice.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrel {

class CKeypadControl {
public:
    enum Command { None = 0, Fwd = 1, Rev = 2, Stop = 3, SourceInitial = 4, SourceSio = 5, Download = 6, Reset = 7 };
    enum class ControlType { Standard, Broadcast };
    // The window's buttons and radio buttons.
    enum class Button {
        Fwd, Rev, Stop, ErrorReset, SourceInitial, SourceSio, Inc, Dec, Download, Standard, Broadcast
    };
    static constexpr const char* kValueError = "Value error";

    // Icon resources of the run buttons (unlit and lit).
    static constexpr int kFwdIcon = 147, kRevIcon = 148, kStopIcon = 149;
    static constexpr int kFwdLit = 168, kRevLit = 170, kStopLit = 169;
    static constexpr int kPollMs = 100;

    // What the window shows.
    struct View {
        std::string title;
        std::string statusLine;
        std::string p31Text;          // "P31  =  " field
        std::string setpointText = "0";
        bool sioSourceChecked = false;  // radio 1070 (otherwise 1069)
        bool sourceRadiosEnabled = true;
        bool setpointEditable = false;
        bool incDecEnabled = false;
        bool downloadEnabled = false;
        bool errorResetEnabled = false;
        int fwdIcon = kFwdIcon, revIcon = kRevIcon, stopIcon = kStopIcon;
        ControlType controlType = ControlType::Standard;
    };

    struct TickResult {
        bool destroy = false;          // the close check allowed closing
        std::vector<platform::Notice> notices;
    };

    // For the current device address at construction; the window keeps
    // talking to that drive whatever other windows select later.
    explicit CKeypadControl(CTelegram& telegram);

    // Before a keypad window opens for the address: the notice when the port
    // leads to another kind of device, when one is open for that drive
    // already, or when no drive is selected.
    static std::optional<platform::Notice> OpenCheck(const std::string& address);
    const std::string& deviceAddress() const { return address_; }

    // Opening for the current device address. False while another sequence
    // holds the line (the window tries again on its next tick); the opening
    // never waits for the operation flag.
    bool Open(std::vector<platform::Notice>& notices);
    bool isOpen() const { return open_; }

    TickResult Tick(bool windowActive);
    // One click of the window.
    std::vector<platform::Notice> Press(Button button);
    std::vector<platform::Notice> Run(Command command);  // Fwd, Rev, Stop
    std::vector<platform::Notice> ErrorReset();
    std::vector<platform::Notice> SelectInitialSource();
    std::vector<platform::Notice> SelectSioSource();
    // INC, DEC and Download take the setpoint from the field's text; text
    // that is no number gives "Value error" and changes and sends nothing.
    std::vector<platform::Notice> Increment();
    std::vector<platform::Notice> Decrement();
    // The setpoint field as the user typed it.
    void SetSetpointText(const std::string& text) { view_.setpointText = text; }
    // A setpoint in Hz, shown as the field's text.
    void SetSetpoint(float hz);
    std::vector<platform::Notice> DownloadSetpoint();
    void SetControlType(ControlType type);
    // Plain decimal text ("-12.5", " 50 "); nullopt for anything else.
    static std::optional<float> parseSetpoint(const std::string& text);
    // The setpoint field's text for the drive's parameter 003A.
    static std::string setpointFieldText(std::uint16_t value);
    void RequestClose() { closeRequested_ = true; }

    // Sends value (hundredths of a hertz) as parameter 003A; the notice when
    // it is out of limits or the drive refused it.
    std::vector<platform::Notice> SendSetpoint(double hundredths);
    // "003A" + the drive's encoding of hundredths; empty when out of limits.
    static std::string setpointTelegram(double hundredths, std::optional<platform::Notice>& refusal);

    const View& view() const { return view_; }
    int pendingCommand() const { return pending_; }
    bool running() const { return running_; }
    bool notInSio() const { return notInSio_; }
    float setpoint() const { return setpoint_; }

    static std::string errorRegisterText(int code);
    static const char* const kNotSioText;

private:
    int address() const;
    bool busy() const;
    std::vector<platform::Notice> runNow(Command command);
    bool sioCheck(std::vector<platform::Notice>& notices) const;
    void showState(char stateChar);
    void pollStatus();
    bool closeCheck(std::vector<platform::Notice>& notices);
    void setpointShown();
    bool takeSetpoint(std::vector<platform::Notice>& notices);
    int readErrorRegister();

    CTelegram& telegram_;
    std::string address_;
    View view_;
    bool open_ = false;
    bool notInSio_ = false;
    bool running_ = false;
    char lastState_ = 100;
    int pending_ = None;
    bool closeRequested_ = false;
    int p31_ = 0;
    float setpoint_ = 0.0f;
};

}  // namespace kestrel
