#pragma once
// Many simulated drives on one RS-485 line. The bus takes the bytes the
// master sends, finds the telegrams in them (garbage and broken telegrams are
// skipped the way a drive's receiver skips them), lets the addressed drive
// answer and frames its answer:
//   read request   EOT A 'U' P1..P4 ENQ        -> L STX 'U' P V ETX BCC
//   write request  EOT A STX 'U' P V ETX BCC   -> ACK or NAK
//   block read     EOT A 'U' FFFF|FFFE|FFFA ENQ -> L STX 'U' P D1..D40 ETX BCC
// Thread-safe: the runner feeds it while tests and the command line change
// the drives.
#include <sim/sio/SioDrive.h>
#include <sim/sio/SioFault.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

class SioBus {
public:
    // One reply to put on the line, after delayMs.
    struct Output {
        std::string bytes;
        unsigned delayMs = 0;
    };

    SioBus() = default;
    explicit SioBus(const std::vector<SioDriveConfig>& drives);

    // False when the address is taken, out of 0..31 or the version unknown.
    bool addDrive(const SioDriveConfig& config);
    bool removeDrive(int address);
    std::vector<int> addresses() const;

    // Runs f on the drive under the bus lock; false when there is none.
    bool withDrive(int address, const std::function<void(SioDrive&)>& f);
    bool keypadChange(int address, uint16_t number, uint16_t value);
    bool trip(int address, uint16_t code);

    void addFault(const SioFault& fault);
    void clearFaults();

    // Bytes from the master; returns the replies they complete, in order.
    std::vector<Output> feed(std::string_view bytes);
    // Telegrams recognised so far (reads and writes to any address).
    int telegrams() const;

    // Parses "1:1808,5:1812" (address:version, version 1808 by default).
    static std::optional<std::vector<SioDriveConfig>> parseDrives(const std::string& list);
    static char bcc(std::string_view text);

private:
    enum class Parse { Idle, Address, Kind, ReadBody, WriteBody };
    void onByte(char c, std::vector<Output>& out);
    void finishRead(std::vector<Output>& out);
    void finishWrite(std::vector<Output>& out);
    void answer(SioDrive& drive, const SioAnswer& a, std::vector<Output>& out);
    std::string frame(const SioDrive& drive, const SioAnswer& a) const;
    void injectFaults(int address, Output& o);

    mutable std::mutex mutex_;
    std::map<int, std::unique_ptr<SioDrive>> drives_;
    std::vector<SioFault> faults_;
    Parse parse_ = Parse::Idle;
    int address_ = 0;
    std::string body_;
    int telegrams_ = 0;
};

}  // namespace sim
