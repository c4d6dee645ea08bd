#pragma once
// Shared set-up of the shell's Qt tests: a private registry and runtime
// directory, an installation directory, a fresh process state, and a message
// script that fails the running test on any unexpected message.
#include <kestrel/core/KestrelState.h>
#include <kestrel/ui/KestrelProgram.h>
#include <kestrel/ui/KestrelShell.h>
#include <platform/RegistryStore.h>
#include <platform/testing/PtyPair.h>
#include <platform/testing/ScriptedFileDialogs.h>
#include <platform/testing/ScriptedResponder.h>
#include <platform/testing/TempDir.h>
#include <platform/testing/qt/ModalAnswerer.h>

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <plumage/plumage.h>

#include <array>
#include <cstdlib>
#include <memory>

namespace shelltest {

using platform::Hive;
using platform::MsgAnswer;
using platform::MsgIcon;

inline const std::string kInstallKey = "SOFTWARE\\Aviary Drives\\Aviary\\1.4.1";
inline const std::string kPreviousKey = "SOFTWARE\\Aviary Drives\\Aviary\\1.2.21";

using platform::testing::qtFailure;

// One test's world: registry, runtime directory and installation directory.
struct World {
    platform::testing::TempDir root;
    platform::testing::RegistryRedirect redirect{root.path() + "/registry"};
    std::string install = root.path() + "/install";
    std::unique_ptr<platform::testing::ScriptedResponder> messages =
        std::make_unique<platform::testing::ScriptedResponder>(qtFailure());
    // The modal dialogs the test expects, answered as they come up.
    platform::testing::ModalAnswerer modals;

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

// The file dialogs answer from a queue; an unexpected one, or an answer left
// over, fails the test.
class FileAnswers : public platform::testing::ScriptedFileDialogs {
public:
    FileAnswers() : ScriptedFileDialogs(qtFailure()) {}
};

// The button of w that the user sees labelled text ("&" aside); fails the
// test when there is none or more than one.
inline QAbstractButton* buttonLabelled(QWidget* w, const QString& text)
{
    QAbstractButton* found = nullptr;
    for (QAbstractButton* b : w->findChildren<QAbstractButton*>()) {
        if (!b->isVisibleTo(w) || QString(b->text()).remove('&') != text) continue;
        if (found != nullptr) {
            QTest::qFail(("two buttons labelled " + text.toStdString()).c_str(), __FILE__, __LINE__);
            return nullptr;
        }
        found = b;
    }
    if (found == nullptr) QTest::qFail(("no button labelled " + text.toStdString()).c_str(), __FILE__, __LINE__);
    return found;
}

// The user clicks the button of that label; false (the test failed) when
// there is no such button or it is disabled.
inline bool clickButton(QWidget* w, const QString& label)
{
    QAbstractButton* b = buttonLabelled(w, label);
    if (b == nullptr) return false;
    if (!b->isEnabled()) {
        QTest::qFail(("the button " + label.toStdString() + " is disabled").c_str(), __FILE__, __LINE__);
        return false;
    }
    QTest::mouseClick(b, Qt::LeftButton);
    return true;
}

template <typename T>
T* child(QWidget* w, const char* name)
{
    T* c = w->findChild<T*>(name);
    if (c == nullptr) QTest::qFail((std::string("no child ") + name).c_str(), __FILE__, __LINE__);
    return c;
}

}  // namespace shelltest
