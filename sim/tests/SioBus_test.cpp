// The simulated SIO line: telegrams in, replies out, the drive's behaviour.
#include <sim/sio/SioBus.h>
#include <sim/sio/SioCommand.h>

#include <gtest/gtest.h>

namespace sim {
namespace {

constexpr char STX = 0x02, ETX = 0x03, EOT = 0x04, ENQ = 0x05, ACK = 0x06, NAK = 0x15;

std::string readReq(int addr, const std::string& number)
{
    return std::string(1, EOT) + static_cast<char>(0x20 + addr) + "U" + number + ENQ;
}

std::string writeReq(int addr, const std::string& text, bool corrupt = false)
{
    const std::string body = "U" + text + ETX;
    char bcc = SioBus::bcc(body);
    if (corrupt) bcc = static_cast<char>(bcc ^ 1);
    return std::string(1, EOT) + static_cast<char>(0x20 + addr) + STX + body + bcc;
}

std::string valueReply(int addr, const std::string& number, const std::string& value)
{
    const std::string text = "U" + number + value + ETX;
    return std::string(1, static_cast<char>(0x20 + addr)) + STX + text + SioBus::bcc(text);
}

class SioBusTest : public ::testing::Test {
protected:
    SioBus bus{*SioBus::parseDrives("1:1808,5:1812")};

