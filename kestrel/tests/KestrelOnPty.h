#pragma once
// Kestrel's main frame with simulated SIO drives behind a pseudo-terminal as
// COM7: the world in which the online window tests work through the real
// menus and dialogs.
#include "ShellQtTest.h"

#include <kestrel/core/KestrelState.h>
#include <kestrel/ui/KestrelProgram.h>
#include <kestrel/ui/KestrelShell.h>
#include <platform/PseudoTerminal.h>
#include <shell/CMainFrame.h>
#include <sim/sio/SioBus.h>
#include <sim/sio/SioSimRunner.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace shelltest {

struct KestrelOnPty {
    std::unique_ptr<World> world;
    std::unique_ptr<platform::PseudoTerminal> pty;
    std::unique_ptr<sim::SioBus> bus;
    std::unique_ptr<sim::SioSimRunner> runner;
    std::unique_ptr<shell::CMainFrame> frame;

    // drives as for the simulator ("1:1808,2:1808"); tWait is the telegram
    // object's wait for a reply in ms. False, with why, when a part fails.
    bool startLine(const char* drives, int tWait, std::string& error)
    {
        world = std::make_unique<World>();
        kestrel::state().installDir = world->install;
        std::filesystem::create_directories(world->install + "/tvk");
        std::filesystem::create_directories(world->install + "/parameter");
        kestrel::TelegramSettings& s = kestrel::state().settings;
        s.repeat = 3;
        s.delayNak = 2;
        s.tRts = 1;
        s.tWait = tWait;
        pty = std::make_unique<platform::PseudoTerminal>();
        if (!pty->open(error, true)) return false;
        bus = std::make_unique<sim::SioBus>(*sim::SioBus::parseDrives(drives));
        runner = std::make_unique<sim::SioSimRunner>(*bus, pty->masterFd());
        if (!runner->start()) {
            error = "the simulator did not start";
            return false;
        }
        ::setenv("AVIARY_COM7", pty->slavePath().c_str(), 1);
        kestrel::state().settings.port = 7;
        frame = std::make_unique<shell::CMainFrame>(kestrel::shell(), kestrel::kestrelProgram());
        if (!frame->create()) {
            error = "the main frame was not created";
            return false;
        }
        frame->show();
        return true;
    }

    void stopLine()
    {
        frame.reset();
        runner.reset();
        ::unsetenv("AVIARY_COM7");
        world.reset();
    }
};

}  // namespace shelltest
