#pragma once
// A device path handed to the link server, which knows a serial line only
// as COM1..COM8 of the port map. A number the map already gives the device
// is used as it is, and ports.ini is not touched. Otherwise the highest
// number the map leaves free is lent to the device for the run: one line
// "COM<n>=<device>" is added to ports.ini and taken out again at the end;
// every other byte of the file (the user's entries, comments, layout) stays
// as it was. Runs at once lend different numbers: the file is changed only
// under its lock.
#include <optional>
#include <string>

namespace backup {

class LentComPort {
public:
    explicit LentComPort(const std::string& device);
    ~LentComPort();
    LentComPort(const LentComPort&) = delete;
    LentComPort& operator=(const LentComPort&) = delete;

    // The COM number the device goes by; nullopt with error() when none.
    std::optional<int> number() const { return number_; }
    const std::string& error() const { return error_; }

private:
    bool lend(const std::string& device);
    bool giveBack();

    std::optional<int> number_;
    std::string error_;
    std::string added_;          // the line added, "" when nothing was
    std::string original_;       // the file before
    bool existed_ = false;
    std::string written_;        // the file as this run left it
};

// The port map's COM number of device, if any names it (the same device
// under another name counts).
std::optional<int> mappedComPort(const std::string& device);

}  // namespace backup
