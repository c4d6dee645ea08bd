#include <kestrel/ui/ListWindows.h>

#include <kestrel/core/ListOpener.h>
#include <kestrel/ui/CTervikView.h>
#include <kestrel/ui/CommandIds.h>
#include <kestrel/ui/KestrelShell.h>
#include <platform/qt/QtImages.h>
#include <plumage/plumage.h>
#include <shell/CMainFrame.h>
#include <shell/QtHelpUi.h>

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QUrl>

#include <strings.h>

namespace kestrel {

namespace {

// Accepts ".par" and ".ctm" files dropped anywhere on the main window.
class DropOpener : public QObject {
public:
    explicit DropOpener(shell::CMainFrame& frame) : QObject(&frame), frame_(frame) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::DragEnter) {
            auto* e = static_cast<QDragEnterEvent*>(event);
            if (!listPaths(e->mimeData()).isEmpty()) {
                e->acceptProposedAction();
                return true;
            }
        } else if (event->type() == QEvent::Drop) {
            auto* e = static_cast<QDropEvent*>(event);
            const QStringList paths = listPaths(e->mimeData());
            if (!paths.isEmpty()) {
                e->acceptProposedAction();
                openListArguments(frame_, paths);
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    static QStringList listPaths(const QMimeData* data)
    {
        QStringList out;
        if (data == nullptr) return out;
        for (const QUrl& url : data->urls())
            if (url.isLocalFile() && listKindOf(url.toLocalFile().toStdString())) out << url.toLocalFile();
        return out;
    }
    shell::CMainFrame& frame_;
};

}  // namespace

std::optional<ListKind> listKindOf(const std::string& path)
{
    if (path.size() < 5 || path[path.size() - 4] != '.') return std::nullopt;
    const char* ext = path.c_str() + path.size() - 3;
    if (strcasecmp(ext, "par") == 0) return ListKind::ParameterFile;
    if (strcasecmp(ext, "ctm") == 0) return ListKind::CustomList;
    return std::nullopt;
}

CTervikView* activeListView(shell::CMainFrame& frame)
{
    QMdiSubWindow* sub = frame.mdiArea()->activeSubWindow();
    return sub ? qobject_cast<CTervikView*>(sub->widget()) : nullptr;
}

CTervikView* showListWindow(shell::CMainFrame& frame, ListOpening opening)
{
    shell::ShellContext& context = frame.context();
    auto* view = new CTervikView(std::make_unique<CTervikDoc>(context.installDir, std::move(opening)));
    view->setScanSource([&context] { return context.statusScan; });
    view->setParameterHelp([&frame, &context](const std::string& fileName) {
        shell::QtHelpUi ui(&frame);
        shell::HelpViewer viewer(ui, context.help, context.installDir, context.settings.readerPath);
        viewer.parameterHelp(fileName);
    });
    view->setRecentSink([&context](const std::string& path) { context.addRecentFile(path); });
    QMdiSubWindow* sub = frame.addChildWindow(view);
    sub->setWindowIcon(platform::qt::toIcon(getParIcon()));
    QObject::connect(view, &CTervikView::titleChanged, sub, [sub, &frame](const QString& title) {
        sub->setWindowTitle(title);
        frame.refreshTitle();
    });
    sub->setWindowTitle(view->windowTitle());
    sub->show();
    sub->adjustSize();
    frame.mdiArea()->setActiveSubWindow(sub);
    return view;
}

CTervikView* openListWindow(shell::CMainFrame& frame, ListKind kind, const std::optional<std::string>& path)
{
    shell::ShellContext& context = frame.context();
    const auto opened = openListFile(context.installDir, kind, path);
    if (!opened) return nullptr;
    state().currentAddress.clear();
    context.addRecentFile(opened->filePath);
    return showListWindow(frame, ListOpening{opened->kind, opened->filePath, opened->workPath,
                                             opened->databaseFileName, {}, {}});
}

void openListArguments(shell::CMainFrame& frame, const QStringList& arguments)
{
    for (const QString& a : arguments) {
        const std::string path = a.toStdString();
        if (const auto kind = listKindOf(path)) openListWindow(frame, *kind, path);
    }
}

void installListCommands(shell::CMainFrame& frame)
{
    frame.setCommandHandler(cmd::FileOpen, [&frame] { openListWindow(frame, ListKind::ParameterFile); });
    frame.setCommandHandler(cmd::ProgramList, [&frame] { openListWindow(frame, ListKind::CustomList); });
    frame.setRecentFileHandler([&frame](const std::string& path) {
        openListWindow(frame, listKindOf(path).value_or(ListKind::ParameterFile), path);
    });
    frame.setAcceptDrops(true);
    frame.installEventFilter(new DropOpener(frame));
}

}  // namespace kestrel
