// The Bus Monitor window's logic: how each kind of frame reads in its row,
// that pausing holds the rows still and nothing is lost when it resumes,
// the station filter (a time-out belongs to the station that was asked),
// frames the server's ring dropped, and saving a capture.
#include <merlin/core/BusMonitor.h>

#include <gtest/gtest.h>

#include <deque>

namespace merlin {
namespace {

using Bytes = std::vector<uint8_t>;

class FakeMonitor : public MonitorSource {
public:
    std::vector<MonitorFrame> frames;
    bool answers = true;
    std::string savedTo;
    std::string refuse;

    void add(uint8_t direction, uint8_t outcome, Bytes bytes, uint64_t exchange)
    {
        MonitorFrame f;
        f.sequence = frames.size() + 1 + skipped;
        f.exchange = exchange;
        f.timeUs = 1000000 + 2500 * static_cast<int64_t>(f.sequence);
        f.gapUs = 1750;
        f.direction = direction;
        f.outcome = outcome;
        f.bytes = std::move(bytes);
        frames.push_back(f);
    }
    bool framesSince(uint64_t sequence, std::vector<MonitorFrame>& out) override
    {
        for (const auto& f : frames)
            if (f.sequence > sequence) out.push_back(f);
        return answers;
    }
    bool saveCapture(const std::string& path, std::string& error) override
    {
        if (!refuse.empty()) return error = refuse, false;
        savedTo = path;
        return true;
    }
    uint64_t skipped = 0;
};

// CRCs as the wire carries them.
const Bytes kRead{0x01, 0x03, 0x00, 0x0A, 0x00, 0x02, 0xE4, 0x09};
const Bytes kReply{0x01, 0x03, 0x04, 0x03, 0xF2, 0x03, 0xF3, 0x00, 0x00};
const Bytes kException{0x02, 0x83, 0x02, 0xC0, 0xF1};

TEST(BusMonitor, EachFrameReadsAsStationFunctionDataAndMeaning)
{
    MonitorFrame f;
    f.bytes = kRead;
    f.gapUs = 3125;
    MonitorRow r = describeFrame(f);
    EXPECT_EQ(r.direction, "TX");
    EXPECT_EQ(r.station, "1");
    EXPECT_EQ(r.function, "3 Read Holding Registers");
    EXPECT_EQ(r.data, "00 0A 00 02");
    EXPECT_EQ(r.meaning, "2 from 10");
    EXPECT_EQ(r.gap, "3.125");
    EXPECT_FALSE(r.error);

    f.direction = MonitorFrame::Response;
    f.outcome = MonitorFrame::Reply;
    f.bytes = kReply;
    r = describeFrame(f);
    EXPECT_EQ(r.direction, "RX");
    EXPECT_EQ(r.meaning, "1010, 1011");

    f.outcome = MonitorFrame::Exception;
    f.bytes = kException;
    r = describeFrame(f);
    EXPECT_EQ(r.function, "131 Read Holding Registers");
    EXPECT_EQ(r.meaning, "exception 2: illegal data address");
    EXPECT_TRUE(r.error);

    f.outcome = MonitorFrame::ChecksumError;
    f.bytes = {0x01, 0x06, 0x00, 0x05, 0x00, 0x4D, 0x00, 0x00};
    r = describeFrame(f);
    EXPECT_EQ(r.meaning, "checksum error");
    EXPECT_EQ(r.data, "01 06 00 05 00 4D 00 00");  // the bytes as they came
    EXPECT_TRUE(r.error);

    f.ascii = true;
    f.outcome = MonitorFrame::Sent;
    f.direction = MonitorFrame::Request;
    const std::string text = ":0106000500FFF3\r\n";
    f.bytes.assign(text.begin(), text.end());
    r = describeFrame(f);
    EXPECT_EQ(r.station, "1");
    EXPECT_EQ(r.meaning, "register 5 = 255");
}

TEST(BusMonitor, PauseHoldsTheRowsAndTheFilterKeepsATimeOutWithItsStation)
{
    FakeMonitor source;
    source.add(0, MonitorFrame::Sent, kRead, 1);
    source.add(1, MonitorFrame::Reply, kReply, 1);
    BusMonitor monitor(source);
    monitor.tick();
    ASSERT_EQ(monitor.view().rows.size(), 2u);
    EXPECT_EQ(monitor.view().rows[0].time, "0.000000");
    EXPECT_EQ(monitor.view().rows[1].time, "0.002500");

    monitor.setPaused(true);
    source.add(0, MonitorFrame::Sent, {0x07, 0x03, 0x00, 0x00, 0x00, 0x01, 0x84, 0x6C}, 2);
    source.add(1, MonitorFrame::TimeOut, {}, 2);
    monitor.tick();
    EXPECT_EQ(monitor.view().rows.size(), 2u);
    monitor.setPaused(false);
    monitor.tick();
    ASSERT_EQ(monitor.view().rows.size(), 4u);
    EXPECT_EQ(monitor.view().rows[3].meaning, "no reply (time-out)");

    monitor.setStationFilter(7);
    ASSERT_EQ(monitor.view().rows.size(), 2u);
    EXPECT_EQ(monitor.view().rows[1].station, "7");
    EXPECT_TRUE(monitor.view().rows[1].error);
    monitor.setStationFilter(-1);
    EXPECT_EQ(monitor.view().rows.size(), 4u);
    monitor.tick();  // nothing new: nothing repeated
    EXPECT_EQ(monitor.view().rows.size(), 4u);
}

TEST(BusMonitor, FramesTheServerDroppedAreCountedAndASavedCaptureReportsFailure)
{
    FakeMonitor source;
    source.add(0, MonitorFrame::Sent, kRead, 1);
    BusMonitor monitor(source);
    monitor.tick();
    source.frames.clear();
    source.skipped = 10;  // the ring moved on while nobody looked
    source.add(0, MonitorFrame::Sent, kRead, 7);
    monitor.tick();
    EXPECT_EQ(monitor.view().lost, 9u);
    EXPECT_EQ(monitor.view().rows.size(), 2u);

    source.answers = false;
    monitor.tick();
    EXPECT_FALSE(monitor.view().serverAnswers);

    EXPECT_TRUE(monitor.saveCapture("/tmp/x.pcapng").text.empty());
    EXPECT_EQ(source.savedTo, "/tmp/x.pcapng");
    EXPECT_TRUE(monitor.saveCapture("").text.empty());  // the file dialog was cancelled
    source.refuse = "/nowhere/x.pcapng: No such file or directory";
    const platform::Notice n = monitor.saveCapture("/nowhere/x.pcapng");
    EXPECT_EQ(n.text, "Cannot save the capture: /nowhere/x.pcapng: No such file or directory");
    EXPECT_EQ(n.icon, platform::MsgIcon::Exclamation);
}

}  // namespace
}  // namespace merlin
