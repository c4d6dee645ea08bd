// What Kestrel tells the user when the line cannot be used: a port that does
// not exist or that another program holds is named with its device and what
// to do, and an adapter unplugged in the middle of an Upload All (the far end
// of the pty closed) ends the transfer with the line-lost message, quickly,
// with the list as it was.
#include "SioLineFixture.h"

#include <kestrel/core/BulkTransferFlow.h>
#include <kestrel/core/CNetworkExamination.h>
#include <kestrel/core/DeviceConnection.h>
#include <kestrel/core/TransferModel.h>
#include <platform/PosixSerialPort.h>

#include <chrono>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace kestrel::testing {
namespace {

constexpr const char* kLineLost = "Possible loss of power or no connection to the converter !";

// Runs a whole network examination; returns its closing notices.
std::vector<platform::Notice> examine(CTelegram& telegram)
{
    CNetworkExamination exam(telegram);
    int r = exam.start();
    for (int i = 0; r == 0 || r == CNetworkExamination::GoOn; ++i) {
        if (i > 40) break;
        r = exam.step();
    }
    return exam.finish(r);
}

std::string allText(const std::vector<platform::Notice>& notices)
{
    std::string all;
    for (const auto& n : notices) all += n.text + "\n";
    return all;
}

// Another program holding a device: a child process with the port open.
class Holder {
public:
    explicit Holder(const std::string& device)
    {
        int ready[2], release[2];
        if (::pipe(ready) != 0) return;
        if (::pipe(release) != 0) {
            ::close(ready[0]);
            ::close(ready[1]);
            return;
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            // Holds the port until the test lets go, then closes it as a
            // program ending normally does (a killed one would leave a pty
            // in exclusive mode for everyone but root).
            ::close(release[1]);
            platform::PosixSerialPort port;
            const char ok = port.open(device) == platform::SerialResult::Ok ? '1' : '0';
            if (::write(ready[1], &ok, 1) != 1) ::_exit(1);
            char c;
            while (::read(release[0], &c, 1) > 0) {
            }
            ::_exit(port.close() == platform::SerialResult::Ok ? 0 : 1);
        }
        ::close(release[0]);
        release_ = release[1];
        char c = 0;
        held_ = ::read(ready[0], &c, 1) == 1 && c == '1';
        ::close(ready[0]);
        ::close(ready[1]);
    }
    ~Holder()
    {
        if (release_ >= 0) ::close(release_);
        if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
    }
    bool held() const { return held_; }
    pid_t pid() const { return pid_; }

private:
    pid_t pid_ = -1;
    int release_ = -1;
    bool held_ = false;
};

class PortProblemsTest : public SioLineFixture {};

TEST_F(PortProblemsTest, MissingAndHeldPortsAreNamedWithWhatToDo)
{
    startPty();
    ::setenv("AVIARY_COM7", "/dev/ttyUSB-unplugged-adapter", 1);
    std::string all = allText(examine(*telegram));
    EXPECT_NE(all.find("There was some error on the port."), std::string::npos) << all;
    EXPECT_NE(all.find("COM7: The serial port /dev/ttyUSB-unplugged-adapter does not exist"), std::string::npos) << all;
    EXPECT_NE(all.find("USB adapter plugged in"), std::string::npos) << all;

    ::setenv("AVIARY_COM7", pty->slavePath().c_str(), 1);
    {
        Holder other(pty->slavePath());
        ASSERT_TRUE(other.held());
        all = allText(examine(*telegram));
        EXPECT_NE(all.find("COM7: The serial port " + pty->slavePath() + " is in use by"), std::string::npos) << all;
        EXPECT_NE(all.find("process " + std::to_string(other.pid())), std::string::npos) << all;
    }
    // Once the other program is gone the same port works, with nothing to say.
    all = allText(examine(*telegram));
    EXPECT_EQ(all.find("serial port"), std::string::npos) << all;
    expectLineFree();
}

TEST_F(PortProblemsTest, AdapterUnpluggedMidUploadEndsWithTheLineLostMessage)
{
    startPty();
    state().currentAddress = "1";
    const std::string workPath = MakeWorkingFile(writeDatabase(1808));
    ASSERT_FALSE(workPath.empty());
    const std::string before = readFile(workPath);
    BulkTransferFlow flow(*telegram, {workPath, "/tvk/RQ-1808.tvk", "1", "ADDR=01\"Mixer\"", "LIST  A"},
                          BulkTransferFlow::Direction::Upload);
    for (auto s = flow.Next(); s.kind != BulkTransferFlow::Step::RunTransfer; s = flow.Next()) {
        ASSERT_EQ(s.kind, BulkTransferFlow::Step::AskYesNo);
        flow.Answer(true);
    }
    TransferModel dialog(*telegram, TransferModel::Mode::Upload, flow.job());
    auto st = dialog.Open();
    const auto start = std::chrono::steady_clock::now();
    for (int ticks = 0; st != TransferModel::State::Ended && ticks < 5000; ++ticks) {
        if (ticks == 20) {
            // The adapter goes: the simulator stops and the pty's far end closes.
            runner.reset();
            pty.reset();
        }
        st = st == TransferModel::State::Asking ? dialog.Answer(true) : dialog.Tick();
    }
    ASSERT_EQ(st, TransferModel::State::Ended);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    ASSERT_EQ(dialog.notices().size(), 1u) << allText(dialog.notices());
    EXPECT_EQ(dialog.notices()[0].text, kLineLost);
    flow.TransferEnded(dialog.result());
    EXPECT_EQ(readFile(workPath), before);
    expectLineFree();
}

}  // namespace
}  // namespace kestrel::testing
