#pragma once
// Kestrel's online commands, the windows they open and the order they open
// them in: Check Network, Open Parameter List from the device list, Connect
// and Quick Connect (with the database upload), Upload All / Download All,
// Keypad Controls, Fault History and the Converter Test. The main frame
// installs them; the list windows call the list commands with their list.
#include <kestrel/core/BulkTransferFlow.h>

#include <QObject>
#include <QString>

#include <functional>
#include <string>

class QWidget;

namespace shell {
class CMainFrame;
}

namespace kestrel {

class CTelegram;
class CTervikDoc;
class CTervikView;

class KestrelOnline : public QObject {
    Q_OBJECT
public:
    // parent: owner of the dialogs; status: pane 0 of the status bar.
    KestrelOnline(CTelegram& telegram, QWidget* parent, std::function<void(const QString&)> status);

    // Opens the online list of a connection's working file and database
    // (the list window's business).
    void setListOpener(std::function<void(const TransferJob& list)> open) { openList_ = std::move(open); }

    // The main frame's instance (made with the frame's telegram object at
    // its first use); nullptr while the frame has no telegram object.
    static KestrelOnline* of(shell::CMainFrame& frame);

    void checkNetwork();
    void openDeviceList();
    // The list commands. True when the list's working file changed.
    bool uploadAll(const TransferList& list,
                   BulkTransferFlow::Confirmation confirmation = BulkTransferFlow::Confirmation::Ask);
    bool downloadAll(const TransferList& list);
    // For a list's drive; an empty address picks the drive first.
    void keypad(const std::string& address);
    void faultHistory(const std::string& address);
    void converterTest();

    // Gives an online list window its drive: its line, the keypad-change
    // query, and Upload All / Download All for its close choices.
    void attach(CTervikView& view);
    // The list a transfer command runs on.
    static TransferList transferListOf(const CTervikDoc& doc);

private:
    void networkDialog();
    void connectTo(int next, TransferJob job);
    bool runFlow(const TransferList& list, BulkTransferFlow::Direction direction,
                 BulkTransferFlow::Confirmation confirmation = BulkTransferFlow::Confirmation::Ask);
    // The network dialog in selection mode; the chosen address or "".
    std::string pickTarget();
    // Opens the list of job unless there is none (an upload that failed).
    void opened(const TransferJob& job);

    CTelegram& telegram_;
    QWidget* parent_;
    std::function<void(const QString&)> status_;
    std::function<void(const TransferJob&)> openList_;
};

// Hooks the main-frame commands up: Check Network, Open Parameter List,
// Keypad Controls (target picked in the network dialog), Converter Test.
void installOnlineCommands(shell::CMainFrame& frame);

}  // namespace kestrel
