#include <kestrel/ui/CWarmUpDlg.h>

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>

namespace kestrel {

CWarmUpDlg::CWarmUpDlg(const QString& title, QWidget* parent, int tickMs) : QDialog(parent)
{
    setObjectName("warmUpDialog");
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("Inverter warming up !"), this));
    layout->addWidget(new QLabel(tr("  Please Wait..."), this));
    auto* timer = new QTimer(this);
    auto ticks = std::make_shared<int>(0);
    connect(timer, &QTimer::timeout, this, [this, ticks] {
        if (++*ticks >= kTicks)
            accept();
    });
    timer->start(tickMs);
    setMinimumWidth(240);
}

}  // namespace kestrel
