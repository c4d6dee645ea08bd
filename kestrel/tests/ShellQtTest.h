#pragma once
// Shared set-up of the shell's Qt tests: a private registry and runtime
// directory, an installation directory, a fresh process state, and a message
// script that fails the running test on any unexpected message.
#include <kestrel/core/KestrelState.h>
#include <kestrel/ui/KestrelProgram.h>
#include <kestrel/ui/KestrelShell.h>
#include <platform/FileDialog.h>
#include <platform/RegistryStore.h>
#include <platform/testing/PtyPair.h>
#include <platform/testing/ScriptedResponder.h>
#include <platform/testing/TempDir.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <plumage/plumage.h>

#include <array>
#include <deque>
#include <cstdlib>
#include <functional>
#include <memory>

namespace shelltest {

using platform::Hive;
using platform::MsgAnswer;
using platform::MsgIcon;

inline const std::string kInstallKey = "SOFTWARE\\Aviary Drives\\Aviary\\1.4.1";
inline const std::string kPreviousKey = "SOFTWARE\\Aviary Drives\\Aviary\\1.2.21";

inline platform::testing::ScriptedResponder::FailureSink qtFailure()
{
    return [](const std::string& what) { QTest::qFail(what.c_str(), __FILE__, __LINE__); };
}

// One test's world: registry, runtime directory and installation directory.
struct World {
    platform::testing::TempDir root;
    platform::testing::RegistryRedirect redirect{root.path() + "/registry"};
    std::string install = root.path() + "/install";
    std::unique_ptr<platform::testing::ScriptedResponder> messages =
        std::make_unique<platform::testing::ScriptedResponder>(qtFailure());

    World()
    {
        setenv("XDG_RUNTIME_DIR", root.path().c_str(), 1);
        root.write("install/.keep", "");
        kestrel::state().reset();
        kestrel::shell() = kestrel::ShellContext{};
    }
    ~World() { kestrel::state().reset(); }

    platform::RegistryStore& registry() { return platform::RegistryStore::instance(); }
    void installKey(const std::string& key = kInstallKey) { registry().setString(Hive::LocalMachine, key, "InstallPath", install); }
    platform::Profile profile() { return platform::Profile(getCompanyName(), getSoftwareName()); }
    // The usual quiet start: no start-up dialog, no communication dialog.
    void quietStart()
    {
        installKey();
        auto p = profile();
        p.writeInt("Options", "Splash", 0);
        p.writeInt("Options", "Com", 0);
    }
    platform::testing::ScriptedResponder& expect(const std::string& text, MsgIcon icon, MsgAnswer a = MsgAnswer::Ok)
    {
        return messages->expect(text, icon, a);
    }
};

// COM1..COM4 mapped to pseudo-terminals (available) or to nothing.
class PortMap {
public:
    PortMap(std::array<bool, 4> available, const std::string& dir)
    {
        for (int n = 1; n <= 4; ++n) {
            std::string device = dir + "/missing-tty";
            if (available[size_t(n - 1)]) device = ptys_[size_t(n - 1)].slavePath();
            setenv(name(n).c_str(), device.c_str(), 1);
        }
    }
    ~PortMap()
    {
        for (int n = 1; n <= 4; ++n) unsetenv(name(n).c_str());
    }
private:
    static std::string name(int n) { return "AVIARY_COM" + std::to_string(n); }
    std::array<platform::testing::PtyPair, 4> ptys_;
};

// Runs act on the modal dialog of that object name as soon as it is up.
inline void whenModal(const QString& name, std::function<void(QWidget*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, name, act] {
        QWidget* w = QApplication::activeModalWidget();
        if (w == nullptr || w->objectName() != name) return;
        timer->stop();
        timer->deleteLater();
        act(w);
    });
    timer->start();
}

// Runs act on the first modal dialog of type T once it is up.
template <typename T>
void onModal(std::function<void(T*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        auto* w = qobject_cast<T*>(QApplication::activeModalWidget());
        if (w == nullptr) return;
        timer->stop();
        timer->deleteLater();
        act(w);
    });
    timer->start();
}

// The file dialogs answer from a queue; an unexpected one fails the test.
class FileAnswers {
public:
    FileAnswers()
    {
        previous_ = platform::setFileDialogHandler([this](const platform::FileDialogRequest& r) {
            requests.push_back(r);
            if (answers_.empty()) {
                QTest::qFail("unexpected file dialog", __FILE__, __LINE__);
                return std::optional<std::string>();
            }
            auto a = answers_.front();
            answers_.pop_front();
            return a;
        });
    }
    ~FileAnswers() { platform::setFileDialogHandler(previous_); }
    void answer(std::optional<std::string> path) { answers_.push_back(std::move(path)); }
    bool used() const { return answers_.empty(); }
    std::vector<platform::FileDialogRequest> requests;

private:
    std::deque<std::optional<std::string>> answers_;
    platform::FileDialogHandler previous_;
};

template <typename T>
T* child(QWidget* w, const char* name)
{
    T* c = w->findChild<T*>(name);
    if (c == nullptr) QTest::qFail((std::string("no child ") + name).c_str(), __FILE__, __LINE__);
    return c;
}

}  // namespace shelltest
