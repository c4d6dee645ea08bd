// CTelegram against simulated drives on a memory line: the bytes on the wire,
// reply checks, retries, the write recovery, RTS mode with its echo.
#include "SioLineFixture.h"

#include <kestrel/core/DeviceConnection.h>

#include <kestrel/core/FormatValue.h>

#include <fstream>
#include <sstream>
#include <thread>

namespace kestrel::testing {
namespace {

using sim::SioFault;

std::string bytesOf(std::initializer_list<int> b)
{
    std::string s;
    for (int c : b) s += static_cast<char>(c);
    return s;
}

TEST(TelegramBytes, RequestsAreLaidOutByteForByte)
{
    EXPECT_EQ(CTelegram::addressCharacter("5"), '%');
    EXPECT_EQ(CTelegram::addressCharacter("05"), '%');
    EXPECT_EQ(CTelegram::addressCharacter("0"), ' ');
    EXPECT_EQ(CTelegram::addressCharacter("31"), '?');
    EXPECT_EQ(CTelegram::readRequest('%', "00AC"), bytesOf({0x04, '%', 'U', '0', '0', 'A', 'C', 0x05}));

    const char bcc = static_cast<char>('U' ^ '0' ^ '0' ^ '3' ^ '1' ^ '0' ^ '0' ^ '0' ^ '1' ^ 0x03);
    EXPECT_EQ(CTelegram::writeRequest('!', "00310001"),
              bytesOf({0x04, '!', 0x02, 'U', '0', '0', '3', '1', '0', '0', '0', '1', 0x03, bcc}));
}

class TelegramTest : public SioLineFixture {};

TEST_F(TelegramTest, ReadsAValueFromTheAddressedDrive)
{
    startLine("1:1808,5:1812");
    openFor(5);
    ASSERT_TRUE(telegram->ReadParameter("00E4"));
    EXPECT_EQ(telegram->valueText(), "0714");
    EXPECT_EQ(telegram->paramNo(), "00E4");
    EXPECT_EQ(telegram->reply().size(), 13u);
    EXPECT_EQ(telegram->replyTail(), telegram->reply().substr(10));
    openFor(1);
    ASSERT_TRUE(telegram->ReadParameter("00E4"));
    EXPECT_EQ(telegram->valueText(), "0710");
    telegram->ClosePort(false);
}

TEST_F(TelegramTest, FailedAttemptsAreRepeatedAndThenGiveUp)
{
    for (const char* fault : {"silent", "badbcc", "truncate", "noise"}) {
        SCOPED_TRACE(fault);
        startLine("1:1808");
        openFor(1);
        bus->addFault(*SioFault::parse(fault));
        const int before = bus->telegrams();
        EXPECT_FALSE(telegram->ReadParameter("00E4"));
        EXPECT_EQ(bus->telegrams() - before, 3);
        EXPECT_EQ(telegram->status(), 0);
        telegram->ClosePort(false);
        runner->stop();
    }
}

TEST_F(TelegramTest, OneBadReplyIsRecoveredByTheNextAttempt)
{
    startLine("1:1808");
    openFor(1);
    bus->addFault(*SioFault::parse("badbcc:1"));
    ASSERT_TRUE(telegram->ReadParameter("00E4"));
    EXPECT_EQ(telegram->valueText(), "0710");
}

TEST_F(TelegramTest, ChangedParameterQueryTakesTheNumberFromTheReply)
{
    startLine("1:1808");
    bus->keypadChange(1, 0x0042, 0x0123);
    openFor(1);
    ASSERT_TRUE(telegram->ReadParameter("FFFC"));
    EXPECT_EQ(telegram->paramNo(), "0042");
    EXPECT_EQ(telegram->valueText(), "0123");
    ASSERT_TRUE(telegram->ReadParameter("FFFC"));
    EXPECT_EQ(telegram->paramNo(), "0000");
}

TEST_F(TelegramTest, AcceptedWriteChangesTheDrive)
{
    startLine("1:1808");
    openFor(1);
    ASSERT_TRUE(telegram->WriteParameter("00310005"));
    EXPECT_EQ(driveValue(1, 0x0031), 5);
}

TEST_F(TelegramTest, RefusedWriteRecoversBetweenAttemptsOnly)
{
    startLine("1:1808");
    openFor(1);
    int before = bus->telegrams();
    // 0031 allows 0..11: the drive answers NAK and flags "Value range exceeded".
    EXPECT_FALSE(telegram->WriteParameter("00310063"));
    // Three writes, two recoveries of two error-register reads each.
    EXPECT_EQ(bus->telegrams() - before, 3 + 2 * 2);
    EXPECT_EQ(telegram->paramNo(), "00AC");

    telegram->SetRepeat(1);
    before = bus->telegrams();
    EXPECT_FALSE(telegram->WriteParameter("00310063"));
    EXPECT_EQ(bus->telegrams() - before, 1);
    ASSERT_TRUE(telegram->ReadParameter("00AC"));
    EXPECT_EQ(telegram->valueText(), "0080");
    telegram->ResetRepeat();
    EXPECT_EQ(telegram->repeat(), 3);
}

TEST_F(TelegramTest, ProbeAnswersWhetherAnythingCameBack)
{
    startLine("1:1808");
    openFor(1);
    EXPECT_EQ(telegram->ProbeAddress("FFF0"), 1);
    openFor(2);
    EXPECT_EQ(telegram->ProbeAddress("FFF0"), 0);
    bus->addFault(*SioFault::parse("noise@1"));
    openFor(1);
    EXPECT_EQ(telegram->ProbeAddress("FFF0"), 1);
}

TEST_F(TelegramTest, BlockReadDeliversTheRecordFromTheU)
{
    startLine("1:1808");
    openFor(1);
    ASSERT_TRUE(telegram->ReadBlock("FFFF"));
    const std::string& v = telegram->valueText();
    ASSERT_GE(v.size(), 46u);
    EXPECT_EQ(v.substr(0, 9), "U00000000");
    EXPECT_EQ(v[45], sio::ETX);
    ASSERT_TRUE(telegram->ReadBlock("FFFE"));
    EXPECT_EQ(telegram->valueText().substr(0, 5), "U0001");
}

TEST_F(TelegramTest, RtsModeReadsPastTheEchoOfTheRequest)
{
    platform::MemoryLineOptions o;
    o.rtsCtsLoop = true;
    o.echoA = true;
    startLine("1:1808", o);
    state().settings.rtsMode = true;
    openFor(1);
    ASSERT_TRUE(telegram->ReadParameter("00E4"));
    EXPECT_EQ(telegram->valueText(), "0710");
    EXPECT_EQ(telegram->reply().substr(0, 8), CTelegram::readRequest('!', "00E4"));
    ASSERT_TRUE(telegram->WriteParameter("00310002"));
    EXPECT_EQ(driveValue(1, 0x0031), 2);
    ASSERT_TRUE(telegram->ReadBlock("FFFF"));
    EXPECT_EQ(telegram->valueText().substr(0, 5), "U0000");
    bus->keypadChange(1, 0x0042, 0x0007);
    ASSERT_TRUE(telegram->ReadParameter("FFFC"));
    EXPECT_EQ(telegram->paramNo(), "0042");
}

TEST_F(TelegramTest, RtsModeWithoutCtsStopsWithLineNotReady)
{
    startLine("1:1808");  // nobody reports RTS back
    state().settings.rtsMode = true;
    openFor(1);
    const int before = bus->telegrams();
    EXPECT_FALSE(telegram->ReadParameter("00E4"));
    EXPECT_EQ(telegram->status(), -1);
    EXPECT_EQ(bus->telegrams(), before);
    EXPECT_FALSE(telegram->WriteParameter("00310001"));
    EXPECT_EQ(telegram->status(), -1);
}

TEST_F(TelegramTest, PortFlagsKeepPollAndForegroundApart)
{
    startLine("1:1808");
    EXPECT_FALSE(telegram->IsPortBusy(false));
    EXPECT_TRUE(state().port.foregroundActive);
    EXPECT_TRUE(telegram->IsPortBusy(true));  // a poll must wait for the foreground
    telegram->OpenPort(false);
    telegram->ClosePort(false);
    EXPECT_FALSE(state().port.foregroundActive);
    EXPECT_FALSE(telegram->IsPortBusy(true));
    telegram->OpenPort(true);
    EXPECT_TRUE(state().port.pollHolds);
    EXPECT_TRUE(telegram->IsPortBusy(false));
    EXPECT_FALSE(telegram->WaitForPort(5));
    telegram->ClosePort(true);
    EXPECT_FALSE(telegram->IsPortBusy(false));
}

TEST_F(TelegramTest, BreakAndFramingEventsSetLineErrors)
{
    startLine("1:1808");
    openFor(1);
    line->injectEventA(platform::EventBreak);
    ASSERT_TRUE(telegram->ReadParameter("00E4"));
    EXPECT_EQ(telegram->LineErrors(), 1u);
    line->injectEventA(platform::EventFraming);
    ASSERT_TRUE(telegram->ReadParameter("00E4"));
    EXPECT_EQ(telegram->LineErrors(), 3u);
    telegram->ClearLineErrors();
    EXPECT_EQ(telegram->LineErrors(), 0u);
}

TEST_F(TelegramTest, DebugLogGetsEveryReceivedReplyInDisplayForm)
{
    startLine("1:1808");
    const std::string log = dir.file("Receive.txt");
    ASSERT_TRUE(state().log.open(log));
    state().settings.debug = true;
    openFor(1);
    ASSERT_TRUE(telegram->ReadParameter("00E4"));
    openFor(3);  // nobody there: the empty reply is logged too
    EXPECT_FALSE(telegram->ReadParameter("00E4"));
    state().log.close();
    std::ifstream in(log, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string bcc(1, CTelegram::bcc("U00E40710\x03"));
    EXPECT_EQ(ss.str(), "![STX]U00E40710[ETX]" + bcc + "\r\n\r\n\r\n\r\n");
}

TEST_F(TelegramTest, PortThatCannotBeUsedIsReportedAndFailsAtOnce)
{
    startLine("1:1808");
    state().settings.commSettings = "N,8,1";  // no baud part
    EXPECT_FALSE(telegram->OpenPort(false));
    EXPECT_TRUE(telegram->portError());
    EXPECT_FALSE(telegram->ReadParameter("00E4"));
    EXPECT_EQ(telegram->status(), -1);
}

// A drive that answers every request with one fixed reply.
class FixedReplyTest : public SioLineFixture {
protected:
    void answerWith(const std::string& reply)
    {
        startLine("9:1808");  // the simulated drive is never addressed
        responder = std::thread([this, reply] {
            auto& b = line->b();
            platform::CommTimeouts t;
            t.readInterval = platform::CommTimeouts::kMaxDword;
            t.readTotalMultiplier = platform::CommTimeouts::kMaxDword;
            t.readTotalConstant = 20;
            b.setTimeouts(t);
            while (!stop) {
                uint8_t buf[64];
                size_t got = 0;
                if (b.read(buf, sizeof buf, got) == platform::SerialResult::Ok && got > 0
                    && std::string(reinterpret_cast<char*>(buf), got).find('\x05') != std::string::npos)
                    b.writeAll(reply);
            }
        });
    }
    void TearDown() override
    {
        stop = true;
        if (responder.joinable()) responder.join();
        SioLineFixture::TearDown();
    }
    std::atomic<bool> stop{false};
    std::thread responder;
};

std::string readReply(const std::string& number, const std::string& value)
{
    const std::string text = "U" + number + value + "\x03";
    return "!\x02" + text + std::string(1, CTelegram::bcc(text));
}

TEST_F(FixedReplyTest, MisframedReplyFailsInsteadOfKeepingTheOldValue)
{
    // Right length, wrong number: the drive answered another question.
    answerWith(readReply("00E5", "1234"));
    openFor(1);
    runner->stop();
    EXPECT_FALSE(telegram->ReadParameter("00E4"));
    EXPECT_TRUE(telegram->valueText().empty());
}

TEST_F(FixedReplyTest, ChangedQueryAcceptsAnyNumber)
{
    answerWith(readReply("0123", "00FF"));
    runner->stop();
    openFor(1);
    ASSERT_TRUE(telegram->ReadParameter("FFFC"));
    EXPECT_EQ(telegram->paramNo(), "0123");
    EXPECT_EQ(telegram->valueText(), "00FF");
}

TEST_F(FixedReplyTest, ChangedQueryWithABadChecksumIsNoAnswer)
{
    // The keypad-change reply names any number, so its checksum is the only
    // thing that tells a damaged reply from a real change.
    std::string damaged = readReply("0123", "00FF");
    damaged.back() = static_cast<char>(damaged.back() ^ 0x01);
    answerWith(damaged);
    runner->stop();
    openFor(1);
    EXPECT_FALSE(telegram->ReadParameter("FFFC"));
    EXPECT_NE(telegram->paramNo(), "0123");
}

TEST_F(TelegramTest, KeypadChangeQueryDoesNotTakeADamagedReply)
{
    startLine("1:1808");
    bus->keypadChange(1, 0x0042, 0x0123);
    state().currentAddress = "1";
    bus->addFault(*SioFault::parse("badbcc"));
    const KeypadQuery damaged = KeypadChangeQuery(*telegram);
    EXPECT_EQ(damaged.result, KeypadQuery::NoAnswer);
    EXPECT_TRUE(damaged.changedNumber.empty());
}

}  // namespace
}  // namespace kestrel::testing
