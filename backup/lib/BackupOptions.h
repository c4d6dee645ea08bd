#pragma once
// The command line of aviary-backup.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace backup {

enum class Command { Scan, Backup, Diff, Restore, Help, Version };

struct BackupOptions {
    Command command = Command::Help;
    std::string family;                // "kestrel" or "merlin"
    // Not given: the program's own settings (its profile), else its defaults.
    std::optional<std::string> port;   // "COM<n>" or a device path
    std::optional<long> baud;
    std::string installDir;            // empty: the program's own directory
    std::string outputDir = ".";
    std::vector<int> addresses;        // backup: the drives named; diff/restore: exactly one
    std::string file;                  // diff, restore
    bool force = false;
    bool json = false;
    std::optional<uint16_t> password;
    std::string capture;               // merlin: the run's frames into this pcapng file
    // Timing: Kestrel's repeat and wait, Merlin's retries, time-out, delay, silent interval.
    std::optional<int> retries;
    std::optional<int> timeoutMs;
    std::optional<int> delayMs;
    std::optional<int> silentMs;
    std::optional<int> waitMs;
    std::optional<int> rtsMs;
    // The date and time in the names of a backup's files; empty: now.
    std::string stamp;
};

// The options, or the message for a bad command line in error.
std::optional<BackupOptions> parseOptions(int argc, char** argv, std::string& error);
// The COM port number of "COM3"; nullopt for anything else (a device path).
std::optional<int> comPortNumber(const std::string& port);
extern const char* const kUsage;

}  // namespace backup
