#include <shell/CMainFrame.h>
#include <shell/ShellContext.h>
#include <kestrel/ui/CommandIds.h>
#include <kestrel/ui/CTervikView.h>
#include <kestrel/ui/DemoTour.h>
#include <kestrel/ui/KestrelOnline.h>
#include <kestrel/ui/ListWindows.h>

#include <kestrel/core/CWorkFile.h>
#include <platform/FileDialog.h>

#include <QAbstractButton>
#include <QAction>
#include <QRadioButton>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>

#include <cstdlib>
#include <filesystem>

namespace kestrel {

using platform::qt::ScreenTour;

namespace {

void chooseFirstEnabled(QWidget* dialog, const QStringList& names)
{
    for (const QString& n : names) {
        auto* b = dialog->findChild<QRadioButton*>(n);
        if (b && b->isEnabled()) {
            b->setChecked(true);
            return;
        }
    }
}

void runLater(QWidget* window, int command)
{
    QTimer::singleShot(0, window, [window, command] {
        if (auto* frame = qobject_cast<shell::CMainFrame*>(window)) frame->execute(command);
    });
}

// The demo installation's sample parameter file, opened on its second group
// with a value being edited.
void openDemoList(QWidget* window)
{
    QTimer::singleShot(0, window, [window] {
        auto* frame = qobject_cast<shell::CMainFrame*>(window);
        if (frame == nullptr) return;
        const std::string path = frame->context().installDir + "/parameter/demo.par";
        if (!std::filesystem::exists(path)) return;
        if (CTervikView* view = openListWindow(*frame, ListKind::ParameterFile, path)) {
            view->document().selectTab(1);
            (void)view->document().selectRow(3, true);
            view->refresh();
            if (QWidget* sub = view->parentWidget()) sub->resize(sub->sizeHint().expandedTo(QSize(800, 560)));
        }
    });
}

void closeLists(QWidget* window)
{
    if (auto* frame = qobject_cast<shell::CMainFrame*>(window))
        for (QMdiSubWindow* sub : frame->mdiArea()->subWindowList()) delete sub;  // unchanged: nothing to ask
}

// The next file dialog is answered with this path, as the user would pick it.
void answerNextFileDialog(const std::string& path)
{
    auto previous = std::make_shared<platform::FileDialogHandler>();
    *previous = platform::setFileDialogHandler([path, previous](const platform::FileDialogRequest&) {
        platform::setFileDialogHandler(*previous);
        return std::optional<std::string>(path);
    });
}

// The custom list editor, then a parameter file with a value changed in its
// window compared with another file of its version. The demo script names
// the two files in AVIARY_DEMO_LISTS as "first:second".
void listFileSteps(ScreenTour* t, const QString& lists)
{
    const QStringList files = lists.split(':');
    if (files.size() != 2) return;
    const std::string first = files[0].toStdString();
    const std::string second = files[1].toStdString();
    t->step("mainFrame", "", [](QWidget* w) { runLater(w, cmd::CreateList); });
    t->step("selectListDialog", "", [](QWidget* w) { ScreenTour::clickLater(w, "okButton"); });
    t->step("customListDialog", "custom-list", [](QWidget* w) {
        if (auto* close = w->findChild<QAction*>("closeAction")) QTimer::singleShot(0, close, &QAction::trigger);
    });
    t->step("mainFrame", "", [first, second](QWidget* w) {
        auto* frame = qobject_cast<shell::CMainFrame*>(w);
        CTervikView* view = frame ? openListWindow(*frame, ListKind::ParameterFile, first) : nullptr;
        if (view == nullptr) return;
        const CWorkFile work(view->document().workPath());
        if (const auto v = work.findValue(0x0021)) (void)work.writeValue(0x0021, static_cast<std::uint16_t>(*v + 250));
        view->reload();
        answerNextFileDialog(second);
        runLater(w, cmd::FileCompareWith);
    });
    t->step("compareDialog", "compare", [](QWidget* w) { ScreenTour::clickLater(w, "okButton"); });
    t->step("mainFrame", "", [](QWidget* w) { closeLists(w); });
}

}  // namespace

std::unique_ptr<DemoTour> DemoTour::fromEnvironment(const char* program)
{
    const char* dir = std::getenv("AVIARY_DEMO_TOUR");
    if (dir == nullptr || *dir == '\0') return nullptr;
    return std::make_unique<DemoTour>(QString::fromLocal8Bit(dir), QString::fromLatin1(program));
}

DemoTour::DemoTour(const QString& directory, const QString& program)
    : tour_(std::make_unique<ScreenTour>(directory, program))
{
    ScreenTour* t = tour_.get();
    t->step("startupDialog", "startup", [](QWidget* w) { ScreenTour::clickLater(w, "yesButton"); });
    t->step("commDialog", "communication", [](QWidget* w) {
        chooseFirstEnabled(w, {"baud9600"});
        chooseFirstEnabled(w, {"portCOM1", "portCOM2", "portCOM3", "portCOM4"});
        ScreenTour::clickLater(w, "okButton");
    });
    t->step("mainFrame", "main-frame", [t](QWidget* w) {
        auto* frame = qobject_cast<shell::CMainFrame*>(w);
        t->save(ScreenTour::grabWithMenu(frame, 1), "menu-inverter");
        t->save(ScreenTour::grabWithMenu(frame, 3), "menu-settings");
        runLater(w, cmd::ProgramParameters);
    });
    t->step("programParametersDialog", "program-parameters",
            [](QWidget* w) { ScreenTour::clickLater(w, "cancelButton"); });
    t->step("mainFrame", "", [](QWidget* w) { runLater(w, cmd::AppAbout); });
    t->step("aboutDialog", "about", [](QWidget* w) {
        if (auto* b = w->findChild<QAbstractButton*>()) QTimer::singleShot(0, b, [b] { b->click(); });
    });
    t->step("mainFrame", "", [](QWidget* w) { openDemoList(w); });
    t->step("mainFrame", "parameter-list", [](QWidget* w) { closeLists(w); });
    if (const char* lists = std::getenv("AVIARY_DEMO_LISTS")) listFileSteps(t, QString::fromLocal8Bit(lists));
    // The online side against the demo's simulated drives: the network,
    // a keypad window picked from the network, the fault history.
    t->step("mainFrame", "", [](QWidget* w) { runLater(w, cmd::CheckNetwork); });
    t->step("networkDialog", "network", [](QWidget* w) { ScreenTour::clickLater(w, "closeButton"); });
    t->step("mainFrame", "", [](QWidget* w) { runLater(w, cmd::Keypad); });
    t->step("networkDialog", "", [](QWidget* w) { ScreenTour::clickLater(w, "connectButton"); });
    t->step("keypadDialog", "keypad", [](QWidget* w) {
        auto* frame = qobject_cast<shell::CMainFrame*>(w->parentWidget());
        ScreenTour::clickLater(w, "closeButton");
        if (frame == nullptr) return;
        QTimer::singleShot(400, frame, [frame] {
            if (KestrelOnline* online = KestrelOnline::of(*frame)) online->faultHistory("1");
        });
    });
    t->step("faultDialog", "fault-history", [](QWidget* w) { ScreenTour::clickLater(w, "okButton"); });
    t->step("mainFrame", "", [](QWidget* w) { QTimer::singleShot(0, w, [w] { w->close(); }); });
    t->start();
}

DemoTour::~DemoTour() { tour_->finish(); }

}  // namespace kestrel
