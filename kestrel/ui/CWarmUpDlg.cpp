#include <kestrel/ui/CWarmUpDlg.h>

#include <plumage/plumage.h>

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace kestrel {

namespace {
int tickMs = 1000;
}

void CWarmUpDlg::setTickMs(int ms) { tickMs = ms; }

CWarmUpDlg::CWarmUpDlg(const QString& title, QWidget* parent) : QDialog(parent)
{
    setObjectName("warmUpNotice");
    setWindowTitle(title.isEmpty() ? QString::fromStdString(getCompanyName()) : title);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Inverter warming up !"));
    layout->addWidget(new QLabel("  Please Wait..."));
    setMinimumWidth(240);
    timer_ = new QTimer(this);
    timer_->setInterval(tickMs);
    connect(timer_, &QTimer::timeout, this, [this] {
        if (++ticks_ >= kTicks) accept();
    });
    timer_->start();
}

void CWarmUpDlg::run(const QString& title, QWidget* parent)
{
    CWarmUpDlg dlg(title, parent);
    dlg.exec();
}

}  // namespace kestrel
