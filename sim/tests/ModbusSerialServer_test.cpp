// The simulator's serial framing seen from the wire: a raw master end of a
// memory line writes frames, garbage and partial frames and reads what comes
// back.
#include <sim/modbus/ModbusFrames.h>
#include <sim/modbus/ModbusMapModel.h>
#include <sim/modbus/ModbusSlaveRunner.h>

#include <platform/MemoryLine.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace sim {
namespace {

using Bytes = std::vector<uint8_t>;
using platform::CommTimeouts;

class SerialServerTest : public testing::Test {
protected:
    void start(ModbusFraming framing) {
        model_.fill();
        runner_ = std::make_unique<ModbusSlaveRunner>(model_, ModbusRunnerOptions{framing});
        std::string error;
        ASSERT_TRUE(runner_->startSerial(line_.b(), error)) << error;
        // Whatever arrives within 150 ms, the read ending 20 ms after the last byte.
        line_.a().setTimeouts({20, 0, 150, 0, 0});
    }
    void send(const Bytes& bytes) {
        size_t written = 0;
        ASSERT_EQ(line_.a().write(bytes.data(), bytes.size(), written), platform::SerialResult::Ok);
    }
    void send(const std::string& text) { send(Bytes(text.begin(), text.end())); }
    Bytes receive() {
        Bytes buffer(600);
        size_t got = 0;
        line_.a().read(buffer.data(), buffer.size(), got);
        buffer.resize(got);
        return buffer;
    }
    std::string receiveText() {
        const Bytes b = receive();
        return std::string(b.begin(), b.end());
    }

    platform::MemoryLine line_;
    ModbusMapModel model_{{1}, 100};
    std::unique_ptr<ModbusSlaveRunner> runner_;
};

TEST_F(SerialServerTest, RtuFramesEndByLengthOrSilence) {
    start(ModbusFraming::Rtu);
    send(encodeRtu(Bytes{1, 3, 0, 2, 0, 1}));
    EXPECT_EQ(receive(), encodeRtu(Bytes{1, 3, 2, 0x03, 0xEA}));
    // A function of unknown length is taken whole at the silence.
    send(encodeRtu(Bytes{1, 0x2B, 0x0E, 0x01, 0x00}));
    EXPECT_EQ(receive(), encodeRtu(Bytes{1, 0xAB, 1}));
    // A frame in two pieces with no silence between them.
    const Bytes frame = encodeRtu(Bytes{1, 6, 0, 9, 0, 5});
    send(Bytes(frame.begin(), frame.begin() + 3));
    send(Bytes(frame.begin() + 3, frame.end()));
    EXPECT_EQ(receive(), frame);
}

TEST_F(SerialServerTest, RtuGarbageIsDroppedUntilTheNextSilence) {
    start(ModbusFraming::Rtu);
    send(Bytes{0x01, 0x03, 0xFF, 0x00, 0x12, 0x77, 0x10, 0x99, 0x42});
    EXPECT_EQ(receive(), Bytes{});
    Bytes badCrc = encodeRtu(Bytes{1, 3, 0, 0, 0, 1});
    badCrc.back() ^= 1;
    send(badCrc);
    EXPECT_EQ(receive(), Bytes{});
    send(Bytes{1, 3, 0});   // truncated, then silence
    EXPECT_EQ(receive(), Bytes{});
    send(encodeRtu(Bytes{1, 3, 0, 0, 0, 1}));
    EXPECT_EQ(receive(), encodeRtu(Bytes{1, 3, 2, 0x03, 0xE8}));
}

TEST_F(SerialServerTest, AsciiFramesFromColonToCrLf) {
    start(ModbusFraming::Ascii);
    send("noise:010300000001FB\r\n");
    EXPECT_EQ(receiveText(), ":01030203E80F\r\n");
    send(":010300000001fb\r\n");   // lowercase is fine for a slave
    EXPECT_EQ(receiveText(), ":01030203E80F\r\n");
    send(":010300000001FC\r\n");   // wrong LRC: no answer
    EXPECT_EQ(receiveText(), "");
    send(":0103000:010300000001FB\r\n");   // a colon restarts the frame
    EXPECT_EQ(receiveText(), ":01030203E80F\r\n");
}

TEST_F(SerialServerTest, FaultsSpoilTheAnswerAsAsked) {
    start(ModbusFraming::Rtu);
    const Bytes request = encodeRtu(Bytes{1, 3, 0, 0, 0, 1});
    const Bytes good = encodeRtu(Bytes{1, 3, 2, 0x03, 0xE8});
    struct Case {
        const char* fault;
        Bytes expected;
    };
    Bytes badCrc = good;
    badCrc.back() ^= 0x5A;
    const std::vector<Case> cases{
        {"noreply:1", {}},
        {"badcrc:1", badCrc},
        {"short:1", Bytes(good.begin(), good.end() - 1)},
        {"wrongaddr:1", encodeRtu(Bytes{2, 3, 2, 0x03, 0xE8})},
    };
    for (const Case& c : cases) {
        runner_->faults().add(*parseFault(c.fault));
        send(request);
        EXPECT_EQ(receive(), c.expected) << c.fault;
        send(request);
        EXPECT_EQ(receive(), good) << "after " << c.fault;
    }
}

}  // namespace
}  // namespace sim
