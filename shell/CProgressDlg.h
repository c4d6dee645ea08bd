#pragma once
// The dialog of every long operation (network examination, bulk transfers,
// database upload): a title, a status line, a progress bar, a STOP button and
// optionally the seconds since the start ("%ld sec"). A timer ticks the
// owner's stepper, one station, parameter or record per tick, so the dialog
// repaints and STOP is served between steps.
//
// A stepper never opens a message box. When it needs the user it returns
// Step::Ask; the dialog stops its timer and calls the owner's question
// handler, which shows the box and answers whether to go on. STOP stops the
// timer and calls the stop handler (the owner tells its stepper); without
// one the dialog ends with Stopped.
#include <QDialog>
#include <QElapsedTimer>

#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace shell {

class CProgressDlg : public QDialog {
    Q_OBJECT
public:
    enum class Step {
        Continue,   // more to do: tick again
        Ask,        // the owner has a question for the user
        Done,       // finished: the dialog closes with Finished
        Failed,     // finished with a failure the owner reports: closes with Failed
    };
    enum Outcome { Stopped = 0, Finished = 1, Failed = 2 };

    explicit CProgressDlg(const QString& title, QWidget* parent = nullptr);

    void setStatus(const QString& text);
    QString status() const;
    void setRange(int minimum, int maximum);
    void setValue(int value);
    int value() const;
    void showElapsed(bool on);
    QString elapsedText() const;

    void setStepper(std::function<Step()> stepper) { stepper_ = std::move(stepper); }
    // True: go on after the question; false: the dialog ends with Stopped.
    void setQuestionHandler(std::function<bool()> handler) { question_ = std::move(handler); }
    // STOP was pressed: the owner's stepper finishes at its next tick.
    void setStopHandler(std::function<void()> handler) { stop_ = std::move(handler); }
    void setInterval(int ms);
    // Escape and the close button act as STOP.
    void reject() override { onStop(); }

    // Starts ticking and runs the dialog modally; one of Outcome.
    int run();
    // Starts ticking without a modal loop (the owner waits on finished()).
    void start();
    void pause();
    void resume();
    bool ticking() const;

private:
    void tick();
    void onStop();
    void end(int outcome);
    void updateElapsed();

    QLabel* status_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QLabel* elapsed_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QTimer* timer_ = nullptr;
    QElapsedTimer clock_;
    std::function<Step()> stepper_;
    std::function<bool()> question_;
    std::function<void()> stop_;
    bool ended_ = false;
};

}  // namespace shell
