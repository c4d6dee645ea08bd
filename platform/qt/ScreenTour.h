#pragma once
// A scripted walk through a program's windows for the demo: each step waits
// until a window of a given object name is up (a modal dialog or a top-level
// window), saves its picture, then acts on it (clicks a button, opens the
// next dialog). Message boxes that come up on the way are saved too and
// answered with their default button. Every picture's path is printed as
// "screenshot: <path>". Runs offscreen as well as on a display.
#include <QObject>
#include <QPixmap>
#include <QString>

#include <functional>
#include <vector>

class QMainWindow;
class QMenu;
class QTimer;
class QWidget;

namespace platform::qt {

class ScreenTour : public QObject {
    Q_OBJECT
public:
    using Action = std::function<void(QWidget*)>;

    // Pictures go to directory/<prefix>-<n>-<name>.png.
    ScreenTour(QString directory, QString prefix, QObject* parent = nullptr);

    ScreenTour& step(const QString& window, const QString& picture, Action action);
    void start(int intervalMs = 250, int limitMs = 60000);
    bool done() const { return next_ >= steps_.size(); }
    // Stops the tour and reports it (once): at its last step, at its time
    // limit, or when the program ends first. Writes <prefix>.done in the
    // directory, "complete" or "incomplete".
    void finish();
    QStringList saved() const { return saved_; }

    // Saves one more picture (taken by a step's action).
    void save(const QPixmap& pixmap, const QString& name);

    // A window with a menu of its menu bar opened over it.
    static QPixmap grabWithMenu(QMainWindow* window, int menuIndex);
    // Clicks the child button of that object name, after the current event.
    static void clickLater(QWidget* window, const QString& buttonName);

signals:
    void finished(bool completed);

private:
    struct Step {
        QString window;
        QString picture;
        Action action;
    };
    void tick();
    QWidget* findWindow(const QString& name) const;

    QString directory_;
    QString prefix_;
    std::vector<Step> steps_;
    size_t next_ = 0;
    int shots_ = 0;
    int elapsedMs_ = 0;
    int intervalMs_ = 250;
    int limitMs_ = 60000;
    QTimer* timer_ = nullptr;
    bool finished_ = false;
    QStringList saved_;
};

}  // namespace platform::qt
