#pragma once
// "Converter Test": one read or write telegram to a chosen address, once or
// cyclically, with the raw reply and the BREAK / FRAME indicators. The
// window shows CConverterTest's view and hands every button to it as a
// command. It ends its test (port closed, settings kept) when it is done,
// however it is closed, so nothing touches the line after the window.
#include <kestrel/core/CConverterTest.h>

#include <QDialog>

#include <map>

class QAbstractButton;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLayout;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;

namespace kestrel {

class CConverterTestDlg : public QDialog {
    Q_OBJECT
public:
    using Command = CConverterTest::Command;
    enum class Field { Device, Parameter, Value, TRts, TWait, TCycle };

    CConverterTestDlg(CTelegram& telegram, QWidget* parent = nullptr);
    const CConverterTest& model() const { return model_; }

    QAbstractButton* button(Command which) const { return buttons_.at(which); }
    QLineEdit* edit(Field which) const { return edits_.at(which); }
    QCheckBox* stopOnError() const { return stopOnError_; }
    QLabel* indicator(bool frame) const { return frame ? frame_ : break_; }
    QTimer* cycleTimer() const { return timer_; }

    void done(int result) override;

private:
    QLayout* buildFields();
    QLayout* buildModes();
    QLayout* buildReceive();
    QLayout* buildIndicators();
    QLayout* buildButtons();
    QPushButton* addButton(Command which, const QString& text);
    CConverterTest::Fields typedFields() const;
    void press(Command which);
    void onTick();
    void refresh();

    CConverterTest model_;
    QTimer* timer_ = nullptr;
    std::map<Command, QAbstractButton*> buttons_;
    std::map<Field, QLineEdit*> edits_;
    std::map<Field, QLabel*> labels_;
    QLineEdit* receive_ = nullptr;
    QCheckBox* stopOnError_ = nullptr;
    QLabel* break_ = nullptr;
    QLabel* frame_ = nullptr;
};

}  // namespace kestrel
