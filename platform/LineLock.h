#pragma once
// One program at a time on a line. The serial port's own lock keeps two
// openers apart for one opening only, yet Kestrel opens its port for each
// operation and a backup run is many operations: in the gaps another program
// could slip in and the two would take turns on one line, each believing it
// has the drives to itself. The line lock is held for as long as a program
// uses the line, and the one turned away learns who has it.
//
// It is an advisory flock() on a file per device (the device's real path)
// in the runtime directory ($XDG_RUNTIME_DIR, else /tmp), and the file names
// its holder: "aviary-backup (pid 4242)". A holder that dies releases it
// with its descriptor.
#include <string>

namespace platform {

class LineLock {
public:
    LineLock() = default;
    ~LineLock();
    LineLock(LineLock&& other) noexcept;
    LineLock& operator=(LineLock&& other) noexcept;
    LineLock(const LineLock&) = delete;
    LineLock& operator=(const LineLock&) = delete;

    // Takes the line of device for this object (a lock held here before, on
    // any device, goes first). detail follows the program's name in what
    // others are told ("connection XYZ"). False when someone else holds the
    // line: holder then names them, "another program" when the file does not
    // say; or when the lock file cannot be had, with holder saying why.
    bool take(const std::string& device, const std::string& detail, std::string& holder);
    void release();
    bool held() const { return fd_ >= 0; }
    // The device as given to take().
    const std::string& device() const { return device_; }

    // Who holds the line of device now; empty when nobody does.
    static std::string holder(const std::string& device);
    // The lock file of device.
    static std::string lockPath(const std::string& device);

private:
    int fd_ = -1;
    std::string device_;
};

}  // namespace platform
