#pragma once
// The MDI main window, built from a ProgramDescription: its two menus (no
// document open / a child window open) with their status-bar prompts, the
// toolbar, the five status-bar panes, the title and About-text rules, the
// close rule, and the program's line object. Commands are routed to the
// active child window first (CommandTarget), then to the handlers registered
// here; an entry without a handler is disabled, so commands of windows still
// to come stay grey. How a program registers its windows: ProgramDescription.h.
#include <shell/CommPortTest.h>
#include <shell/MenuLayout.h>
#include <shell/ProgramDescription.h>

#include <QMainWindow>

#include <functional>
#include <map>
#include <memory>

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;
class QToolBar;

namespace shell {

class ShellContext;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    enum Pane { PaneMessage = 0, PaneBaud = 1, PanePort = 2, PaneProtocol = 3, PaneActivity = 4, kPaneCount = 5 };

    // The program's commands are installed here already.
    CMainFrame(ShellContext& context, const ProgramDescription& program, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Toolbar, status bar and the line object; false after the line's failure
    // message was shown.
    bool create();
    LineObject* line() const { return line_.get(); }
    ShellContext& context() const { return context_; }

    // Commands.
    QAction* action(int id) const;
    // A command the menus do not show (a key or a button of its own).
    QAction* addCommand(const MenuEntry& entry);
    void setCommandHandler(int id, std::function<void()> handler);
    bool hasCommandHandler(int id) const { return handlers_.count(id) != 0; }
    // The check mark of a checkable entry, asked whenever menus are shown.
    void setCommandCheck(int id, std::function<bool()> checked);
    void execute(int id);
    void updateCommandStates();
    // The title again: the company's, and the active window's own (it changed).
    void refreshTitle();
    // The company name, and the program's name beside it.
    std::string ownTitle() const;
    // The menu entry's text as the resource has it ("...\tCtrl+O").
    QString menuText(int id) const;
    QStringList menuTitles() const;
    // Opens a recent file: the handler of whoever opens list files.
    void setRecentFileHandler(std::function<void(const std::string&)> handler);

    void removeOptionsMenu();
    bool optionsMenuPresent() const { return optionsPresent_; }

    QMdiArea* mdiArea() const { return mdi_; }
    QMdiSubWindow* addChildWindow(QWidget* child);

    QString paneText(int pane) const;
    void setPaneText(int pane, const QString& text);
    QLabel* pane(int pane) const;
    QToolBar* toolBar() const { return toolBar_; }


signals:
    // The program has to end at once (no COM port left).
    void quitRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void buildActions();
    void buildMenuBar();
    void buildToolBar();
    void buildStatusBar();
    void registerOwnCommands();
    void onMenuAboutToShow(QMenu* menu);
    void fillRecentFiles(QMenu* menu);
    void onCommunication();
    void onParameterHelp();
    const MenuLayout& currentLayout() const;
    void showPrompt(const QString& tip);

    ShellContext& context_;
    ProgramDescription program_;
    bool childMenuShown_ = false;
    bool optionsPresent_ = true;
    bool destroying_ = false;
    QMdiArea* mdi_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QTimer* statusScanTimer_ = nullptr;
    QLabel* panes_[kPaneCount] = {};
    std::map<int, QAction*> actions_;
    std::map<int, std::function<void()>> handlers_;
    std::map<int, std::function<bool()>> checks_;
    std::function<void(const std::string&)> recentHandler_;
    std::vector<QAction*> recentActions_;
    std::unique_ptr<LineObject> line_;
};

}  // namespace shell
