#pragma once
// The "Examining Network...." dialog and the Check Network command around
// it, without windows. The window calls Start() when it opens and Tick() on
// its 2 ms timer until the state is Ended, then shows notices(); the command
// asks Outcome() whether the network dialog opens.
#include <kestrel/core/CNetworkExamination.h>
#include <platform/Notice.h>

#include <optional>
#include <string>
#include <vector>

namespace kestrel {

class ExaminationModel {
public:
    enum class State { Running, Ended };
    static constexpr int kLastAddress = kAddressCount - 1;  // progress range 0..31

    struct View {
        std::string title = "Examining Network....";
        std::string statusPane;  // pane 0 of the main window's status bar
        int progress = 0;        // 0..kLastAddress
    };

    explicit ExaminationModel(CTelegram& telegram) : exam_(telegram) {}
    ~ExaminationModel();
    ExaminationModel(const ExaminationModel&) = delete;
    ExaminationModel& operator=(const ExaminationModel&) = delete;

    // Before anything: the notice when the port was found to lead to a
    // different device (then nothing is examined).
    static std::optional<platform::Notice> PortTestNotice();

    State Start();
    // One address per tick.
    State Tick();
    // Ends now with what was found so far (a done examination of fewer
    // addresses; the others keep their old entries).
    State Stop();
    State state() const { return ended_ ? State::Ended : State::Running; }
    const View& view() const { return view_; }

    // After the end: the result (1 done, -1 no line, -2 no timer, -3 port
    // error), the messages to show, and whether Check Network goes on to
    // the network dialog; a done examination that found nobody adds
    // "No device is connected to the network !".
    int result() const { return result_; }
    const std::vector<platform::Notice>& notices() const { return notices_; }
    bool openNetworkDialog() const { return ended_ && result_ >= 0 && !noDevice_; }
    // The notice Check Network adds when nobody answered.
    static platform::Notice noDeviceNotice();

private:
    State end(int result);

    CNetworkExamination exam_;
    View view_;
    bool started_ = false;
    bool ended_ = false;
    bool noDevice_ = true;
    int result_ = 0;
    std::vector<platform::Notice> notices_;
};

}  // namespace kestrel
