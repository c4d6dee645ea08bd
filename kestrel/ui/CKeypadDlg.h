#pragma once
// "Keypad Controls": the modeless window that runs one drive by hand. Its
// 100 ms poll shows the drive's state; a button pressed while another
// operation holds the line runs on the next tick; closing is decided by the
// next tick's close check (the drive must stand still).
#include <kestrel/core/CKeypadControl.h>

#include <QDialog>
#include <QElapsedTimer>

class QButtonGroup;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;

namespace kestrel {

class CKeypadDlg : public QDialog {
    Q_OBJECT
public:
    // For the current device address.
    CKeypadDlg(CTelegram& telegram, QWidget* parent = nullptr);
    ~CKeypadDlg() override;

    const CKeypadControl& model() const { return model_; }
    // The window is active for the poll (tests run without a focus).
    void setActiveOverride(bool active) { activeOverride_ = active ? 1 : 0; }

    // Buttons by their captions (tests and the demo press them).
    void press(const QString& caption);
    void typeSetpoint(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override { model_.RequestClose(); }

private:
    void build();
    void onTick();
    void refresh();
    void showNotices(const std::vector<platform::Notice>& notices);
    bool windowActive() const;
    void takeSetpoint();

    CKeypadControl model_;
    QTimer* timer_ = nullptr;
    QElapsedTimer tickStart_;
    bool opened_ = false;
    bool closing_ = false;
    int activeOverride_ = -1;
    QPushButton* fwd_ = nullptr;
    QPushButton* rev_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* reset_ = nullptr;
    QPushButton* inc_ = nullptr;
    QPushButton* dec_ = nullptr;
    QPushButton* download_ = nullptr;
    QRadioButton* standard_ = nullptr;
    QRadioButton* broadcast_ = nullptr;
    QRadioButton* initial_ = nullptr;
    QRadioButton* sio_ = nullptr;
    QLineEdit* p31_ = nullptr;
    QLineEdit* setpoint_ = nullptr;
    QLineEdit* status_ = nullptr;
};

}  // namespace kestrel
