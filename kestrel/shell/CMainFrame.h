#pragma once
// The MDI main window: menus 128 (no list open) and 129 (a list window open),
// toolbar, the five status-bar panes, the title and About-text rules, the
// close rule, and the one telegram object. Commands are routed to the active
// list window first, then to the handlers registered here; an entry without
// a handler is disabled, so commands of windows still to come stay grey.
#include <kestrel/shell/CommPortTest.h>
#include <kestrel/shell/MenuLayout.h>

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

namespace kestrel {

class CTelegram;
class ShellContext;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    enum Pane { PaneMessage = 0, PaneBaud = 1, PanePort = 2, PaneProtocol = 3, PaneActivity = 4, kPaneCount = 5 };
    using TelegramFactory = std::function<std::unique_ptr<CTelegram>()>;

    CMainFrame(ShellContext& context, MenuLayout mainMenu = kestrelMainMenu(),
               MenuLayout childMenu = kestrelChildMenu(), QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Toolbar, status bar and the telegram object; false after "MSCOMM32 failed".
    bool create();
    void setTelegramFactory(TelegramFactory factory) { telegramFactory_ = std::move(factory); }
    CTelegram* telegram() const { return telegram_.get(); }

    // Commands.
    QAction* action(int id) const;
    void setCommandHandler(int id, std::function<void()> handler);
    bool hasCommandHandler(int id) const { return handlers_.count(id) != 0; }
    void execute(int id);
    void updateCommandStates();
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

    // The communication dialog's serial lines (tests and the demo).
    void setPortSource(PortSource source) { portSource_ = std::move(source); }
    void setPortTestTiming(PortTestTiming timing) { portTestTiming_ = timing; }

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

    ShellContext& context_;
    MenuLayout mainMenu_;
    MenuLayout childMenu_;
    bool childMenuShown_ = false;
    bool optionsPresent_ = true;
    bool destroying_ = false;
    QMdiArea* mdi_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QTimer* statusScanTimer_ = nullptr;
    QLabel* panes_[kPaneCount] = {};
    std::map<int, QAction*> actions_;
    std::map<int, std::function<void()>> handlers_;
    std::function<void(const std::string&)> recentHandler_;
    std::vector<QAction*> recentActions_;
    TelegramFactory telegramFactory_;
    std::unique_ptr<CTelegram> telegram_;
    PortSource portSource_;
    PortTestTiming portTestTiming_;
};

}  // namespace kestrel
