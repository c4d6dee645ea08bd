// The tools' logic end to end: Upload All, Download All to a drive whose
// writes are locked by a password, STOP, and the keypad, through the real
// link server on a private session bus against `aviary-sim merlin` on a
// pseudo-terminal. Everything checked is what the simulated drive holds.
#include <merlin/core/CDpfParSet.h>
#include <merlin/core/KeypadWindow.h>
#include <merlin/core/TransferDialog.h>
#include <merlin/link/CTernLink.h>
#include <tern/tests/ServerBusTesting.h>

#include <platform/testing/ScriptedResponder.h>
#include <platform/testing/SimulatorOnPty.h>

namespace merlin {
namespace {

using namespace tern::testkit;
using Step = TransferDialog::Step;

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new TernBusEnvironment);

constexpr int kCom = 3;
constexpr uint16_t kPassword = 4711;
constexpr const char* kDefinition = "LM3_Normal_V3.dpf";

// Two drives of the definition, units 1 and 2, with writes locked until
// the password is given, in "aviary-sim" (a child process).
class SimulatedLine {
public:
    SimulatedLine()
        : sim_({"merlin", "--pty", "--drive", std::string(kDefinition) + "@1", "--drive",
                std::string(kDefinition) + "@2", "--password", std::to_string(kPassword)})
    {
        ok_ = sim_.ok() && platform::setComPortDevice(kCom, sim_.path());
    }
    bool ok() const { return ok_; }
    const std::string& error() const { return sim_.error(); }

private:
    platform::testing::SimulatorOnPty sim_;
    bool ok_ = false;
};

LinkSettings settings()
{
    LinkSettings s;
    s.comPort = kCom;
    s.baudRate = 19200;
    s.timeoutMs = 300;
    s.requestDelayMs = 0;
    return s;
}

struct MerlinToolsTern : ::testing::Test {
    MerlinToolsTern()
    {
        set.SetTrace(nullptr);
        set.LoadDefinition(kDefinition);
        link.OpenLink();
    }
    // Ticks as the dialog's timer does, until a question or the end.
    Step run(TransferDialog& dialog)
    {
        Step step;
        while ((step = dialog.Tick(now += 2)) == Step::Continue) {
        }
        return step;
    }
    uint16_t atDrive(int unit, int offset)
    {
        uint16_t value = 0;
        EXPECT_EQ(link.ReadRegister(unit, offset, value), kLinkOk) << offset;
        return value;
    }

    SimulatedLine line;
    platform::testing::ScriptedResponder noMessages{[](const std::string& f) { ADD_FAILURE() << f; }};
    CTernLink link{settings()};
    CDpfParSet set{binDir()};
    uint32_t now = 0;
};

bool writable(const CPar& par)
{
    const int offset = par.RegisterOffset();
    return par.access == 0 && offset != 298 && offset != 299;
}

TEST_F(MerlinToolsTern, UploadThenDownloadToALockedDriveWithItsPassword)
{
    ASSERT_TRUE(line.ok()) << line.error();
    // The first drive's values go into the set.
    const uint16_t speed = 3210;
    link.WriteRegister(1, 298, kPassword);
    ASSERT_EQ(link.WriteRegister(1, 102, speed), kLinkOk);
    TransferDialog upload(TransferDirection::Upload, link, 1, set);
    upload.Start(now);
    ASSERT_EQ(run(upload), Step::Done);
    ASSERT_TRUE(upload.completed());
    EXPECT_TRUE(upload.failureRows().empty());
    EXPECT_EQ(set.Value(3, 2), speed);

    // Down to the second drive: refused until the password is entered.
    TransferDialog download(TransferDirection::Download, link, 2, set);
    download.Start(now);
    ASSERT_EQ(run(download), Step::AskPassword);
    EXPECT_EQ(download.failureRows().size(), 11u);
    EXPECT_EQ(download.failureRows()[0].error, "8201  refused (exception 1)");
    download.AnswerPassword(kPassword, now);
    ASSERT_EQ(run(download), Step::Done);
    EXPECT_TRUE(download.completed());
    for (int k = 0; k < set.Count(); ++k) {
        if (writable(set.At(k))) {
            EXPECT_EQ(atDrive(2, set.RegisterOffsetAt(k)), rawToRegister(set.ValueAt(k))) << set.NameAt(k);
        }
    }
    // What the drive refused is listed, nothing else.
    for (const TransferDialog::FailureRow& row : download.failureRows())
        EXPECT_NE(row.error.find("refused"), std::string::npos) << row.parameter;
}

TEST_F(MerlinToolsTern, StopEndsTheUploadAndTheLinkCarriesOn)
{
    ASSERT_TRUE(line.ok()) << line.error();
    TransferDialog upload(TransferDirection::Upload, link, 1, set);
    upload.Start(now);
    for (int k = 0; k < 20; ++k)
        ASSERT_EQ(upload.Tick(now), Step::Continue);
    upload.Stop();
    ASSERT_EQ(upload.Tick(now), Step::Done);
    EXPECT_EQ(upload.endCode(), kEndAborted);
    EXPECT_EQ(atDrive(1, 998), 8);
}

TEST_F(MerlinToolsTern, KeypadRunsTheSimulatedDrive)
{
    ASSERT_TRUE(line.ok()) << line.error();
    CTernLink keypadLink(settings());
    ASSERT_TRUE(keypadLink.OpenLink());
    KeypadWindow keypad(keypadLink, 1);
    for (int k = 0; k < 4; ++k)
        keypad.Tick();
    EXPECT_EQ(keypad.view().result, "0000");

    keypad.Press(KeypadWindow::Button::Fwd);
    EXPECT_EQ(atDrive(1, 201) & 0x040F, 0x0005);
    keypad.Press(KeypadWindow::Button::Ext1);
    const uint16_t before = atDrive(1, 203);
    keypad.Press(KeypadWindow::Button::Inc);
    EXPECT_EQ(atDrive(1, 203), before + 100);
    keypad.Press(KeypadWindow::Button::Stop);
    EXPECT_EQ(atDrive(1, 201) & 0x040F, 0x0003);
    keypad.Press(KeypadWindow::Button::ErrorReset);
    EXPECT_EQ(atDrive(1, 201) & 0x8000, 0);
    EXPECT_EQ(keypad.view().result, "0000");
}

}  // namespace
}  // namespace merlin
