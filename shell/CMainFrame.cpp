#include <shell/CAboutDlg.h>
#include <shell/CCommDlg.h>
#include <shell/CMainFrame.h>
#include <shell/CommandIds.h>
#include <shell/CommandTarget.h>
#include <shell/QtHelpUi.h>
#include <shell/ShellContext.h>
#include <shell/ShellImages.h>
#include <shell/ShellTexts.h>

#include <platform/MessageBox.h>
#include <plumage/plumage.h>

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTimer>
#include <QToolBar>

#include <algorithm>

namespace shell {

namespace {

// Status-bar pane widths (baud rate, port, format, activity) in pixels of the
// classic dialog font. All four grow by one factor until the widest text of
// each of the first three fits, so the proportions stay with any font.
constexpr int kPaneWidths[CMainFrame::kPaneCount] = {0, 40, 35, 25, 100};
constexpr const char* kPaneSamples[CMainFrame::kPaneCount] = {"", "19200", "COM4", "8N1", ""};

void flip(bool& flag) { flag = !flag; }

CommandTarget* activeTarget(QMdiArea* mdi)
{
    QMdiSubWindow* sub = mdi->activeSubWindow();
    if (sub == nullptr && !mdi->subWindowList().isEmpty()) sub = mdi->subWindowList().back();
    return sub ? dynamic_cast<CommandTarget*>(sub->widget()) : nullptr;
}

}  // namespace

CMainFrame::CMainFrame(ShellContext& context, const ProgramDescription& program, QWidget* parent)
    : QMainWindow(parent), context_(context), program_(program)
{
    setObjectName("mainFrame");
    setWindowTitle(QString::fromStdString(ownTitle()));
    setWindowIcon(programIcon(program_.programName));
    setAttribute(Qt::WA_DeleteOnClose, false);
    mdi_ = new QMdiArea(this);
    mdi_->setObjectName("mdiArea");
    setCentralWidget(mdi_);
    statusScanTimer_ = new QTimer(this);
    buildActions();
    registerOwnCommands();
    if (program_.installCommands) program_.installCommands(*this);
    buildMenuBar();
    connect(mdi_, &QMdiArea::subWindowActivated, this, [this] {
        if (childMenuShown_ == mdi_->subWindowList().isEmpty()) buildMenuBar();
        updateCommandStates();
        refreshTitle();
    });
}

CMainFrame::~CMainFrame()
{
    // Children going away during destruction must not update actions that are gone already.
    destroying_ = true;
    context_.setPaneListener({});
    // The MDI area and its sub-windows go while this is still a whole frame:
    // left to QWidget's destructor, their activation and destroyed signals
    // would run this frame's handlers on an object that is no longer one.
    if (mdi_ != nullptr) {
        for (QMdiSubWindow* sub : mdi_->subWindowList()) sub->disconnect(this);
        mdi_->disconnect(this);
        delete mdi_;
        mdi_ = nullptr;
    }
    line_.reset();
}

bool CMainFrame::create()
{
    buildToolBar();
    buildStatusBar();
    if (program_.createLine) {
        LineResult made = program_.createLine();
        if (!made.failure.empty()) {
            platform::showMessage(made.failure);
            return false;
        }
        line_ = std::move(made.line);
    }
    updateCommandStates();
    return true;
}

QAction* CMainFrame::addCommand(const MenuEntry& e)
{
    if (e.id <= 0) return nullptr;
    if (QAction* existing = action(e.id)) return existing;
    const QString full = QString::fromStdString(e.text);
    const auto tab = full.indexOf('\t');
    auto* a = new QAction(tab < 0 ? full : full.left(tab), this);
    if (tab >= 0) a->setShortcut(QKeySequence(full.mid(tab + 1)));
    a->setCheckable(e.checkable);
    a->setStatusTip(QString::fromStdString(promptStatus(e.prompt)));
    if (const std::string tip = promptTip(e.prompt); !tip.empty()) a->setToolTip(QString::fromStdString(tip));
    a->setEnabled(false);
    a->setData(e.id);
    connect(a, &QAction::triggered, this, [this, id = e.id] { execute(id); });
    actions_[e.id] = a;
    addAction(a);  // shortcuts work whichever menu is shown
    return a;
}

void CMainFrame::buildActions()
{
    for (const MenuLayout* layout : {&program_.mainMenu, &program_.childMenu})
        for (const auto& popup : layout->popups)
            for (const auto& e : popup.entries) addCommand(e);
}

const MenuLayout& CMainFrame::currentLayout() const { return childMenuShown_ ? program_.childMenu : program_.mainMenu; }

void CMainFrame::buildMenuBar()
{
    if (destroying_) return;
    childMenuShown_ = !mdi_->subWindowList().isEmpty();
    const MenuLayout& layout = currentLayout();
    auto* bar = new QMenuBar(this);
    for (size_t i = 0; i < layout.popups.size(); ++i) {
        if (static_cast<int>(i) == layout.optionsPopup && !optionsPresent_) continue;
        const MenuPopup& popup = layout.popups[i];
        QMenu* menu = bar->addMenu(QString::fromStdString(popup.title));
        for (const auto& e : popup.entries) {
            if (e.id == 0) menu->addSeparator();
            else if (e.id == kRecentFiles) menu->setProperty("recentFiles", true);
            else menu->addAction(actions_.at(e.id));
        }
        connect(menu, &QMenu::aboutToShow, this, [this, menu] { onMenuAboutToShow(menu); });
        connect(menu, &QMenu::aboutToHide, this, [this] { showPrompt({}); });
    }
    setMenuBar(bar);  // deletes the previous bar and its menus, not the shared actions
    recentActions_.clear();
}

void CMainFrame::buildToolBar()
{
    toolBar_ = addToolBar("Standard");
    toolBar_->setObjectName("toolBar");
    bool separatorDue = false;
    for (const auto& [id, icon] : program_.toolbar) {
        if (id == 0) {
            separatorDue = !toolBar_->actions().isEmpty();
            continue;
        }
        QAction* a = action(id);
        if (a == nullptr) continue;  // the program's menus do not have it
        if (separatorDue) toolBar_->addSeparator();
        separatorDue = false;
        if (a->icon().isNull()) a->setIcon(style()->standardIcon(icon));
        toolBar_->addAction(a);
    }
}

void CMainFrame::buildStatusBar()
{
    QStatusBar* bar = statusBar();
    double scale = 1.0;
    for (int i = 0; i < kPaneCount; ++i) {
        panes_[i] = new QLabel(this);
        panes_[i]->setObjectName(QString("pane%1").arg(i));
        if (i == PaneMessage) {
            panes_[i]->setText("Ready");
            bar->addWidget(panes_[i], 1);
        } else {
            panes_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            const int margins = 2 * panes_[i]->frameWidth() + 4;
            const int needed = panes_[i]->fontMetrics().horizontalAdvance(kPaneSamples[i]) + margins;
            scale = std::max(scale, double(needed) / kPaneWidths[i]);
            bar->addPermanentWidget(panes_[i]);
        }
    }
    for (int i = 1; i < kPaneCount; ++i) panes_[i]->setFixedWidth(static_cast<int>(kPaneWidths[i] * scale + 0.5));
    context_.setPaneListener([this](const AppliedComm& a) {
        setPaneText(PaneBaud, QString::fromStdString(a.paneBaud));
        setPaneText(PanePort, QString::fromStdString(a.panePort));
        setPaneText(PaneProtocol, QString::fromStdString(a.paneProtocol));
    });
}

void CMainFrame::registerOwnCommands()
{
    setCommandHandler(cmd::AppExit, [this] { close(); });
    setCommandHandler(cmd::Communication, [this] { onCommunication(); });
    setCommandHandler(cmd::StatusScan, [this] {
        context_.statusScan = !context_.statusScan;
        if (!context_.statusScan) statusScanTimer_->stop();
    });
    setCommandHandler(cmd::ViewToolbar, [this] {
        if (toolBar_) toolBar_->setVisible(!toolBar_->isVisible());
    });
    setCommandHandler(cmd::ViewStatusBar, [this] { statusBar()->setVisible(!statusBar()->isVisible()); });
    setCommandHandler(cmd::SplashOnStart, [this] { flip(context_.settings.splash); });
    setCommandHandler(cmd::CommOnStart, [this] { flip(context_.settings.com); });
    setCommandHandler(cmd::HideOptions, [this] {
        context_.optionsFlag = false;
        removeOptionsMenu();
    });
    setCommandHandler(cmd::AppAbout, [this] {
        CAboutDlg about(context_.settings.dummy, this);
        about.exec();
    });
    setCommandHandler(cmd::HelpParameter, [this] { onParameterHelp(); });
    setCommandHandler(cmd::WindowCascade, [this] { mdi_->cascadeSubWindows(); });
    setCommandHandler(cmd::WindowTile, [this] { mdi_->tileSubWindows(); });
    setCommandHandler(cmd::WindowArrange, [this] { mdi_->tileSubWindows(); });
    setCommandCheck(cmd::StatusScan, [this] { return context_.statusScan; });
    setCommandCheck(cmd::ViewToolbar, [this] { return toolBar_ && !toolBar_->isHidden(); });
    setCommandCheck(cmd::ViewStatusBar, [this] { return !statusBar()->isHidden(); });
    setCommandCheck(cmd::SplashOnStart, [this] { return context_.settings.splash; });
    setCommandCheck(cmd::CommOnStart, [this] { return context_.settings.com; });
}

QAction* CMainFrame::action(int id) const
{
    const auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

void CMainFrame::setCommandHandler(int id, std::function<void()> handler)
{
    if (handler) handlers_[id] = std::move(handler);
    else handlers_.erase(id);
    updateCommandStates();
}

void CMainFrame::setCommandCheck(int id, std::function<bool()> checked)
{
    if (checked) checks_[id] = std::move(checked);
    else checks_.erase(id);
    updateCommandStates();
}

void CMainFrame::execute(int id)
{
    if (CommandTarget* target = activeTarget(mdi_); target && target->onCommand(id)) {
        updateCommandStates();
        return;
    }
    if (const auto it = handlers_.find(id); it != handlers_.end()) {
        const auto handler = it->second;  // the handler may replace itself
        handler();
    }
    updateCommandStates();
}

void CMainFrame::updateCommandStates()
{
    if (destroying_) return;
    const CommandTarget* target = activeTarget(mdi_);
    for (const auto& [id, a] : actions_) {
        std::optional<bool> enabled = target ? target->commandEnabled(id) : std::nullopt;
        a->setEnabled(enabled.value_or(handlers_.count(id) != 0));
        if (target)
            if (auto t = target->commandText(id)) a->setText(QString::fromStdString(*t));
    }
    for (const auto& [id, checked] : checks_) {
        QAction* a = action(id);
        if (a == nullptr) continue;
        const std::optional<bool> own = target ? target->commandChecked(id) : std::nullopt;
        a->setChecked(own.value_or(checked()));
    }
}

QString CMainFrame::menuText(int id) const
{
    const QAction* a = action(id);
    if (a == nullptr) return {};
    const QString keys = a->shortcut().toString(QKeySequence::PortableText);
    return keys.isEmpty() ? a->text() : a->text() + "\t" + keys;
}

QStringList CMainFrame::menuTitles() const
{
    QStringList titles;
    for (QAction* a : menuBar()->actions())
        if (a->menu()) titles << a->text();
    return titles;
}

void CMainFrame::setRecentFileHandler(std::function<void(const std::string&)> handler)
{
    recentHandler_ = std::move(handler);
}

void CMainFrame::onMenuAboutToShow(QMenu* menu)
{
    if (QAction* about = action(cmd::AppAbout)) about->setText(QString::fromStdString(aboutMenuText(getSoftwareName())));
    if (menu->property("recentFiles").toBool()) fillRecentFiles(menu);
    updateCommandStates();
}

void CMainFrame::fillRecentFiles(QMenu* menu)
{
    for (QAction* a : recentActions_) {
        menu->removeAction(a);
        a->deleteLater();
    }
    recentActions_.clear();
    QAction* before = action(cmd::AppExit);
    for (size_t i = 0; i < context_.recentFiles.size(); ++i) {
        const std::string path = context_.recentFiles[i];
        auto* a = new QAction(QString("&%1 %2").arg(i + 1).arg(QString::fromStdString(path)), menu);
        a->setEnabled(static_cast<bool>(recentHandler_));
        connect(a, &QAction::triggered, this, [this, path] {
            if (recentHandler_) recentHandler_(path);
        });
        menu->insertAction(before, a);
        recentActions_.push_back(a);
    }
    if (!recentActions_.empty()) recentActions_.push_back(menu->insertSeparator(before));
}

void CMainFrame::removeOptionsMenu()
{
    optionsPresent_ = false;
    buildMenuBar();
}

QMdiSubWindow* CMainFrame::addChildWindow(QWidget* child)
{
    QMdiSubWindow* sub = mdi_->addSubWindow(child);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // Queued: a sub-window announces its end while the MDI area still lists
    // it, half destroyed; the frame looks again once the area has let it go.
    connect(
        sub, &QObject::destroyed, this,
        [this] {
            if (childMenuShown_ == mdi_->subWindowList().isEmpty()) buildMenuBar();
            updateCommandStates();
            refreshTitle();
        },
        Qt::QueuedConnection);
    sub->show();
    if (!childMenuShown_) buildMenuBar();
    updateCommandStates();
    return sub;
}

QLabel* CMainFrame::pane(int index) const { return index >= 0 && index < kPaneCount ? panes_[index] : nullptr; }

QString CMainFrame::paneText(int index) const
{
    const QLabel* p = pane(index);
    return p ? p->text() : QString();
}

void CMainFrame::setPaneText(int index, const QString& text)
{
    if (QLabel* p = pane(index)) p->setText(text);
}

void CMainFrame::onCommunication()
{
    if (CCommDlg::run(context_, program_.portSource, false, this, program_.portTestTiming) == CCommDlg::Outcome::NoPort)
        emit quitRequested();
}

void CMainFrame::onParameterHelp()
{
    QtHelpUi ui(this);
    HelpViewer viewer(ui, context_.help, context_.installDir, context_.settings.readerPath);
    viewer.parameterHelp();
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (!mdi_->subWindowList().isEmpty()) {
        platform::showMessage(text::kCloseListsFirst, platform::MsgIcon::Exclamation);
        event->ignore();
        return;
    }
    context_.closing();
    event->accept();
}

void CMainFrame::showPrompt(const QString& tip)
{
    // The message pane shows the hovered entry's prompt, and "Ready" again
    // when the pointer leaves the menus.
    setPaneText(PaneMessage, tip.isEmpty() ? QStringLiteral("Ready") : tip);
}

bool CMainFrame::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip) {
        showPrompt(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    // Whatever else puts a document name into the title (Qt does for a
    // maximised child), the title is the company's, followed by the active
    // window's own title where it has one.
    if (event->type() == QEvent::WindowTitleChange) refreshTitle();
    return QMainWindow::event(event);
}

std::string CMainFrame::ownTitle() const
{
    const std::string company = getCompanyName();
    return program_.programName.empty() ? company : company + " " + program_.programName;
}

void CMainFrame::refreshTitle()
{
    if (destroying_) return;
    QString title = QString::fromStdString(ownTitle());
    if (const CommandTarget* target = mdi_ ? activeTarget(mdi_) : nullptr)
        if (const auto own = target->frameTitle()) title += QStringLiteral(" - ") + QString::fromStdString(*own);
    if (windowTitle() != title) setWindowTitle(title);
}

}  // namespace shell
