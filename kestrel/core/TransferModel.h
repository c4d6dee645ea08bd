#pragma once
// The transfer dialog ("Uploading...", progress, STOP, elapsed seconds)
// without its window, over CTransfer. The window calls Open() when it
// shows, Tick() on its 2 ms timer while the state is Running, asks
// question() and hands the answer to Answer() while the state is Asking
// (its timer stopped), and shows notices() once the state is Ended.
#include <kestrel/core/CTransfer.h>
#include <platform/Notice.h>

#include <memory>
#include <string>
#include <vector>

namespace kestrel {

class TransferModel {
public:
    enum class Mode { Upload, Download, Database };
    enum class State { Running, Asking, Ended };
    static constexpr const char* kDatabaseStatus = "Uploading full database...";

    struct View {
        std::string caption = "Uploading...";
        std::string statusLine;   // the dialog's text
        std::string statusPane;   // pane 0 of the main window's status bar
        int progress = 0;
        int range = 0;
        std::string elapsed = "0 sec";
    };

    // Runs the job: Upload and Download set its direction, Database
    // uploads its database. The job outlives the model and receives the
    // transfer's result.
    TransferModel(CTelegram& telegram, Mode mode, TransferJob& job);

    State Open();
    State Tick();
    const std::string& question() const { return transfer_->question(); }
    State Answer(bool yes);
    // "STOP": takes effect at the next tick.
    void Stop() { transfer_->RequestStop(); }

    State state() const { return state_; }
    const View& view() const { return view_; }
    int result() const { return result_; }
    const std::vector<platform::Notice>& notices() const { return notices_; }

private:
    State follow(int r);
    State end(int result);
    void refresh();

    bool database_ = false;
    std::unique_ptr<CTransfer> transfer_;
    View view_;
    State state_ = State::Running;
    int result_ = 0;
    std::vector<platform::Notice> notices_;
};

}  // namespace kestrel
