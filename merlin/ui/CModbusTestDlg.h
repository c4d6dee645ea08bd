#pragma once
// The "Modbus Test" tool window over ModbusTestTool, with its own link. Given
// the COM number of Tern's line, it also shows where that number leads and
// whether the device is there, as the communication dialog does.
#include <merlin/core/ModbusTestTool.h>

#include <QDialog>

#include <memory>

class QCheckBox;
class QLabel;
class QListWidget;
class QSpinBox;
class QTimer;

namespace merlin::ui {

class CModbusTestDlg : public QDialog {
    Q_OBJECT
public:
    CModbusTestDlg(std::unique_ptr<CModbusLink> link, int comPort = 0, QWidget* parent = nullptr);
    ~CModbusTestDlg() override;
    ModbusTestTool& tool() { return tool_; }
    void read();
    void write();
    QString resultText() const;
    QStringList values() const;

private:
    void takeEntries();
    void onTick();
    void render();

    std::unique_ptr<CModbusLink> link_;
    ModbusTestTool tool_;
    QSpinBox* station_;
    QSpinBox* address_;
    QSpinBox* count_;
    QSpinBox* value_;
    QCheckBox* polling_;
    QSpinBox* period_;
    QLabel* result_;
    QListWidget* list_;
    QTimer* timer_;
};

}  // namespace merlin::ui
