// The RTU receiver on a line behind a serial device server (tcp://): the TCP
// stream may pause inside a reply for longer than the silent interval that
// ends a frame on a wire. A reply of known length is read to its end; a
// reply that never comes still ends with a time-out, within the time-out
// plus the network allowance.
#include "RtuFrames.h"

#include <tern/engine/CLocalModbus.h>
#include <tern/engine/ModbusResult.h>

#include <platform/RemoteSerialPort.h>
#include <platform/testing/LoopbackServer.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace tern {
namespace {

using Bytes = std::vector<uint8_t>;

// One connection on a loopback port; the reply to the request goes out in
// two parts with a pause between them (none: no reply at all).
class SplittingServer {
public:
    SplittingServer(Bytes reply, size_t splitAt, int pauseMs)
        : server_([reply = std::move(reply), splitAt, pauseMs](int fd) {
              uint8_t request[64];
              pollfd r{fd, POLLIN, 0};
              if (::poll(&r, 1, 3000) == 1 && ::recv(fd, request, sizeof request, 0) > 0 && !reply.empty()) {
                  ::send(fd, reply.data(), splitAt, MSG_NOSIGNAL);
                  std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
                  ::send(fd, reply.data() + splitAt, reply.size() - splitAt, MSG_NOSIGNAL);
              }
              ::poll(&r, 1, 3000);   // until the client closes
          }, 3000)
    {
    }
    std::string url() const { return server_.url("tcp"); }

private:
    platform::testing::LoopbackServer server_;
};

struct Outcome {
    uint16_t code;
    Bytes response;
    long long ms;
};

Outcome readOneRegister(const std::string& url, uint32_t allowanceMs)
{
    ::setenv("AVIARY_COM6", url.c_str(), 1);
    platform::RemoteSerialPort port(allowanceMs);
    CLocalModbus master(port);
    master.SetSilentInterval(5);
    master.SetTimeOut(300);
    EXPECT_TRUE(master.Open(6, 19200, 0));
    Bytes request{1, 3, 0, 10, 0, 1};
    Bytes response;
    const auto t = std::chrono::steady_clock::now();
    Outcome o;
    o.code = master.Exchange(request, request.size(), response, 5);
    o.ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t).count();
    o.response = Bytes(response.begin(), response.begin() + std::min<size_t>(5, response.size()));
    master.Close();
    ::unsetenv("AVIARY_COM6");
    return o;
}

TEST(LocalModbusRemote, PauseInsideAReplyOfKnownLengthDoesNotCutIt)
{
    const Bytes reply = withCrc({1, 3, 2, 0x12, 0x34});
    // The pause falls inside the first four bytes and inside the rest.
    for (size_t split : {2u, 5u}) {
        SplittingServer server(reply, split, 60);
        const Outcome o = readOneRegister(server.url(), 20);
        EXPECT_EQ(o.code, result::kOk) << "split at " << split;
        EXPECT_EQ(o.response, (Bytes{1, 3, 2, 0x12, 0x34})) << "split at " << split;
    }
    // An exception reply has five bytes whatever was asked.
    SplittingServer server(withCrc({1, 0x83, 2}), 3, 60);
    const uint16_t code = readOneRegister(server.url(), 20).code;
    EXPECT_NE(code, result::kOk);
    EXPECT_NE(code, result::kCrcError);
    EXPECT_NE(code, result::kTimeOut);
}

TEST(LocalModbusRemote, NoReplyEndsWithinTheTimeOutAndTheAllowance)
{
    SplittingServer server({}, 0, 0);
    const Outcome o = readOneRegister(server.url(), 50);
    EXPECT_EQ(o.code, result::kTimeOut);
    EXPECT_GE(o.ms, 300);
    EXPECT_LT(o.ms, 1500);
}

}  // namespace
}  // namespace tern
