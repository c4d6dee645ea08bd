// The bus monitor of a serial line: what the recorder keeps of every way an
// exchange can end, how clients read it by sequence number, and capture
// files that the real tshark decodes as Modbus without being told anything.
#include <tern/server/FrameRecorder.h>
#include <tern/server/PcapngWriter.h>

#include <tern/engine/CLocalModbus.h>

#include <sim/modbus/ModbusMapModel.h>
#include <sim/modbus/ModbusSlaveRunner.h>

#include <platform/MemoryLine.h>
#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace tern::server {
namespace {

using Bytes = std::vector<uint8_t>;

class BusCapture : public testing::Test {
protected:
    BusCapture() : redirect_(dir_.path()), master_(line_.a())
    {
        master_.SetTimeOut(80);
        master_.SetComPort(1);
        master_.SetBaudRate(19200);
        model_.fill();
        master_.SetFrameTap(&recorder_);
    }
    ~BusCapture() override { master_.SetFrameTap(nullptr); }
    void start(sim::ModbusFraming framing = sim::ModbusFraming::Rtu)
    {
        runner_ = std::make_unique<sim::ModbusSlaveRunner>(model_, sim::ModbusRunnerOptions{framing});
        std::string error;
        ASSERT_TRUE(runner_->startSerial(line_.b(), error)) << error;
        master_.SetTransmissionMode(framing == sim::ModbusFraming::Ascii ? CLocalModbus::kAscii : CLocalModbus::kRtu);
        ASSERT_TRUE(master_.Open());
    }
    // One of each: reply, exception, silence, bad checksum, broken frame, broadcast.
    void everyOutcome()
    {
        std::vector<uint16_t> v;
        EXPECT_EQ(master_.ReadOutputRegisters(1, 10, 2, v), 0);
        EXPECT_EQ(master_.ReadOutputRegisters(1, 999, 2, v), 0x8002);
        EXPECT_EQ(master_.ReadOutputRegisters(9, 0, 1, v), 1);
        runner_->faults().add(*sim::parseFault("badcrc:1"));
        EXPECT_EQ(master_.PresetSingleRegister(2, 5, 77), 3);
        runner_->faults().add(*sim::parseFault("short:1"));
        EXPECT_EQ(master_.ReadOutputRegisters(1, 0, 4, v), 3);
        size_t received = 0;
        std::span<uint8_t> none;
        const Bytes broadcast{0x00, 0x06, 0x00, 0x07, 0x00, 0x01, 0x68, 0x1B};
        EXPECT_EQ(master_.RawExchange(broadcast, none, received, 1), 0);
    }

    platform::testing::TempDir dir_;
    platform::testing::RegistryRedirect redirect_;
    platform::MemoryLine line_;
    sim::ModbusMapModel model_{{1, 2}, 1000};
    std::unique_ptr<sim::ModbusSlaveRunner> runner_;
    FrameRecorder recorder_{"COM1", 64};
    CLocalModbus master_;
};

TEST_F(BusCapture, EveryFrameIsKeptWithItsDirectionTimingAndOutcome)
{
    start();
    everyOutcome();
    const auto frames = recorder_.since(0);
    using O = FrameOutcome;
    const std::vector<std::pair<FrameDirection, O>> expected{
        {FrameDirection::Request, O::Sent}, {FrameDirection::Response, O::Reply},
        {FrameDirection::Request, O::Sent}, {FrameDirection::Response, O::Exception},
        {FrameDirection::Request, O::Sent}, {FrameDirection::Response, O::TimeOut},
        {FrameDirection::Request, O::Sent}, {FrameDirection::Response, O::ChecksumError},
        {FrameDirection::Request, O::Sent}, {FrameDirection::Response, O::FramingError},
        {FrameDirection::Request, O::Sent}};
    ASSERT_EQ(frames.size(), expected.size());
    for (size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i].sequence, i + 1);
        EXPECT_EQ(frames[i].direction, expected[i].first) << i;
        EXPECT_EQ(frames[i].outcome, expected[i].second) << i;
        EXPECT_EQ(frames[i].exchange, i / 2 + 1) << i;
        EXPECT_GE(frames[i].gapUs, 0) << i;
        if (i > 0) {
            EXPECT_GE(frames[i].timeUs, frames[i - 1].timeUs) << i;
        }
    }
    EXPECT_EQ(frames[0].bytes, (Bytes{0x01, 0x03, 0x00, 0x0A, 0x00, 0x02, 0xE4, 0x09}));
    EXPECT_EQ(frameBody(frames[1]), (Bytes{0x01, 0x03, 0x04, 0x03, 0xF2, 0x03, 0xF3}));
    EXPECT_TRUE(frames[5].bytes.empty());
    // The silent station's time-out shows as a long gap before "its" frame.
    EXPECT_GE(frames[5].gapUs, 60000);

    EXPECT_EQ(recorder_.since(9).size(), 2u);
    EXPECT_TRUE(recorder_.since(11).empty());
    EXPECT_EQ(recorder_.lastSequence(), 11u);
}

