// Per-port options of ports.ini: the kernel RS-485 mode and low latency are
// read for the COM entry that leads to the device, and a driver that refuses
// them (a pty refuses both) gives one note per option, never a failure; a
// network line's allowance comes from the same file.
#include <platform/LineOptions.h>

#include <platform/MappedSerialPort.h>
#include <platform/testing/PtyPair.h>
#include <platform/testing/ScopedEnv.h>
#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(LineOptions, ReadForTheComEntryOfTheDeviceAndRefusalsAreNotesOnly)
{
    testing::TempDir registry;
    testing::RegistryRedirect redirect(registry.path());
    testing::PtyPair pty;
    ASSERT_TRUE(pty.ok()) << pty.error();
    testing::ScopedEnv com3("AVIARY_COM3", pty.slavePath().c_str());
    registry.write("ports.ini", "[Ports]\nNetworkAllowance=75\n[COM3]\nRS485=1\nRS485RtsAfterSend=1\n"
                                "RS485DelayAfterSend=2\nLowLatency=1\n[COM4]\nRS485=1\n");
    const LineOptions o = lineOptionsFor(pty.slavePath());
    ASSERT_TRUE(o.rs485);
    EXPECT_TRUE(o.rs485->rtsOnSend);
    EXPECT_TRUE(o.rs485->rtsAfterSend);
    EXPECT_EQ(o.rs485->delayAfterSendMs, 2u);
    EXPECT_TRUE(o.lowLatency);
    EXPECT_EQ(networkAllowanceMs(), 75u);
    // A device no entry leads to has no options.
    EXPECT_FALSE(lineOptionsFor("/dev/ttyUSB9").rs485);

    const auto notes = applyLineOptions(pty.slave(), pty.slavePath(), o);
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_NE(notes[0].find("RS-485"), std::string::npos);
    EXPECT_NE(notes[1].find("low-latency"), std::string::npos);
    EXPECT_TRUE(applyLineOptions(pty.slave(), pty.slavePath(), LineOptions{}).empty());

    // The port still opens and carries data; the refusals go to the debug
    // log, not to standard error, each once it has been written there.
    std::vector<std::string> logged;
    bool logOn = false;
    setLineNoteSink([&](const std::string& note) {
        if (logOn) logged.push_back(note);
        return logOn;
    });
    ::testing::internal::CaptureStderr();
    MappedSerialPort port;
    ASSERT_EQ(port.open(pty.slavePath()), SerialResult::Ok);
    ASSERT_EQ(port.writeAll("ok"), SerialResult::Ok);
    EXPECT_EQ(pty.readMaster(2, 1000), "ok");
    EXPECT_TRUE(logged.empty());   // the log was off: nothing counts as said
    logOn = true;
    for (int open = 0; open < 3; ++open) {
        ASSERT_EQ(port.close(), SerialResult::Ok);
        ASSERT_EQ(MappedSerialPort().open(pty.slavePath()), SerialResult::Ok);
        ASSERT_EQ(port.open(pty.slavePath()), SerialResult::Ok);
    }
    EXPECT_EQ(logged, notes);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    setLineNoteSink({});
}

}  // namespace
}  // namespace platform
