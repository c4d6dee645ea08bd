#include <merlin/ui/CFailureListDlg.h>

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace merlin::ui {

CFailureListDlg::CFailureListDlg(const QString& title, const std::vector<TransferDialog::FailureRow>& rows,
                                 QWidget* parent)
    : QDialog(parent)
{
    setObjectName("transferFailures");
    setWindowTitle(title);
    auto* count = new QLabel(QString::asprintf("Errors: %d", static_cast<int>(rows.size())), this);
    count->setObjectName("failureCount");
    grid_ = new Grid(this, static_cast<int>(rows.size()) + 1, 2);
    grid_->setObjectName("failureGrid");
    grid_->setTextMatrix(0, 0, TransferDialog::kFailureColumns[0]);
    grid_->setTextMatrix(0, 1, TransferDialog::kFailureColumns[1]);
    grid_->setColWidth(0, 3000);
    grid_->setColWidth(1, 3200);
    for (size_t r = 0; r < rows.size(); ++r) {
        grid_->setTextMatrix(static_cast<int>(r) + 1, 0, QString::fromStdString(rows[r].parameter));
        grid_->setTextMatrix(static_cast<int>(r) + 1, 1, QString::fromStdString(rows[r].error));
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(count);
    layout->addWidget(grid_);
    layout->addWidget(buttons);
    resize(grid_->twipsToPixelsX(6600) + 40, 360);
}

}  // namespace merlin::ui