TEST_F(BusCapture, TheRingKeepsTheNewestFramesAndSequenceNumbersShowTheGap)
{
    start();
    std::vector<uint16_t> v;
    for (int i = 0; i < 40; ++i) ASSERT_EQ(master_.ReadOutputRegisters(1, 0, 1, v), 0);
    const auto frames = recorder_.since(0, 1000);
    ASSERT_EQ(frames.size(), 64u);
    EXPECT_EQ(frames.front().sequence, 17u);
    EXPECT_EQ(frames.back().sequence, 80u);
    EXPECT_EQ(recorder_.since(70, 5).front().sequence, 71u);
    EXPECT_EQ(recorder_.since(70, 5).size(), 5u);
}

TEST_F(BusCapture, AsciiFramesKeepTheirTextAndDecodeToTheSameBody)
{
    start(sim::ModbusFraming::Ascii);
    std::vector<uint16_t> v;
    ASSERT_EQ(master_.ReadOutputRegisters(1, 10, 1, v), 0);
    const auto frames = recorder_.since(0);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(std::string(frames[0].bytes.begin(), frames[0].bytes.end()), ":0103000A0001F1\r\n");
    EXPECT_EQ(frameBody(frames[0]), (Bytes{0x01, 0x03, 0x00, 0x0A, 0x00, 0x01}));
    EXPECT_EQ(frameBody(frames[1]), (Bytes{0x01, 0x03, 0x02, 0x03, 0xF2}));
}

// tshark's reading of a capture, one line per packet.
std::vector<std::string> tsharkFields(const std::string& file)
{
    const std::string command = "tshark -r '" + file +
                                "' -T fields -E separator=';' -e mbtcp.trans_id -e modbus.func_code"
                                " -e modbus.exception_code -e frame.packet_flags_crc_error"
                                " -e frame.packet_flags_packet_too_short_error -e frame.comment 2>&1";
    std::vector<std::string> lines;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return lines;
    char buffer[1024];
    while (std::fgets(buffer, sizeof buffer, p)) {
        std::string line(buffer);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        if (line.find("Running as user") == std::string::npos) lines.push_back(line);
    }
    pclose(p);
    return lines;
}

TEST_F(BusCapture, TsharkDecodesEveryCapturedFrameAsModbusWithErrorsFlagged)
{
    if (std::system("command -v tshark >/dev/null 2>&1") != 0) GTEST_SKIP() << "tshark is not installed";
    start();
    std::string error;
    const std::string live = dir_.path() + "/live.pcapng";
    ASSERT_TRUE(recorder_.startCapture(live, error)) << error;
    everyOutcome();
    ASSERT_TRUE(recorder_.stopCapture(error)) << error;
    const std::string saved = dir_.path() + "/saved.pcapng";
    ASSERT_TRUE(recorder_.saveCapture(saved, error)) << error;

    // Transaction; function; exception; CRC flag; too-short flag; comment.
    // The time-out has no packet of its own: its request carries the word.
    const std::vector<std::string> expected{
        "1;3;;0;0;", "1;3;;0;0;",                       // reply
        "2;3;;0;0;", "2;3;2;0;0;",                      // exception 2
        "3;3;;0;0;no reply (time-out)",                 // station 9 silent
        "4;6;;0;0;", "4;6;;1;0;checksum error: 02 06 00 05 00 4D ",
        "5;3;;0;0;", "5;3;;0;1;framing error: 01 03 ",  // cut short
        "6;6;;0;0;"};                                   // broadcast, no reply
    for (const std::string& file : {live, saved}) {
        const auto lines = tsharkFields(file);
        ASSERT_EQ(lines.size(), expected.size()) << file;
        for (size_t i = 0; i < lines.size(); ++i)
            EXPECT_EQ(lines[i].substr(0, expected[i].size()), expected[i]) << file << " packet " << i + 1;
        EXPECT_EQ(lines[4], expected[4]);
    }
    // A capture that cannot be created is refused, and the ring goes on.
    EXPECT_FALSE(recorder_.startCapture(dir_.path() + "/no/such/dir/x.pcapng", error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(recorder_.capturing());
}

}  // namespace
}  // namespace tern::server
