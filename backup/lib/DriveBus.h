#pragma once
// One family's line as the backup tool uses it: find the drives, copy one
// drive's values into a parameter file, compare them with a file, put a
// file back. Kestrel (SIO telegrams) and Merlin (Modbus through Tern)
// implement it on their programs' own cores, so the files are the files
// those programs write and read.
//
// Every operation answers true or false; on false, error holds what went
// wrong in the words the programs use.
#include <functional>
#include <string>
#include <vector>

namespace backup {

struct FoundDrive {
    int address = 0;
    std::string name;   // the name in the program's device list ("NEW" when never named)
    std::string type;   // drive type and software version
};

// A parameter whose live value differs from the file's.
struct ValueDifference {
    std::string parameter;  // number ("00E4") or register ("40104")
    std::string name;       // the parameter's name
    std::string live;
    std::string file;
};

// Progress of one drive: items done and their total.
using ProgressFn = std::function<void(int done, int total)>;

class DriveBus {
public:
    virtual ~DriveBus() = default;
    // "kestrel" or "merlin".
    virtual std::string family() const = 0;
    // The line, as files and messages name it ("COM1", "ttyUSB0").
    virtual std::string lineName() const { return {}; }
    // The lowest and highest address the family knows.
    virtual int firstAddress() const = 0;
    virtual int lastAddress() const = 0;

    virtual bool scan(std::vector<FoundDrive>& found, const ProgressFn& progress, std::string& error) = 0;
    // One address: false when no drive answers there.
    virtual bool identify(int address, FoundDrive& drive, std::string& error) = 0;
    virtual bool backup(const FoundDrive& drive, const std::string& path, const ProgressFn& progress,
                        std::string& error) = 0;
    virtual bool diff(int address, const std::string& path, std::vector<ValueDifference>& differences,
                      const ProgressFn& progress, std::string& error) = 0;
    // force: write a file made for another type or version anyway.
    virtual bool restore(int address, const std::string& path, bool force, const ProgressFn& progress,
                         std::string& error) = 0;
    // Every frame on the line into a capture file, until stopCapture.
    virtual bool startCapture(const std::string&, std::string& error)
    {
        return error = "--capture: the " + family() + " family has no bus monitor", false;
    }
    virtual bool stopCapture(std::string&) { return true; }
};

}  // namespace backup
