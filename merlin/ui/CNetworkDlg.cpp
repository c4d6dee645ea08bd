#include <merlin/ui/CNetworkDlg.h>

#include <merlin/ui/Notices.h>

#include <QDialogButtonBox>
#include <QInputDialog>
#include <QVBoxLayout>

namespace merlin::ui {

namespace {
constexpr int kNetworkColumnTwips[4] = {700, 1500, 2800, 2000};
constexpr int kNameColumn = 2;
}  // namespace

CNetworkDlg::CNetworkDlg(NetworkDialog& model, QWidget* parent) : QDialog(parent), model_(model)
{
    setObjectName("networkDialog");
    setWindowTitle(tr("Network"));
    auto* layout = new QVBoxLayout(this);
    grid_ = new Grid(this, NetworkDialog::kMinimumRows + 1, 4);
    for (int c = 0; c < 4; ++c)
        grid_->setColWidth(c, kNetworkColumnTwips[c]);
    grid_->setMinimumWidth(grid_->twipsToPixelsX(7300));
    layout->addWidget(grid_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CNetworkDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CNetworkDlg::reject);
    connect(grid_, &Grid::selChange, this, [this] { model_.Select(grid_->row() - 1); });
    connect(grid_, &QTableWidget::cellDoubleClicked, this, [this](int row, int col) {
        if (col != kNameColumn || row < 1)
            return;
        bool ok = false;
        const QString name = QInputDialog::getText(this, windowTitle(), tr("NAME"), QLineEdit::Normal,
                                                   grid_->textMatrix(row, kNameColumn), &ok);
        if (ok)
            rename(row, name);
    });
    fill();
}

bool CNetworkDlg::prepare()
{
    const auto notices = model_.Open();
    fill();
    showNotices(notices);
    return notices.empty();
}

void CNetworkDlg::fill()
{
    const auto rows = model_.rows();
    grid_->setRows(static_cast<int>(rows.size()) + 1);
    for (int c = 0; c < 4; ++c)
        grid_->setTextMatrix(0, c, QString::fromUtf8(NetworkDialog::kHeaders[c]));
    for (size_t r = 0; r < rows.size(); ++r)
        for (int c = 0; c < 4; ++c)
            grid_->setTextMatrix(static_cast<int>(r) + 1, c, QString::fromStdString(rows[r][c]));
}

void CNetworkDlg::selectRow(int gridRow)
{
    grid_->setRow(gridRow);
    model_.Select(gridRow - 1);
}

void CNetworkDlg::rename(int gridRow, const QString& name)
{
    showNotices(model_.Rename(gridRow - 1, name.toStdString()));
    fill();
}

void CNetworkDlg::accept()
{
    outcome_ = model_.Ok();
    showNotices(outcome_.notices);
    if (outcome_.close)
        QDialog::accept();
}

}  // namespace merlin::ui
