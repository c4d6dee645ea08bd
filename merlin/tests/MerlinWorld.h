#pragma once
// What the Merlin program tests share: in-memory drives that every window's
// link reaches, scripted file dialogs and modal dialogs.
#include <merlin/core/MerlinState.h>
#include <merlin/testing/CFakeLink.h>
#include <merlin/ui/MerlinShell.h>
#include <platform/RegistryStore.h>
#include <platform/testing/ScriptedFileDialogs.h>
#include <platform/testing/ScriptedResponder.h>
#include <platform/testing/TempDir.h>
#include <platform/testing/qt/ModalAnswerer.h>
#include <plumage/plumage.h>

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace merlin::testing {

// Every window's link reaches the same drives, as Tern's shared connection does.
class SharedLink : public CModbusLink {
public:
    explicit SharedLink(CFakeLink& drives) : drives_(drives) {}
    bool OpenLink() override { return open_ = true; }
    bool OpenLinkWithTimeout(uint32_t) override { return open_ = true; }
    void CloseLink() override { open_ = false; }
    void SetRetries(int) override {}
    void RestoreRetries() override {}
    int ReadRegister(int station, int offset, uint16_t& value) override
    {
        return open_ ? drives_.ReadRegister(station, offset, value) : kLinkPortNotOpen;
    }
    int WriteRegister(int station, int offset, uint16_t value) override
    {
        return open_ ? drives_.WriteRegister(station, offset, value) : kLinkPortNotOpen;
    }

private:
    CFakeLink& drives_;
    bool open_ = false;
};

// An installation in a temporary directory that the program finds through
// the registry, with no start-up dialogs, message and file dialogs
// scripted, and in-memory drives behind every window's link.
struct ProgramWorld {
    platform::testing::TempDir root;
    platform::testing::RegistryRedirect redirect{root.path() + "/registry"};
    std::string install = root.path() + "/install";
    platform::testing::ScriptedResponder messages{platform::testing::qtFailure()};
    CFakeLink drives;
    // The file dialogs answer from a queue (an empty optional: Cancel).
    platform::testing::ScriptedFileDialogs files{platform::testing::qtFailure()};
    // The modal dialogs the test expects, answered as they come up.
    platform::testing::ModalAnswerer modals;

    ProgramWorld()
    {
        setenv("XDG_RUNTIME_DIR", root.path().c_str(), 1);
        platform::RegistryStore::instance().setString(platform::Hive::LocalMachine,
                                                      "SOFTWARE\\" + getCompanyName() + "\\Aviary\\1.4.1",
                                                      "InstallPath", install);
        platform::Profile p = shell::ShellContext::profile();
        p.writeInt("Options", "Splash", 0);
        p.writeInt("Options", "Com", 0);
        state().reset();
        merlin::shell() = merlin::ShellContext{};
        drives.OpenLink();  // the shared line; each window's link opens its own use of it
    }
    ~ProgramWorld() { state().reset(); }
    ProgramWorld(const ProgramWorld&) = delete;
    ProgramWorld& operator=(const ProgramWorld&) = delete;
};

}  // namespace merlin::testing
