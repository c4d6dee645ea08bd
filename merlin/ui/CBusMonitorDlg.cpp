#include <merlin/ui/CBusMonitorDlg.h>

#include <merlin/ui/TernMonitorSource.h>

#include <platform/FileDialog.h>

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace merlin::ui {

namespace {

MonitorSourceFactory& factory()
{
    static MonitorSourceFactory f;
    return f;
}

const QStringList kColumns{"Time (s)", "Gap (ms)", "Dir", "Station", "Function", "Data", "Meaning"};

}  // namespace

MonitorSourceFactory setMonitorSourceFactory(MonitorSourceFactory f)
{
    std::swap(factory(), f);
    return f;
}

std::unique_ptr<MonitorSource> makeMonitorSource()
{
    if (factory()) return factory()();
    return std::make_unique<TernMonitorSource>();
}

CBusMonitorDlg::CBusMonitorDlg(std::unique_ptr<MonitorSource> source, QWidget* parent)
    : QDialog(parent), source_(std::move(source)), monitor_(*source_)
{
    setObjectName("busMonitorDialog");
    setWindowTitle("Bus Monitor");
    table_ = new QTableWidget(0, kColumns.size(), this);
    table_->setObjectName("frames");
    table_->setHorizontalHeaderLabels(kColumns);
    table_->verticalHeader()->setVisible(false);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->horizontalHeader()->setStretchLastSection(true);
    int column = 0;
    for (int width : {90, 70, 40, 60, 200, 200}) table_->setColumnWidth(column++, width);
    pause_ = new QCheckBox("&Pause", this);
    pause_->setObjectName("pause");
    station_ = new QSpinBox(this);
    station_->setObjectName("station");
    station_->setRange(-1, 247);
    station_->setSpecialValueText("All");
    station_->setValue(-1);
    auto* save = new QPushButton("&Save Capture...", this);
    save->setObjectName("saveCapture");
    auto* close = new QPushButton("Close", this);
    status_ = new QLabel(this);
    status_->setObjectName("status");

    auto* controls = new QHBoxLayout;
    controls->addWidget(pause_);
    controls->addWidget(new QLabel("Station:", this));
    controls->addWidget(station_);
    controls->addStretch();
    controls->addWidget(save);
    controls->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(table_);
    layout->addWidget(status_);
    resize(860, 480);

    connect(pause_, &QCheckBox::toggled, this, [this](bool on) { monitor_.setPaused(on); render(); });
    connect(station_, &QSpinBox::valueChanged, this, [this](int s) { monitor_.setStationFilter(s); render(); });
    connect(save, &QPushButton::clicked, this, &CBusMonitorDlg::saveCapture);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, &CBusMonitorDlg::onTick);
    timer_->start(kTickMs);
    onTick();
}

CBusMonitorDlg::~CBusMonitorDlg() = default;

void CBusMonitorDlg::onTick()
{
    monitor_.tick();
    render();
}

void CBusMonitorDlg::render()
{
    const auto& v = monitor_.view();
    QString status = v.paused ? "Paused" : "Live";
    if (!v.serverAnswers) status += " - the link server does not answer";
    if (v.lost) status += QString(" - %1 frames lost").arg(v.lost);
    status_->setText(status);
    if (v.rowsChanged == shownChange_) return;
    shownChange_ = v.rowsChanged;
    table_->setRowCount(static_cast<int>(v.rows.size()));
    for (int r = 0; r < static_cast<int>(v.rows.size()); ++r) {
        const MonitorRow& row = v.rows[static_cast<size_t>(r)];
        const std::string cells[] = {row.time, row.gap, row.direction, row.station, row.function, row.data, row.meaning};
        for (int c = 0; c < kColumns.size(); ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(cells[c]));
            if (row.error) item->setForeground(QColor(190, 0, 0));
            table_->setItem(r, c, item);
        }
    }
    if (!v.paused) table_->scrollToBottom();
}

void CBusMonitorDlg::saveCapture()
{
    platform::FileDialogRequest request;
    request.save = true;
    request.title = "Save Capture";
    request.fileName = "bus.pcapng";
    request.filter = "Captures (*.pcapng)|*.pcapng||";
    request.defaultExtension = "pcapng";
    const auto path = platform::askFile(request);
    const platform::Notice notice = monitor_.saveCapture(path.value_or(""));
    if (!notice.text.empty()) platform::show(notice);
}

}  // namespace merlin::ui
