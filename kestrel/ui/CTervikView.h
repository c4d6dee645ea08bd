#pragma once
// The parameter list window: a thin form over a CTervikDoc. It shows the
// document's view (version, parameter set, status, group tabs, the grid with
// the group page and the selected row, the edit box over the VALUE cell, the
// limits, unit and prompt) and forwards clicks, keys and commands to it.
#include <kestrel/core/CTervikDoc.h>
#include <shell/CMdiChild.h>

#include <functional>

#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QTabBar;
class QTimer;

namespace shell {
class CMSHFlexGrid;
}

namespace kestrel {

class CTervikView : public shell::CMdiChild {
    Q_OBJECT
public:
    explicit CTervikView(std::unique_ptr<CTervikDoc> doc, QWidget* parent = nullptr);
    ~CTervikView() override;

    CTervikDoc& document() { return *doc_; }
    const CTervikDoc& document() const { return *doc_; }
    shell::CMSHFlexGrid* grid() const { return grid_; }

    // Shows the document's view again.
    void refresh();
    // After another operation rewrote the working file (Upload All): the
    // page shown is read again.
    void reload();

    bool onCommand(int id) override;
    std::optional<bool> commandEnabled(int id) const override;
    std::optional<std::string> commandText(int id) const override;
    std::optional<std::string> frameTitle() const override { return windowTitle().toStdString(); }

    // Whether the status scan is on (menu Settings, Status Scan Enable).
    void setScanSource(std::function<bool()> scanEnabled) { scanEnabled_ = std::move(scanEnabled); }
    // Where a file saved under a new name is remembered (recent files).
    void setRecentSink(std::function<void(const std::string& path)> sink) { recent_ = std::move(sink); }
    // Help, Parameter for the list's version.
    void setParameterHelp(std::function<void(const std::string& fileName)> help) { help_ = std::move(help); }

signals:
    // The window title changed (Save As, opening).
    void titleChanged(const QString& title);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Escape in an edit box drops the edit.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildForm();
    void fillGrid();
    void placeEditBox();
    void onTabChanged(int index);
    void onGridClick();
    void onGridKey(int key, int shift);
    void selectRow(int row, bool editRequested, const QString& typed = {});
    void onEdited(const QString& text);
    void onUpdate();
    void onStatusTimer();
    void showNotices(const std::vector<platform::Notice>& notices);
    QLineEdit* activeEdit() const;

    std::unique_ptr<CTervikDoc> doc_;
    shell::CMSHFlexGrid* grid_ = nullptr;
    QTabBar* tabs_ = nullptr;
    QLabel* version_ = nullptr;
    QLabel* parameterSet_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* groupTitle_ = nullptr;
    QLabel* maximum_ = nullptr;
    QLabel* maximumUnit_ = nullptr;
    QLabel* minimum_ = nullptr;
    QLabel* minimumUnit_ = nullptr;
    QLabel* prompt_ = nullptr;
    QLineEdit* decimalEdit_ = nullptr;
    QLineEdit* hexEdit_ = nullptr;
    QPushButton* update_ = nullptr;
    QTimer* statusTimer_ = nullptr;
    std::function<bool()> scanEnabled_;
    std::function<void(const std::string&)> help_;
    std::function<void(const std::string&)> recent_;
    bool filling_ = false;
    bool closing_ = false;
};

}  // namespace kestrel
