#pragma once
// The network dialog: the drives of "netlist.cfg", renaming, a new
// examination, and Connect / Quick Connect. In selection mode it picks the
// target of a transfer or a keypad window. A connection goes on (upload,
// list window) while the dialog is still open, through the hook the caller
// sets; the dialog closes after it. After exec() the caller reads
// connectResult() (next step of a connection, or the chosen target).
#include <kestrel/core/NetworkDialogModel.h>

#include <QDialog>

#include <functional>

class QLineEdit;
class QPushButton;

namespace shell {
class CMSHFlexGrid;
}  // namespace shell
namespace kestrel {

class CNetworkDlg : public QDialog {
    Q_OBJECT
public:
    CNetworkDlg(CTelegram& telegram, bool selectionMode, QWidget* parent = nullptr);

    const NetworkDialogModel& model() const { return model_; }
    const NetworkDialogModel::ConnectResult& connectResult() const { return result_; }
    // Runs the connection's next step (upload, list window) before the
    // dialog closes.
    void setConnectionRunner(std::function<void(int next, TransferJob job)> run) { runConnection_ = std::move(run); }
    QLineEdit* nameEdit() const { return name_; }
    shell::CMSHFlexGrid* grid() const { return grid_; }

    // The buttons, by their captions' actions (tests click them).
    void clickConnect(bool quick) { onConnect(quick); }
    void clickCheckNetwork() { onCheckNetwork(); }
    void selectRow(int row);
    void typeName(const QString& name);
    void clickChangeName() { onChangeName(); }

signals:
    void statusText(const QString& text);

protected:
    void reject() override;
    // Entering the name edit selects its whole text.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();
    void onConnect(bool quick);
    void onCheckNetwork();
    void onChangeName();
    void onCancel();

    CTelegram& telegram_;
    NetworkDialogModel model_;
    NetworkDialogModel::ConnectResult result_;
    shell::CMSHFlexGrid* grid_ = nullptr;
    QLineEdit* name_ = nullptr;
    QPushButton* connect_ = nullptr;
    QPushButton* quick_ = nullptr;
    QPushButton* changeName_ = nullptr;
    QPushButton* cancel_ = nullptr;
    std::function<void(int next, TransferJob job)> runConnection_;
    bool refreshing_ = false;
};

}  // namespace kestrel
