// The list window as the user meets it: File, Open Parameter List on a
// 2000-record parameter file until its grid has painted, and a change of
// group tab until the new page has painted. Reports milliseconds per
// operation and the ratio to the 50 ms goal; nothing asserts a time.
// Run offscreen: QT_QPA_PLATFORM=offscreen build/bench/KestrelListWindow_qbench
#include "KestrelBigList.h"

#include <kestrel/core/KestrelState.h>
#include <kestrel/core/TvkRecord.h>
#include <kestrel/core/WorkRecord.h>
#include <kestrel/ui/CTervikView.h>
#include <kestrel/ui/CommandIds.h>
#include <kestrel/ui/KestrelProgram.h>
#include <kestrel/ui/KestrelShell.h>
#include <platform/FileDialog.h>
#include <platform/MessageBox.h>
#include <platform/testing/TempDir.h>
#include <shell/CMSHFlexGrid.h>
#include <shell/CMainFrame.h>

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPaintEvent>
#include <QTabBar>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

using namespace kestrel;
using bench::databaseBytes;
using bench::write;
constexpr double kGoalMs = 50.0;

std::string parBytes()
{
    std::string header = "PC : 1.4.1";
    header.resize(29, '\0');
    return header + "\r\nINV: A12.34\r\n" + bench::bodyBytes() + std::string("END\0\r\n", 6);
}

// Counts the paints of the grid's viewport.
class PaintWatch : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) ++paints;
        return QObject::eventFilter(o, e);
    }
};

using Clock = std::chrono::steady_clock;
double msSince(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

// Until the grid has painted once more after the command.
void untilPainted(QWidget* grid, PaintWatch& watch)
{
    const int before = watch.paints;
    grid->update();
    while (watch.paints == before) QApplication::processEvents(QEventLoop::AllEvents, 5);
}

void report(const char* what, double ms)
{
    std::printf("%-44s %8.2f ms   %5.2f x goal (%.0f ms)\n", what, ms, ms / kGoalMs, kGoalMs);
}

}  // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    platform::testing::TempDir dir;
    platform::testing::RegistryRedirect registry(dir.path() + "/registry");
    write(dir.path() + "/tvk/RQ-1234.tvk", databaseBytes());
    const std::string par = dir.path() + "/parameter/big.par";
    write(par, parBytes());
    kestrel::shell().installDir = dir.path();
    state().installDir = dir.path();
    platform::setMessageHandler([](const platform::MessageRequest&) { return platform::MsgAnswer::No; });
    platform::setFileDialogHandler([&par](const platform::FileDialogRequest&) { return std::optional<std::string>(par); });

    shell::CMainFrame frame(kestrel::shell(), kestrelProgram());
    if (!frame.create()) return 1;
    frame.resize(1200, 800);
    frame.show();
    QApplication::processEvents();

    constexpr int kOpens = 20;
    double openMs = 0;
    for (int i = 0; i < kOpens; ++i) {
        const auto t = Clock::now();
        frame.execute(cmd::FileOpen);
        auto* view = frame.findChild<CTervikView*>();
        PaintWatch watch;
        view->grid()->viewport()->installEventFilter(&watch);
        untilPainted(view->grid()->viewport(), watch);
        openMs += msSince(t);
        delete frame.mdiArea()->subWindowList().front();  // no close question: nothing changed
        QApplication::processEvents();
    }
    report("open 2000-record list to painted grid", openMs / kOpens);

    frame.execute(cmd::FileOpen);
    auto* view = frame.findChild<CTervikView*>();
    PaintWatch watch;
    view->grid()->viewport()->installEventFilter(&watch);
    untilPainted(view->grid()->viewport(), watch);
    auto* tabs = view->findChild<QTabBar*>("groupTabs");
    double firstMs = 0, lastMs = 0;
    constexpr int kSwitches = 40;
    for (int i = 0; i < kSwitches; ++i) {
        const bool last = i % 2 == 1;
        const auto t = Clock::now();
        tabs->setCurrentIndex(last ? tabs->count() - 1 : 1);
        untilPainted(view->grid()->viewport(), watch);
        (last ? lastMs : firstMs) += msSince(t);
    }
    report("tab switch to an early group, painted", firstMs / (kSwitches / 2));
    report("tab switch to the last group, painted", lastMs / (kSwitches / 2));
    delete frame.mdiArea()->subWindowList().front();
    return 0;
}
