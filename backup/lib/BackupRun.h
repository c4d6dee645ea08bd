#pragma once
// The four commands over one family's line: what they print and the exit
// status they end with.
//   0  done (diff: no difference)
//   1  diff: differences; backup: some drive was not saved
//   2  an error: nothing usable came of the command
#include <backup/lib/BackupOptions.h>
#include <backup/lib/DriveBus.h>
#include <backup/lib/ProgressBar.h>

#include <ostream>
#include <string>

namespace backup {

constexpr int kExitOk = 0;
constexpr int kExitDifferent = 1;
constexpr int kExitPartial = 1;
constexpr int kExitError = 2;

// "05_Pump-2_kestrel-COM1_2026-12-08_023000.par": the address, the name,
// the family and line, the date and time of the run; in the name and line
// everything but letters, digits, '-', '_' and '.' made '-'. Files of the
// two families, of two lines or of two runs of a day never share a name.
std::string backupFileName(int address, const std::string& name, const std::string& family, const std::string& line,
                           const std::string& stamp);
// Now in local time, "YYYY-MM-DD_HHMMSS".
std::string timeStamp();
// Today in local time, "YYYY-MM-DD".
std::string today();
// A JSON string literal that is valid UTF-8 whatever the bytes: names come
// from drives and files in their own character sets, so a byte that is not
// part of a well-formed UTF-8 sequence becomes U+FFFD.
std::string jsonString(const std::string& text);

class BackupRun {
public:
    BackupRun(DriveBus& bus, const BackupOptions& options, std::ostream& out, std::ostream& err,
              ProgressBar& progress)
        : bus_(bus), options_(options), out_(out), err_(err), progress_(progress)
    {
    }
    int run();

private:
    int runCommand();
    int scan();
    int backup();
    int diff();
    int restore();
    bool drivesToSave(std::vector<FoundDrive>& drives, int& failed);
    bool saveOne(const FoundDrive& drive, std::string& file, std::string& error);
    // Moves the finished part to the first free name of the drive's file.
    bool placeFile(const std::string& part, std::string& file, std::string& error);
    ProgressFn bar();

    DriveBus& bus_;
    const BackupOptions& options_;
    std::ostream& out_;
    std::ostream& err_;
    ProgressBar& progress_;
    std::string stamp_;
};

}  // namespace backup
