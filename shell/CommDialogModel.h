#pragma once
// The decisions of the "Communication Settings" dialog, apart from its
// window: which ports may be chosen, what is preselected, what OK stores and
// the port test that follows.
#include <shell/CommPortTest.h>

#include <array>
#include <string>
#include <vector>

namespace shell {

class ShellContext;

struct CommChoice {
    std::string baud;           // "1200".."19200" ("38400" only when stored)
    int port = 1;               // 1..4
    std::string protocol;       // "7E1" or "8N1"
    bool dontShowAgain = false;
};

class CommDialogModel {
public:
    CommDialogModel(ShellContext& context, PortSource source, bool openedAtStart);

    // Baud rates offered; the last one is shown but cannot be chosen.
    static const std::vector<std::string>& baudRates();
    static bool baudSelectable(const std::string& baud) { return baud != "38400"; }

    // Tries COM1..COM4. False: no port opened; the fatal message was shown
    // and the program has to end.
    bool probe();
    bool portAvailable(int port) const { return port >= 1 && port <= kDialogPorts && available_[size_t(port - 1)]; }

    // What the dialog shows checked when it opens.
    CommChoice initialChoice() const;
    bool checkBoxVisible() const { return openedAtStart_; }

    // OK: stores the choice, applies it, then tests the port. Returns the
    // port-test result.
    int accept(const CommChoice& choice);
    void setTestTiming(PortTestTiming timing) { timing_ = timing; }

private:
    ShellContext& context_;
    PortSource source_;
    bool openedAtStart_;
    std::array<bool, kDialogPorts> available_{};
    PortTestTiming timing_;
};

}  // namespace shell