    std::string exchange(const std::string& request)
    {
        std::string out;
        for (const auto& o : bus.feed(request)) out += o.bytes;
        return out;
    }
    std::string read(int addr, const std::string& number)
    {
        const std::string r = exchange(readReq(addr, number));
        return r.size() == 13 ? r.substr(7, 4) : "none:" + r;
    }
    char write(int addr, const std::string& text)
    {
        const std::string r = exchange(writeReq(addr, text));
        return r.size() == 1 ? r[0] : '?';
    }
};

TEST_F(SioBusTest, ReadReplyIsFramedWithItsBcc)
{
    EXPECT_EQ(exchange(readReq(5, "00E4")), valueReply(5, "00E4", "0714"));
    EXPECT_EQ(exchange(readReq(1, "FFF0")),
              valueReply(1, "FFF0", hex4(static_cast<uint16_t>(SioCatalogue::forVersion(1808)->records().size()))));
    EXPECT_EQ(exchange(readReq(2, "00E4")), "");  // nobody at address 2
}

TEST_F(SioBusTest, TelegramsSplitAcrossReadsAndGarbageBetweenThem)
{
    const std::string req = readReq(1, "00E4");
    std::string out;
    for (char c : "\x7Fzz" + req.substr(0, 3)) for (auto& o : bus.feed(std::string(1, c))) out += o.bytes;
    EXPECT_EQ(out, "");
    for (auto& o : bus.feed(req.substr(3))) out += o.bytes;
    EXPECT_EQ(out, valueReply(1, "00E4", "0710"));
    // A broken telegram is dropped; the next EOT starts afresh.
    EXPECT_EQ(exchange(readReq(1, "00E4").substr(0, 5) + readReq(1, "00F1")), valueReply(1, "00F1", "06DC"));
    EXPECT_EQ(exchange(std::string(1, EOT) + "!U00G1" + ENQ), "");
}

TEST_F(SioBusTest, WritesAreCheckedTheWayTheDriveChecksThem)
{
    struct Case { std::string text; char reply; uint16_t error; };
    const Case cases[] = {
        {"00310005", ACK, 0},
        {"00310063", NAK, 0x80},  // above the maximum
        {"00E40001", NAK, 0x40},  // view-only
        {"0FFF0001", NAK, 0x20},  // no such parameter
        {"00300000", NAK, 0x40},  // group header
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(write(1, c.text), c.reply);
        EXPECT_EQ(read(1, "00AC"), hex4(c.error));
        EXPECT_EQ(read(1, "00AC"), "0000");  // reading clears it
    }
    EXPECT_EQ(exchange(writeReq(1, "00310002", true)), std::string(1, NAK));
    EXPECT_EQ(read(1, "00AC"), "0010");
    EXPECT_EQ(read(1, "0031"), "0005");
}

TEST_F(SioBusTest, ControlWordDrivesTheStatusWord)
{
    EXPECT_EQ(read(1, "00E8"), "2001");
    EXPECT_EQ(write(1, "00AD0080"), ACK);
    EXPECT_EQ(read(1, "00E8"), "2007");
    EXPECT_EQ(write(1, "00310002"), NAK);  // not while running
    EXPECT_EQ(read(1, "00AC"), "0004");
    EXPECT_EQ(write(1, "00E90002"), NAK);
    EXPECT_EQ(read(1, "00AC"), "0004");
    EXPECT_EQ(write(1, "003A1388"), ACK);  // the setpoint may change any time
    EXPECT_EQ(write(1, "00AD0040"), ACK);
    EXPECT_EQ(read(1, "00E8"), "2027");
    EXPECT_EQ(write(1, "00AD0000"), ACK);
    EXPECT_EQ(read(1, "00E8"), "2021");
    bus.trip(1, 5);
    EXPECT_EQ(read(1, "00E8"), "2020");
    EXPECT_EQ(read(1, "000B"), "0005");
    EXPECT_EQ(write(1, "00AD0080"), NAK);  // no run command while tripped
    EXPECT_EQ(read(1, "00AC"), "0004");
    EXPECT_EQ(write(1, "00AD0000"), ACK);  // reset
    EXPECT_EQ(read(1, "00E8"), "2021");
    bus.withDrive(1, [](SioDrive& d) { d.setSioControl(false); });
    EXPECT_EQ(read(1, "00E8"), "0821");
    EXPECT_EQ(write(1, "00AD0080"), NAK);
    EXPECT_EQ(read(1, "00AC"), "0008");
}

TEST_F(SioBusTest, ParameterSetsKeepTheirOwnValues)
{
    EXPECT_EQ(read(1, "00E9"), "0001");
    const std::string set1 = read(1, "0152");
    EXPECT_EQ(write(1, "00E90002"), ACK);
    EXPECT_EQ(read(1, "00E9"), "0002");
    EXPECT_NE(read(1, "0152"), set1);
    EXPECT_EQ(write(1, "00E90004"), NAK);
    EXPECT_EQ(write(1, "00E90001"), ACK);
    EXPECT_EQ(read(1, "0152"), set1);
}

TEST_F(SioBusTest, KeypadChangesAreReportedOnce)
{
    EXPECT_EQ(exchange(readReq(1, "FFFC")), valueReply(1, "0000", "0000"));
    ASSERT_TRUE(bus.keypadChange(1, 0x0042, 0x0033));
    EXPECT_EQ(exchange(readReq(1, "FFFC")), valueReply(1, "0042", "0033"));
    EXPECT_EQ(exchange(readReq(1, "FFFC")), valueReply(1, "0000", "0000"));
    bus.keypadChange(1, 0x0042, 0x0034);
    bus.keypadChange(1, 0x0043, 0x0001);
    EXPECT_EQ(exchange(readReq(1, "FFFC")), valueReply(1, "FFFB", "0000"));
    EXPECT_FALSE(bus.keypadChange(1, 0x0040, 1));  // a group header
    EXPECT_FALSE(bus.keypadChange(9, 0x0042, 1));
    // Writes over the line are not keypad changes.
    write(1, "00420001");
    EXPECT_EQ(exchange(readReq(1, "FFFC")), valueReply(1, "0000", "0000"));
}

TEST_F(SioBusTest, BlockUploadWalksTheCatalogue)
{
    const auto& records = SioCatalogue::forVersion(1812)->records();
    std::string r = exchange(readReq(5, "FFFF"));
    ASSERT_EQ(r.size(), 49u);
    EXPECT_EQ(r.substr(1, 8), std::string(1, STX) + "U0000" + "00");
    EXPECT_EQ(r[47], ETX);
    EXPECT_EQ(r[48], SioBus::bcc(r.substr(2, 46)));
    EXPECT_EQ(exchange(readReq(5, "FFFA")), r);
    size_t seen = 1;
    for (;;) {
        r = exchange(readReq(5, "FFFE"));
        ASSERT_EQ(r.size(), 49u);
        if (r.substr(10).find("FFFD") != std::string::npos) break;
        EXPECT_EQ(r.substr(3, 4), hex4(records[seen].number));
        ++seen;
    }
    EXPECT_EQ(seen, records.size());
    EXPECT_NE(exchange(readReq(5, "FFFE")).substr(10).find("FFFD"), std::string::npos);
}

TEST_F(SioBusTest, FaultsShapeTheReplies)
{
    bus.addFault(*SioFault::parse("silent:1@5"));
    EXPECT_EQ(exchange(readReq(5, "00E4")), "");
    EXPECT_EQ(exchange(readReq(5, "00E4")).size(), 13u);
    bus.addFault(*SioFault::parse("truncate:1"));
    EXPECT_EQ(exchange(readReq(1, "00E4")).size(), 6u);
    bus.addFault(*SioFault::parse("badbcc:1"));
    const std::string bad = exchange(readReq(1, "00E4"));
    EXPECT_NE(bad.back(), SioBus::bcc(bad.substr(2, 10)));
    bus.addFault(*SioFault::parse("delay:40"));
    const auto out = bus.feed(readReq(1, "00E4"));
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].delayMs, 40u);
    bus.clearFaults();
    EXPECT_EQ(bus.feed(readReq(1, "00E4"))[0].delayMs, 0u);
}

