#pragma once
// The form of a parameter view: group tabs, the parameter grid, the details
// of the selected parameter with its entry, and the drive fields. It shows
// what ParameterView holds and forwards clicks, keys and the scan timer to
// it. The scan timer is stopped while a message box is open.
#include <merlin/core/CModbusLink.h>
#include <merlin/core/MerlinDocument.h>
#include <merlin/core/ParameterView.h>
#include <merlin/ui/Grid.h>

#include <QWidget>

#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabBar;
class QTimer;

namespace merlin::ui {

class CTervikView : public QWidget {
    Q_OBJECT
public:
    CTervikView(MerlinDocument& document, std::unique_ptr<CModbusLink> link, QWidget* parent = nullptr);
    ~CTervikView() override;

    ParameterView& model() { return *model_; }
    CModbusLink& link() { return *link_; }
    MerlinDocument& document() { return document_; }
    Grid* grid() const { return grid_; }
    QLineEdit* entry() const { return entry_; }
    QListWidget* choiceList() const { return choices_; }
    QPushButton* updateButton() const { return update_; }
    QTabBar* tabs() const { return tabs_; }
    QTimer* scanTimer() const { return timer_; }
    QString statusText() const;
    QString groupTitle() const;

    // Whether this is the view the user works in (the scan runs faster).
    void setActiveCheck(std::function<bool()> check) { activeCheck_ = std::move(check); }
    // Refills after the document changed (open, Convert To, custom list).
    void documentChanged();
    // Shows the notices with the scan stopped; the view is shown again.
    void showNotices(const std::vector<platform::Notice>& notices);
    // Double-click or Enter on a grid row (row from 1).
    void beginEdit(int gridRow);
    void confirmEntry();
    void render();

signals:
    void titleChanged(const QString& title);
    void modifiedChanged();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildForm();
    void onTick();
    void onGridMoved();

    MerlinDocument& document_;
    std::unique_ptr<CModbusLink> link_;
    std::unique_ptr<ParameterView> model_;
    std::function<bool()> activeCheck_;
    bool shown_ = false;
    bool rendering_ = false;
    QString lastTitle_;
    QTabBar* tabs_ = nullptr;
    QLineEdit* groupTitle_ = nullptr;
    Grid* grid_ = nullptr;
    QLineEdit* maximum_ = nullptr;
    QLineEdit* maximumUnit_ = nullptr;
    QLineEdit* minimum_ = nullptr;
    QLineEdit* minimumUnit_ = nullptr;
    QLineEdit* default_ = nullptr;
    QLabel* prompt_ = nullptr;
    QLineEdit* entry_ = nullptr;
    QListWidget* choices_ = nullptr;
    QPushButton* update_ = nullptr;
    QLineEdit* version_ = nullptr;
    QLineEdit* status_ = nullptr;
    QLineEdit* driveName_ = nullptr;
    QLineEdit* position_ = nullptr;
    QTimer* timer_ = nullptr;
};

}  // namespace merlin::ui
