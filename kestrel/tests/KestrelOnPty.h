#pragma once
// Kestrel's main frame with simulated SIO drives behind a pseudo-terminal as
// COM7: the world in which the online window tests work through the real
// menus and dialogs.
#include "ShellQtTest.h"

#include <kestrel/core/KestrelState.h>
#include <kestrel/ui/KestrelProgram.h>
#include <kestrel/ui/CTervikView.h>
#include <kestrel/ui/KestrelOnline.h>
#include <kestrel/ui/KestrelShell.h>
#include <kestrel/ui/ListWindows.h>
#include <shell/CMainFrame.h>
#include <sim/tests/SioDrivesOnPty.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace shelltest {

struct KestrelOnPty {
    std::unique_ptr<World> world;
    std::unique_ptr<sim::testing::SioDrivesOnPty> drives;
    sim::SioBus* bus = nullptr;  // the drives
    std::unique_ptr<shell::CMainFrame> frame;

    // driveList as for the simulator ("1:1808,2:1808"); tWait is the telegram
    // object's wait for a reply in ms. False, with why, when a part fails.
    bool startLine(const char* driveList, int tWait, std::string& error)
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
        drives = std::make_unique<sim::testing::SioDrivesOnPty>();
        if (!drives->start(driveList, error)) return false;
        bus = &drives->bus();
        ::setenv("AVIARY_COM7", drives->path().c_str(), 1);
        kestrel::state().settings.port = 7;
        frame = std::make_unique<shell::CMainFrame>(kestrel::shell(), kestrel::kestrelProgram());
        if (!frame->create()) {
            error = "the main frame was not created";
            return false;
        }
        frame->show();
        return true;
    }

    // The list window of a working file online with drive 1 ("Mixer"),
    // attached to the frame's online part; nullptr when it did not open.
    kestrel::CTervikView* showOnlineList(const std::string& workPath)
    {
        kestrel::ListOpening opening;
        opening.kind = kestrel::ListKind::Online;
        opening.workPath = workPath;
        opening.databaseFileName = kestrel::state().databaseFileName;
        opening.address = "1";
        opening.deviceName = "Mixer";
        kestrel::CTervikView* view = kestrel::showListWindow(*frame, opening);
        kestrel::KestrelOnline* online = kestrel::KestrelOnline::of(*frame);
        if (view == nullptr || online == nullptr) return nullptr;
        online->attach(*view);
        return view;
    }

    void stopLine()
    {
        frame.reset();
        bus = nullptr;
        drives.reset();
        ::unsetenv("AVIARY_COM7");
        world.reset();
    }
};

}  // namespace shelltest
