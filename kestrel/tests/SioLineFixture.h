#pragma once
// A telegram object on one end of a memory line and simulated SIO drives on
// the other, with small timing settings so the exchanges are quick. Every
// message the code under test shows must be expected through `messages`.
#include <kestrel/core/CTelegram.h>
#include <kestrel/core/CTransfer.h>
#include <kestrel/core/KestrelState.h>
#include <kestrel/core/TvkRecord.h>
#include <kestrel/tests/FactoryDatabase.h>
#include <platform/MemoryLine.h>
#include <platform/PseudoTerminal.h>
#include <platform/testing/ScriptedResponder.h>
#include <platform/testing/TempDir.h>
#include <sim/sio/SioBus.h>
#include <sim/sio/SioSimRunner.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdlib.h>
#include <string>

namespace kestrel::testing {

class SioLineFixture : public ::testing::Test {
protected:
    // drives: "1:1808,5:1812"; options: the memory line's behaviour.
    void startLine(const std::string& drives = "1:1808", platform::MemoryLineOptions options = {},
                   sim::SioRunnerOptions runnerOptions = {})
    {
        // The telegram's control and the runner use the old line's ends.
        stopLine();
        line = std::make_unique<platform::MemoryLine>(options);
        bus = std::make_unique<sim::SioBus>(*sim::SioBus::parseDrives(drives));
        runner = std::make_unique<sim::SioSimRunner>(*bus, line->b(), runnerOptions);
        ASSERT_TRUE(runner->start());
        telegram = std::make_unique<CTelegram>();
        telegram->control().attach(&line->a());
    }

    // The same drives behind a pseudo-terminal: the telegram object opens
    // the port by its number, as the program does.
    void startPty(const std::string& drives = "1:1808")
    {
        stopLine();
        pty = std::make_unique<platform::PseudoTerminal>();
        std::string error;
        ASSERT_TRUE(pty->open(error, true)) << error;
        bus = std::make_unique<sim::SioBus>(*sim::SioBus::parseDrives(drives));
        runner = std::make_unique<sim::SioSimRunner>(*bus, pty->masterFd());
        ASSERT_TRUE(runner->start());
        ::setenv("AVIARY_COM7", pty->slavePath().c_str(), 1);
        state().settings.port = 7;
        telegram = std::make_unique<CTelegram>();
    }

    void stopLine()
    {
        telegram.reset();
        runner.reset();
        pty.reset();
        ::unsetenv("AVIARY_COM7");
        state().reset();
        state().installDir = dir.path();
        std::filesystem::create_directories(dir.path() + "/tvk");
        std::filesystem::create_directories(dir.path() + "/parameter");
        TelegramSettings& s = state().settings;
        s.repeat = 3;
        s.delayNak = 2;
        s.tRts = 1;
        s.tWait = 8;
    }

    // Nobody holds the line and the port is closed.
    void expectLineFree()
    {
        EXPECT_FALSE(state().operationInProgress);
        EXPECT_FALSE(state().port.foregroundActive);
        EXPECT_FALSE(state().port.exchangeActive);
        EXPECT_FALSE(telegram->control().GetPortOpen());
    }

    void TearDown() override
    {
        stopLine();
        state().reset();
    }

    // Selects a drive and opens the port the way a foreground operation does.
    void openFor(int address)
    {
        state().currentAddress = std::to_string(address);
        ASSERT_TRUE(telegram->OpenPort(false));
    }

    uint16_t driveValue(int address, uint16_t number)
    {
        uint16_t v = 0;
        bus->withDrive(address, [&](sim::SioDrive& d) { v = d.value(number); });
        return v;
    }

    // The database of a version as an upload from a drive in its factory
    // state would write it; sets the database file name. Returns its path.
    std::string writeDatabase(int version)
    {
        state().databaseFileName = "/tvk/RQ-" + std::to_string(version) + ".tvk";
        return writeFile(state().installPath(state().databaseFileName), kestrel::testing::factoryDatabase(version));
    }

    struct TransferOutcome {
        int result = 0;
        std::vector<platform::Notice> notices;
    };
    // Runs a transfer the way its dialog does: Open, ticks until the end,
    // Finish. After stopAfter ticks the user presses STOP; after faultAfter
    // ticks the simulated line starts to misbehave.
    TransferOutcome runTransfer(CTransfer& t, int stopAfter = -1, int faultAfter = -1, const char* fault = nullptr)
    {
        int r = t.Open();
        for (int ticks = 0; r == 0; ++ticks) {
            if (ticks == stopAfter) t.RequestStop();
            if (ticks == faultAfter) bus->addFault(*sim::SioFault::parse(fault));
            r = t.Tick();
            if (r == CTransfer::AskContinue) {
                // The dialog asks the question and hands the answer back.
                const auto a = platform::showMessage(t.question(), platform::MsgIcon::Question,
                                                     platform::MsgButtons::YesNo);
                r = t.AnswerContinue(a == platform::MsgAnswer::Yes);
            }
            if (r == CTransfer::GoOn) r = 0;
            else break;
        }
        return {r, t.Finish(r)};
    }

    static std::string writeFile(const std::string& path, const std::string& bytes)
    {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        return path;
    }

    static std::string readFile(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        return ss.str();
    }

    platform::testing::TempDir dir;
    platform::testing::ScriptedResponder messages{[](const std::string& f) { ADD_FAILURE() << f; }};
    std::unique_ptr<platform::PseudoTerminal> pty;
    std::unique_ptr<platform::MemoryLine> line;
    std::unique_ptr<sim::SioBus> bus;
    std::unique_ptr<sim::SioSimRunner> runner;
    std::unique_ptr<CTelegram> telegram;
};

}  // namespace kestrel::testing