TEST(SioFaultSpec, Parsing)
{
    const auto f = SioFault::parse("badbcc:3@7");
    ASSERT_TRUE(f);
    EXPECT_EQ(f->kind, SioFault::BadBcc);
    EXPECT_EQ(f->remaining, 3);
    EXPECT_EQ(f->address, 7);
    EXPECT_EQ(SioFault::parse("delay:250")->delayMs, 250u);
    EXPECT_EQ(SioFault::parse("noise")->remaining, -1);
    for (const char* bad : {"", "delay", "loud", "silent:x", "silent@32", "silent:-1", "noise@"})
        EXPECT_FALSE(SioFault::parse(bad)) << bad;
}

TEST(SioDriveList, Parsing)
{
    const auto d = SioBus::parseDrives("1:1808,5:1812,31");
    ASSERT_TRUE(d);
    ASSERT_EQ(d->size(), 3u);
    EXPECT_EQ((*d)[1].address, 5);
    EXPECT_EQ((*d)[1].version, 1812);
    EXPECT_EQ((*d)[2].version, 1808);
    for (const char* bad : {"", "1,", "32:1808", "1:1806", "x:1808", "1:18o8"})
        EXPECT_FALSE(SioBus::parseDrives(bad)) << bad;
    SioBus bus(*SioBus::parseDrives("1,1"));
    EXPECT_EQ(bus.addresses(), std::vector<int>{1});
}

TEST(SioCommands, ConsoleCommandsActOnTheDrives)
{
    SioBus bus(*SioBus::parseDrives("3:1812"));
    EXPECT_TRUE(runSioCommand(bus, "keypad 3 42 7").ok);
    uint16_t v = 0;
    bus.withDrive(3, [&](SioDrive& d) { v = d.value(0x0042); });
    EXPECT_EQ(v, 7);
    EXPECT_TRUE(runSioCommand(bus, "trip 3 13").ok);
    EXPECT_EQ(runSioCommand(bus, "status 3").output, "status 3 E8=2000 AD=0000 E9=1 3A=0000 31=0001");
    EXPECT_TRUE(runSioCommand(bus, "sio 3 off").ok);
    EXPECT_TRUE(runSioCommand(bus, "fault silent:2").ok);
    EXPECT_TRUE(runSioCommand(bus, "clear-faults").ok);
    EXPECT_TRUE(runSioCommand(bus, "quit").quit);
    EXPECT_TRUE(runSioCommand(bus, "").ok);
    for (const char* bad : {"keypad 4 42 7", "keypad 3 4G 7", "keypad 3 42", "trip 3 40", "status 99", "dance 3",
                            "sio 3 maybe", "fault loud"})
        EXPECT_FALSE(runSioCommand(bus, bad).ok) << bad;
}

}  // namespace
}  // namespace sim
