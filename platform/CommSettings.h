#pragma once
// ApplySettings: what the chosen baud rate, port and character format mean
// for the serial control and the status bar.
#include <string>

namespace platform {

struct ShellSettings;

struct AppliedComm {
    int portNumber = 1;
    std::string settingsString;   // "9600,N,8,1"
    std::string paneBaud;         // status-bar pane 1
    std::string panePort;         // pane 2: "COM1".."COM4"
    std::string paneProtocol;     // pane 3
};

// "38400" runs the line at 57600: the control's rate list was one step off
// for the drives' fastest setting. Unknown texts give an empty baud part.
std::string baudPart(const std::string& baud);
std::string formatPart(const std::string& protocol);
AppliedComm applySettings(const ShellSettings& settings);

}  // namespace platform
