#pragma once
// "Converter Test": one read or write telegram to a chosen address, once or
// cyclically, with the raw reply and the BREAK / FRAME indicators.
#include <kestrel/core/CConverterTest.h>

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;

namespace kestrel {

class CConverterTestDlg : public QDialog {
    Q_OBJECT
public:
    CConverterTestDlg(CTelegram& telegram, QWidget* parent = nullptr);
    const CConverterTest& model() const { return model_; }

    // Controls by their captions (tests).
    void setField(const QString& name, const QString& text);
    void press(const QString& caption);

protected:
    void reject() override { press("End"); }

private:
    bool takeFields();
    void refresh();
    void onTick();

    CConverterTest model_;
    QTimer* timer_ = nullptr;
    QLineEdit* device_ = nullptr;
    QLineEdit* parameter_ = nullptr;
    QLineEdit* value_ = nullptr;
    QLineEdit* receive_ = nullptr;
    QLineEdit* tRts_ = nullptr;
    QLineEdit* tWait_ = nullptr;
    QLineEdit* tCycle_ = nullptr;
    QCheckBox* stopOnError_ = nullptr;
    QRadioButton* read_ = nullptr;
    QRadioButton* write_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* oneShot_ = nullptr;
    QLabel* break_ = nullptr;
    QLabel* frame_ = nullptr;
};

}  // namespace kestrel
