#pragma once
// The SIO line of Kestrel drives (addresses 0..31) through Kestrel's own
// telegram object and transfer logic. A drive's values travel through a
// working file made from the parameter database of its software version,
// exactly as an online list does; the database is uploaded from the drive
// first when the installation does not have it yet.
#include <backup/lib/DriveBus.h>
#include <backup/lib/MessageCollector.h>
#include <backup/lib/RunFolder.h>

#include <kestrel/core/CTelegram.h>
#include <kestrel/core/TransferJob.h>
#include <platform/LineLock.h>

#include <memory>
#include <optional>
#include <string>

namespace backup {

struct KestrelLine {
    std::string installDir;            // holds tvk/, parameter/ and netlist.cfg
    int port = 1;                      // COM port number
    std::string commSettings = "9600,N,8,1";
    int repeat = 8;
    int tWait = 50;
    int tRts = 30;
    int delayNak = 1200;
    bool rtsMode = false;             // RS-485 direction by RTS, requests echoed
    std::string lineName = "COM1";    // the line in messages and file names
};

class KestrelBus : public DriveBus {
public:
    explicit KestrelBus(const KestrelLine& line);
    ~KestrelBus() override;
    // The run's own folder made and the line taken for the whole run; false
    // (with what stands in the way) when another program has the line.
    bool ready(std::string& error);

    std::string family() const override { return "kestrel"; }
    std::string lineName() const override { return line_.lineName; }
    int firstAddress() const override { return 0; }
    int lastAddress() const override { return 31; }
    bool scan(std::vector<FoundDrive>& found, const ProgressFn& progress, std::string& error) override;
    bool identify(int address, FoundDrive& drive, std::string& error) override;
    bool backup(const FoundDrive& drive, const std::string& path, const ProgressFn& progress,
                std::string& error) override;
    bool diff(int address, const std::string& path, std::vector<ValueDifference>& differences,
              const ProgressFn& progress, std::string& error) override;
    bool restore(int address, const std::string& path, bool force, const ProgressFn& progress,
                 std::string& error) override;

private:
    // The drive's version text ("A18.08") and whether its database is missing.
    bool checkVersion(int address, std::string& versionText, bool& missing, std::string& error);
    bool uploadDatabase(const ProgressFn& progress, std::string& error);
    // The drive's database, uploaded when missing; its version text.
    bool prepareDatabase(int address, const ProgressFn& progress, std::string& versionText, std::string& error);
    // Runs one transfer to its end; false with the error on anything but completion.
    bool runTransfer(kestrel::TransferJob& job, bool databaseMode, const ProgressFn& progress, std::string& error);
    // Every value of the drive, as the body of a parameter file.
    bool uploadValues(int address, const ProgressFn& progress, std::string& body, std::string& versionText,
                      std::string& error);
    std::string failure(const std::string& fallback);
    // The working file of the current drive, in the run's folder.
    std::string workPath() const;

    struct Identified {
        int address;
        std::string databaseFileName;
    };
    KestrelLine line_;
    RunFolder folder_;
    platform::LineLock lineLock_;
    std::optional<Identified> identified_;
    MessageCollector messages_;
    kestrel::CTelegram telegram_;
};

}  // namespace backup
