#pragma once
// What Merlin's end-to-end tests on the real link server share: an
// installation and profile that put Merlin on one COM number at 19200 baud
// with short time-outs, the link factory that reaches Tern, and a wait on
// the Qt event loop.
#include <merlin/core/MerlinState.h>
#include <merlin/link/CTernLink.h>
#include <merlin/ui/CParameterFrame.h>
#include <merlin/ui/MerlinProgram.h>
#include <merlin/ui/MerlinShell.h>
#include <shell/CMainFrame.h>
#include <tern/tests/ServerBusTesting.h>

#include <platform/RegistryStore.h>
#include <platform/testing/ScopedEnv.h>
#include <platform/testing/ScriptedResponder.h>
#include <platform/testing/TempDir.h>
#include <platform/testing/qt/ModalAnswerer.h>
#include <plumage/plumage.h>

#include <QApplication>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

namespace merlin {

// Widgets need a QApplication before the bus environment makes a core one:
// each test program registers this ahead of TernBusEnvironment.
class WidgetsEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "merlin-dbustest";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance()) new QApplication(argc, argv);
    }
};

// Runs the Qt event loop until the condition holds or the time is up.
template <typename Condition>
bool waitFor(Condition condition, std::chrono::milliseconds limit = std::chrono::seconds(5))
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Merlin's installation and profile: COMn at 19200 baud, short time-outs;
// a runtime folder of its own, so that a Merlin of another test running at
// the same time is not this one's first instance.
class MerlinWorld {
public:
    explicit MerlinWorld(int com)
    {
        std::filesystem::create_directories(install_ + "/DeviceData");
        for (const auto& entry : std::filesystem::directory_iterator(tern::testkit::binDir() + "/DeviceData"))
            std::filesystem::copy_file(entry.path(), install_ + "/DeviceData/" + entry.path().filename().string(),
                                       std::filesystem::copy_options::overwrite_existing);
        auto& store = platform::RegistryStore::instance();
        store.setString(platform::Hive::LocalMachine, "SOFTWARE\\" + getCompanyName() + "\\Aviary\\1.4.1",
                        "InstallPath", install_);
        platform::Profile p = ::shell::ShellContext::profile();
        p.writeInt("Options", "Splash", 0);
        p.writeInt("Options", "Com", 0);
        p.writeInt("Settings", "Port", com);
        p.writeString("Settings", "Baud", "19200");
        p.writeInt("Times", "ModBus Timeout", 300);
        p.writeInt("Times", "ModBus Request Delay", 1);
        p.writeInt("Times", "Repeat", 1);
        state().reset();
        merlin::shell() = merlin::ShellContext{};
    }
    ~MerlinWorld()
    {
        state().reset();
        std::filesystem::remove_all(root_.path() + "/install");
    }
    MerlinWorld(const MerlinWorld&) = delete;
    MerlinWorld& operator=(const MerlinWorld&) = delete;
    const std::string& install() const { return install_; }
    std::string file(const std::string& name) const { return root_.path() + "/" + name; }
    // Every message must be expected; the modal dialogs the test expects
    // are answered as they come up.
    platform::testing::ScriptedResponder messages{[](const std::string& f) { ADD_FAILURE() << f; }};
    platform::testing::ModalAnswerer modals{[](const std::string& f) { ADD_FAILURE() << f; }};

private:
    platform::testing::TempDir root_;
    platform::testing::ScopedEnv runtime_{"XDG_RUNTIME_DIR", root_.path().c_str()};
    std::string install_ = root_.path() + "/install";
};

inline MerlinOptions ternOptions()
{
    MerlinOptions o;
    o.linkFactory = [] { return std::make_unique<CTernLink>(state().link); };
    return o;
}

inline ui::CParameterFrame* activeDocument(::shell::CMainFrame& frame)
{
    QMdiSubWindow* sub = frame.mdiArea()->activeSubWindow();
    return sub ? qobject_cast<ui::CParameterFrame*>(sub->widget()) : nullptr;
}

}  // namespace merlin
