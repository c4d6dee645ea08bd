#pragma once
// The "Converter Test" service dialog without its window: one read or write
// telegram to a chosen address, once or every t-Cycle ms, the raw reply in
// display form, and the BREAK and FRAME indicators. The port stays open
// while the dialog is open and the repeat count is 1, so every click or tick
// is exactly one attempt on the wire. The dialog holds the operation flag
// meanwhile: a keypad poll or a list read must not close the port under it.
#include <kestrel/core/CTelegram.h>
#include <platform/Notice.h>

#include <optional>
#include <string>

namespace kestrel {

class CConverterTest {
public:
    static constexpr int kIconOff = 215;  // indicator dark
    static constexpr int kIconLit = 214;  // break / framing error seen

    // The window's buttons and mode switches.
    enum class Command {
        StartStop,          // "Start" / "Stop": cyclic sending on or off
        OneShot,            // one exchange with the parameter field
        ReadErrorRegister,  // the button that reads "00AC"
        Reset,              // indicators dark, sending resumes
        ReadMode,           // radio button "Read"
        WriteMode,          // radio button "Write"
        End,                // closes the window
    };

    // What the window does after a command.
    struct Reaction {
        std::optional<platform::Notice> notice;  // a field out of range
        int startTimerMs = 0;                    // > 0: start the cycle timer with this period
        bool stopTimer = false;
        bool close = false;
    };

    // The edit fields as text, the way the user typed them.
    struct Fields {
        std::string device = "0";        // 0..99
        std::string parameter = "0006";
        std::string value = "0000";      // write mode only, at most 4 characters
        std::string tRts;                // 1..10000 ms
        std::string tWait;               // 1..10000 ms
        std::string tCycle;              // ms
        bool stopOnError = false;
        bool writeMode = false;
    };

    struct View {
        Fields fields;
        std::string receive;
        int breakIcon = kIconOff;
        int frameIcon = kIconOff;
        bool running = false;          // cyclic sending
        bool stoppedByError = false;   // running, but halted by Stop On Error
        std::string startText = "Start";
        bool editsReadOnly = false;
        bool oneShotEnabled = true;
        bool valueVisible = false;     // write mode
    };

    // Opening: fields from the settings, port open, repeat 1.
    explicit CConverterTest(CTelegram& telegram);
    // Ends like "End" when the window goes without it. The telegram object
    // must still be there: whoever owns both ends this one first.
    ~CConverterTest();
    CConverterTest(const CConverterTest&) = delete;
    CConverterTest& operator=(const CConverterTest&) = delete;

    const View& view() const { return view_; }

    // One command with the fields as the user left them. Commands that send
    // or end take the fields first; a field out of range stops them there.
    Reaction Press(Command command, const Fields& typed);

    // Takes the fields; the notice when one is out of its range (nothing
    // is taken then).
    std::optional<platform::Notice> SetFields(const Fields& fields);
    void SetWriteMode(bool write);
    void SetStopOnError(bool on) { view_.fields.stopOnError = on; }

    // One exchange with the parameter field; true when it succeeded.
    bool OneShot();
    // Button "00AC": one read of the drive's error register.
    bool ReadErrorRegister();
    // Starts cyclic sending; the period for the window's timer (ms).
    int Start();
    void Stop();
    // One timer tick: one exchange unless halted.
    void Tick();
    // Indicators dark, line errors cleared, sending resumes.
    void Reset();
    // Closes the port, restores the repeat count and keeps t-RTS, t-Wait
    // and t-Cycle as the program's settings.
    void End();
    bool ended() const { return ended_; }

    // What went out last (the request telegram), for the window and tests.
    const std::string& lastRequest() const { return lastRequest_; }

private:
    bool exchange(const std::string& parameter, bool write);
    void applyTimes();
    int cyclePeriod() const;

    CTelegram& telegram_;
    View view_;
    std::string lastRequest_;
    bool ended_ = false;
};

}  // namespace kestrel
