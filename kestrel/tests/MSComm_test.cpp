// The serial control on the serial layer: settings strings, open state,
// buffer counts, RTS/CTS and line events.
#include <kestrel/core/CMSComm.h>

#include <platform/MemoryLine.h>

#include <gtest/gtest.h>

#include <vector>

namespace kestrel {
namespace {

TEST(MSCommSettings, SettingsStringsAreParsedOrRefused)
{
    struct Case { const char* text; bool ok; unsigned baud; int bits; platform::Parity parity; };
    const Case cases[] = {
        {"9600,N,8,1", true, 9600, 8, platform::Parity::None},
        {"57600,E,7,1", true, 57600, 7, platform::Parity::Even},
        {"14400,n,8,2", true, 14400, 8, platform::Parity::None},
        {"N,8,1", false, 0, 0, {}},        // an unknown baud text leaves the baud part empty
        {"9600,X,8,1", false, 0, 0, {}},
        {"9600,N,9,1", false, 0, 0, {}},
        {"9600,N,8,3", false, 0, 0, {}},
        {"0,N,8,1", false, 0, 0, {}},
        {"", false, 0, 0, {}},
    };
    for (const Case& c : cases) {
        platform::SerialSettings s;
        EXPECT_EQ(CMSComm::parseSettings(c.text, s), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(s.baudRate, c.baud);
            EXPECT_EQ(s.dataBits, c.bits);
            EXPECT_EQ(s.parity, c.parity);
        }
    }
    CMSComm comm;
    EXPECT_FALSE(comm.SetSettings("N,8,1"));
    EXPECT_EQ(comm.lastError(), commErrInvalidProperty);
    EXPECT_EQ(comm.GetSettings(), "9600,N,8,1");
}

TEST(MSComm, BehavesLikeTheControlOnAMemoryLine)
{
    platform::MemoryLineOptions o;
    o.rtsCtsLoop = true;
    platform::MemoryLine line(o);
    CMSComm comm;
    comm.attach(&line.a());
    EXPECT_EQ(comm.GetInBufferCount(), 0);
    EXPECT_EQ(comm.lastError(), commErrNotOpen);
    comm.ClearError();
    ASSERT_TRUE(comm.SetPortOpen(true));
    EXPECT_FALSE(comm.SetPortOpen(true));
    EXPECT_EQ(comm.lastError(), commErrPortOpen);

    EXPECT_FALSE(comm.GetCTSHolding());
    comm.SetRTSEnable(true);
    EXPECT_TRUE(comm.GetCTSHolding());

    line.b().open("");
    line.b().writeAll("hello");
    EXPECT_EQ(comm.GetInBufferCount(), 5);
    EXPECT_EQ(comm.GetInput(), "hello");
    EXPECT_EQ(comm.GetInput(), "");
    line.b().writeAll("stale");
    comm.SetInBufferCount(0);
    EXPECT_EQ(comm.GetInBufferCount(), 0);

    ASSERT_TRUE(comm.SetOutput("req"));
    EXPECT_EQ(comm.GetOutBufferCount(), 0);
    platform::CommTimeouts atOnce;
    atOnce.readInterval = platform::CommTimeouts::kMaxDword;
    line.b().setTimeouts(atOnce);
    uint8_t buf[8];
    size_t got = 0;
    line.b().read(buf, sizeof buf, got);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), got), "req");

    std::vector<int> events;
    comm.setEventHandler([&](int e) { events.push_back(e); });
    line.injectEventA(platform::EventBreak | platform::EventFraming);
    comm.GetInBufferCount();
    EXPECT_EQ(events, (std::vector<int>{comEventBreak, comEventFrame}));

    ASSERT_TRUE(comm.SetPortOpen(false));
    EXPECT_FALSE(comm.GetPortOpen());
    EXPECT_FALSE(comm.SetOutput("x"));
}

}  // namespace
}  // namespace kestrel
