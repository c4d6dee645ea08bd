#pragma once
// The transfer dialog ("Uploading..."): Upload All, Download All or the
// database upload on the shell's progress dialog, one record per 2 ms tick,
// with the elapsed seconds and STOP. A question of the transfer is asked
// with the timer stopped. STOP, Escape and the close box ask for a stop, so
// the run still ends through its own end (messages, line freed).
#include <kestrel/core/TransferModel.h>
#include <shell/CProgressDlg.h>

namespace kestrel {

class CTransferDlg : public shell::CProgressDlg {
    Q_OBJECT
public:
    // job outlives the dialog and receives the transfer's result.
    CTransferDlg(CTelegram& telegram, TransferModel::Mode mode, TransferJob& job, QWidget* parent = nullptr);
    const TransferModel& model() const { return model_; }
    // Runs to the end and shows the end messages; the end code.
    int exec() override;

signals:
    void statusText(const QString& text);

private:
    Step step();
    void refresh();

    TransferModel model_;
    bool opened_ = false;
};

// Runs the transfer dialog on job; its end code.
int runTransferDialog(CTelegram& telegram, TransferModel::Mode mode, TransferJob& job, QWidget* parent);

}  // namespace kestrel
