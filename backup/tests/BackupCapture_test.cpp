// "--capture FILE": the capture runs around the whole command, a capture
// that cannot start stops the run before it touches a drive, and one that
// cannot be completed makes the run fail.
#include <backup/lib/BackupOptions.h>
#include <backup/lib/BackupRun.h>

#include <gtest/gtest.h>

#include <sstream>

namespace backup {
namespace {

class CapturingBus : public DriveBus {
public:
    std::vector<std::string> calls;
    bool captureStarts = true, captureEnds = true;

    std::string family() const override { return "merlin"; }
    int firstAddress() const override { return 1; }
    int lastAddress() const override { return 32; }
    bool scan(std::vector<FoundDrive>& found, const ProgressFn&, std::string&) override
    {
        calls.push_back("scan");
        found.push_back({3, "Fan", "LM3"});
        return true;
    }
    bool identify(int, FoundDrive&, std::string&) override { return false; }
    bool backup(const FoundDrive&, const std::string&, const ProgressFn&, std::string&) override { return false; }
    bool diff(int, const std::string&, std::vector<ValueDifference>&, const ProgressFn&, std::string&) override
    {
        return false;
    }
    bool restore(int, const std::string&, bool, const ProgressFn&, std::string&) override { return false; }
    bool startCapture(const std::string& path, std::string& error) override
    {
        calls.push_back("start " + path);
        return captureStarts || (error = "cannot create " + path, false);
    }
    bool stopCapture(std::string& error) override
    {
        calls.push_back("stop");
        return captureEnds || (error = "disk full", false);
    }
};

int runScan(CapturingBus& bus, const std::vector<std::string>& extra, std::string& err)
{
    std::vector<std::string> words{"--family", "merlin"};
    words.insert(words.end(), extra.begin(), extra.end());
    words.push_back("scan");
    std::vector<char*> argv{const_cast<char*>("aviary-backup")};
    for (auto& w : words) argv.push_back(w.data());
    std::string error;
    const auto options = parseOptions(static_cast<int>(argv.size()), argv.data(), error);
    EXPECT_TRUE(options) << error;
    std::ostringstream out, errors;
    ProgressBar progress(stderr, false);
    const int status = BackupRun(bus, *options, out, errors, progress).run();
    err = errors.str();
    return status;
}

TEST(BackupCapture, TheCaptureSpansTheRunAndItsFailuresFailTheRun)
{
    std::string err;
    CapturingBus plain;
    EXPECT_EQ(runScan(plain, {}, err), kExitOk);
    EXPECT_EQ(plain.calls, std::vector<std::string>{"scan"});

    CapturingBus captured;
    EXPECT_EQ(runScan(captured, {"--capture", "run.pcapng"}, err), kExitOk);
    EXPECT_EQ(captured.calls, (std::vector<std::string>{"start run.pcapng", "scan", "stop"}));

    CapturingBus refused;
    refused.captureStarts = false;
    EXPECT_EQ(runScan(refused, {"--capture", "/x/run.pcapng"}, err), kExitError);
    EXPECT_EQ(refused.calls, std::vector<std::string>{"start /x/run.pcapng"});
    EXPECT_NE(err.find("cannot create /x/run.pcapng"), std::string::npos) << err;

    CapturingBus unfinished;
    unfinished.captureEnds = false;
    EXPECT_EQ(runScan(unfinished, {"--capture", "run.pcapng"}, err), kExitError);
    EXPECT_NE(err.find("disk full"), std::string::npos) << err;
}

}  // namespace
}  // namespace backup
