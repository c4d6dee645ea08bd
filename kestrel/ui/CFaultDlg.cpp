#include <kestrel/ui/CFaultDlg.h>

#include <kestrel/ui/GridFit.h>
#include <shell/CMSHFlexGrid.h>
#include <platform/Notice.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QLabel>
#include <QVBoxLayout>

namespace kestrel {

CFaultDlg::CFaultDlg(const FaultHistoryModel::View& view, QWidget* parent) : QDialog(parent)
{
    setObjectName("faultDialog");
    setWindowTitle(QString::fromStdString(view.title));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr(FaultHistoryModel::kIntroText), this));
    grid_ = new shell::CMSHFlexGrid(this, 6, 4);
    grid_->setObjectName("grid1076");
    for (int c = 0; c < 4; ++c) {
        grid_->setColWidth(c, FaultHistoryModel::kColumnWidths[static_cast<size_t>(c)]);
        grid_->setColAlignment(c, FaultHistoryModel::kAlignments[static_cast<size_t>(c)]);
        grid_->setTextMatrix(0, c, QString::fromStdString(view.header[static_cast<size_t>(c)]));
        for (int r = 0; r < 5; ++r)
            grid_->setTextMatrix(r + 1, c,
                                 QString::fromStdString(view.rows[static_cast<size_t>(r)][static_cast<size_t>(c)]));
    }
    grid_->setMinimumWidth(fitColumns(*grid_));
    layout->addWidget(grid_);
    auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    ok->button(QDialogButtonBox::Ok)->setObjectName("okButton");
    connect(ok, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(ok);
    resize(grid_->minimumWidth() + 24, 280);
}

void runFaultHistory(CTelegram& telegram, const std::string& address, QWidget* parent,
                     const std::function<void(const QString&)>& status)
{
    FaultHistoryModel model(telegram, address);
    const auto begin = model.Start();
    platform::show(begin.notice);
    if (!begin.goOn)
        return;
    status(QString::fromStdString(model.view().statusPane));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    model.Collect();
    QApplication::restoreOverrideCursor();
    status(QString::fromStdString(model.view().statusPane));
    CFaultDlg dlg(model.view(), parent);
    dlg.exec();
}

}  // namespace kestrel
