#pragma once
// The "Communication Settings" dialog (resource 131): baud rate, COM port and
// character format, the "do not show again" box at start-up, HELP, and OK
// with the port test. The decisions are CommDialogModel's.
#include <shell/CommDialogModel.h>

#include <QDialog>
#include <map>

class QCheckBox;
class QLabel;
class QRadioButton;

namespace shell {

class CCommDlg : public QDialog {
    Q_OBJECT
public:
    // The model has probed the ports already.
    CCommDlg(CommDialogModel& model, QWidget* parent = nullptr);
    CommChoice currentChoice() const;

    enum class Outcome { Accepted, Cancelled, NoPort };
    // Probes the ports, shows the dialog, applies OK. NoPort: the fatal
    // message was shown and the program has to end.
    static Outcome run(ShellContext& context, const PortSource& source, bool atStart, QWidget* parent,
                       PortTestTiming timing = {});

private:
    void onOk();
    void onHelp();
    void onPorts();
    void refreshDevices();
    QWidget* baudGroup();
    QWidget* portGroup();
    QWidget* protocolGroup();

    CommDialogModel& model_;
    std::map<std::string, QRadioButton*> baud_;
    std::map<int, QRadioButton*> port_;
    std::map<int, QLabel*> device_;
    QRadioButton* protocol7E1_ = nullptr;
    QRadioButton* protocol8N1_ = nullptr;
    QCheckBox* dontShow_ = nullptr;
};

}  // namespace shell
