#pragma once
// The process-wide state of Kestrel, in one place. Everything the windows,
// the telegram object and the steppers share lives here: the current device
// address, the port-use flags, the per-address tables, the operation flag,
// the settings the telegram timing uses, the debug log, and the drive last
// connected. What belongs to one operation (a transfer's files and
// direction, a close decision, a formatted value) travels with that
// operation instead. One instance per process: state().
#include <array>
#include <cstdio>
#include <string>

namespace kestrel {

// Settings read by the telegram object and the device operations. The shell
// loads them from the profile at start and writes them back at exit; in
// between these are the live values.
struct TelegramSettings {
    int repeat = 8;           // "Times"/"Repeat": attempts per exchange
    int delayNak = 1200;      // "Times"/"DelayNAK": ms before the recovery reads
    int tRts = 30;            // "Times"/"tRTS": ms RTS is held after the output drained
    int tWait = 50;           // "Times"/"tWait": ms between request and taking the reply
    int tCycle = 500;         // "Times"/"tCycle": telegram monitor cycle
    bool rtsMode = false;     // "Settings"/"RTS": RS-485 direction by RTS, request echoed
    bool debug = false;       // "Options"/"Debug": received telegrams go to the log
    int port = 1;             // "Settings"/"Port": COM port number
    std::string commSettings = "9600,N,8,1";  // built by ApplySettings
};

// Who holds the serial port. A foreground operation claims it with
// IsPortBusy(false); a periodic poll may hold it between its own exchanges.
struct PortFlags {
    bool exchangeActive = false;   // one telegram exchange is running
    bool foregroundActive = false; // a foreground operation has claimed the port
    bool pollHolds = false;        // a periodic poll has opened the port
};

// "Receive.txt": received telegrams and marker lines, each ended by CR LF.
// KestrelState::logLine writes to it only while the "Debug" setting is on.
class DebugLog {
public:
    DebugLog() = default;
    ~DebugLog();
    DebugLog(const DebugLog&) = delete;
    DebugLog& operator=(const DebugLog&) = delete;
    // Moving hands the open file over; the target's own file is closed.
    DebugLog(DebugLog&& other) noexcept;
    DebugLog& operator=(DebugLog&& other) noexcept;

    // Creates the file empty (an existing one is truncated).
    bool open(const std::string& path);
    void close();
    bool isOpen() const { return file_ != nullptr; }
    // Writes text and CR LF when the file is open.
    void line(const std::string& text);

private:
    std::FILE* file_ = nullptr;
};

// Fault history of the selected drive: entry i belongs to parameter 000B + i.
// Entries keep their text when a later collection cannot read them.
struct FaultHistoryTable {
    static constexpr int kEntries = 5;
    std::array<std::string, kEntries> number;     // decimal code
    std::array<std::string, kEntries> shortName;
    std::array<std::string, kEntries> cause;
};

constexpr int kAddressCount = 32;

struct KestrelState {
    std::string installDir;           // no trailing slash
    std::string currentAddress;       // decimal text of the selected drive, "" for none
    PortFlags port;
    // One character per address 0..31: '0' no window, '1' list, '2' list and
    // keypad, '3' keypad only.
    std::string windowPresence = std::string(kAddressCount, '0');
    // One status character per address (see the keypad's state decoding).
    std::string deviceStatus = std::string(kAddressCount, '0');
    bool operationInProgress = false; // a foreground operation uses the line
    // List windows opened since the network dialog last opened; names the
    // next window ("LIST  A", "LIST  B", ...).
    int windowCounter = 0;
    bool noDevice = true;             // no drive answered / listed so far
    int portTestResult = 0;           // 0 untested, 1 other device, 2 good
    TelegramSettings settings;
    DebugLog log;

    // The drive last connected or picked: the database of its software
    // version and its title. A transfer takes the database name in its own
    // job (TransferJob); these say which drive the program is at.
    std::string databaseFileName;     // "/tvk/RQ-<version>.tvk", relative to installDir
    std::string deviceTitle;          // "ADDR=05\"Pump 2\""

    FaultHistoryTable faults;

    // Back to the start-of-program values (the log file is closed).
    void reset();
    // Writes a debug log line when "Debug" is on.
    void logLine(const std::string& text);
    std::string installPath(const std::string& relative) const { return installDir + relative; }
};

KestrelState& state();

}  // namespace kestrel
