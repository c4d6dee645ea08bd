// The Telnet layer of RFC 2217 lines: data bytes equal to 0xFF survive both
// ways, commands split across TCP reads are still understood, option
// requests are answered once, and the server's answers to the line settings
// are read back as the server reports them.
#include <platform/ComPortTelnet.h>

#include <gtest/gtest.h>

#include <string>

namespace platform {
namespace {

using namespace telnet;

std::string bytes(std::initializer_list<int> list)
{
    std::string s;
    for (int b : list) s.push_back(static_cast<char>(b));
    return s;
}

struct Fed {
    std::string data;
    std::string reply;
};

Fed feedText(ComPortTelnet& t, const std::string& in)
{
    std::deque<uint8_t> data;
    Fed f;
    f.reply = t.feed(reinterpret_cast<const uint8_t*>(in.data()), in.size(), data);
    f.data.assign(data.begin(), data.end());
    return f;
}

TEST(ComPortTelnet, DataBytesOfEveryValueGoOutEscapedAndComeBackWhole)
{
    std::string all;
    for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
    const std::string wire = ComPortTelnet::escape(reinterpret_cast<const uint8_t*>(all.data()), all.size());
    EXPECT_EQ(wire.size(), 257u);
    EXPECT_EQ(wire.substr(255), bytes({IAC, IAC}));

    // Fed one byte at a time: an IAC at the end of one TCP read pairs with
    // the start of the next.
    ComPortTelnet t;
    std::string back;
    for (char c : wire) back += feedText(t, std::string(1, c)).data;
    EXPECT_EQ(back, all);
}

TEST(ComPortTelnet, AnswersEachOptionOnceAndRefusesEchoAndUnknownOptions)
{
    ComPortTelnet t;
    // What ser2net says on connect: will SGA, do SGA, will echo, do binary, do COM-port.
    Fed f = feedText(t, bytes({IAC, WILL, SGA, IAC, DO, SGA, IAC, WILL, ECHO, IAC, DO, BINARY, IAC, DO, COM_PORT,
                               IAC, DO, 24 /* terminal type */}));
    // The greeting agreed to SGA, binary and COM-port control already.
    EXPECT_EQ(f.reply, bytes({IAC, DONT, ECHO, IAC, WONT, 24}));
    EXPECT_TRUE(f.data.empty());
    // Asked again: no second answer, so two ends never loop.
    f = feedText(t, bytes({IAC, WILL, ECHO, IAC, DO, 24}));
    EXPECT_TRUE(f.reply.empty());
    EXPECT_FALSE(t.refused());
}

TEST(ComPortTelnet, ReadsTheServersLineSettingsAndTellsARefusal)
{
    SerialSettings asked;
    asked.baudRate = 19200;
    asked.dataBits = 8;
    asked.parity = Parity::Even;
    asked.stopBits = StopBits::One;
    const std::string request = ComPortTelnet::setLine(asked);
    EXPECT_EQ(request.substr(0, 10), bytes({IAC, SB, COM_PORT, SET_BAUDRATE, 0, 0, 0x4B, 0, IAC, SE}));
    EXPECT_NE(request.find(bytes({IAC, SB, COM_PORT, SET_PARITY, 3, IAC, SE})), std::string::npos);

    ComPortTelnet t;
    // The answers arrive with line data between them, and split.
    const std::string answers = bytes({IAC, SB, COM_PORT, 101, 0, 0, 0x4B, 0, IAC, SE}) + "ab"
                                + bytes({IAC, SB, COM_PORT, 102, 8, IAC, SE, IAC, SB, COM_PORT, 103, 3, IAC, SE})
                                + bytes({IAC, SB, COM_PORT, 104, 1, IAC, SE});
    std::string data = feedText(t, answers.substr(0, 7)).data;
    data += feedText(t, answers.substr(7)).data;
    EXPECT_EQ(data, "ab");
    ASSERT_TRUE(t.answer().complete());
    EXPECT_TRUE(ComPortTelnet::matches(t.answer(), asked));

    // A server that cannot set the rate answers with the one it keeps.
    t.resetAnswer();
    feedText(t, bytes({IAC, SB, COM_PORT, 101, 0, 0, 0x25, 0x80, IAC, SE}) + answers.substr(12));
    ASSERT_TRUE(t.answer().complete());
    EXPECT_EQ(t.answer().baudRate, 9600u);
    EXPECT_FALSE(ComPortTelnet::matches(t.answer(), asked));

    feedText(t, bytes({IAC, WONT, COM_PORT}));
    EXPECT_TRUE(t.refused());
}

}  // namespace
}  // namespace platform
