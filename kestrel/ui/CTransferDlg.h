#pragma once
// The transfer dialog ("Uploading..."): Upload All, Download All or the
// database upload, one record per 2 ms tick, with progress, elapsed time and
// STOP. A question of the transfer stops the timer while its box is open.
// Closing the window asks for a stop like STOP does, so the run still ends
// through its own end (messages, line freed).
#include <kestrel/core/TransferModel.h>

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace kestrel {

class CTransferDlg : public QDialog {
    Q_OBJECT
public:
    CTransferDlg(CTelegram& telegram, TransferModel::Mode mode, QWidget* parent = nullptr);
    const TransferModel& model() const { return model_; }
    // "STOP".
    void clickStop() { model_.Stop(); }

signals:
    void statusText(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override { model_.Stop(); }

private:
    void onTick();
    void refresh();
    void end();

    TransferModel model_;
    QLabel* status_ = nullptr;
    QLabel* elapsed_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* stop_ = nullptr;
    QTimer* timer_ = nullptr;
    bool started_ = false;
};

// Runs the transfer dialog to its end and shows its messages; the end code.
int runTransferDialog(CTelegram& telegram, TransferModel::Mode mode, QWidget* parent);

}  // namespace kestrel
