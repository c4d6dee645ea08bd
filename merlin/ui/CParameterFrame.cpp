#include <merlin/ui/CParameterFrame.h>

#include <merlin/core/CListExport.h>
#include <merlin/core/CustomList.h>
#include <merlin/core/MerlinState.h>
#include <merlin/core/NetworkDialog.h>
#include <merlin/ui/CCustomListDlg.h>
#include <merlin/ui/CFaultDlg.h>
#include <merlin/ui/CNetworkDlg.h>
#include <merlin/ui/MerlinCommands.h>
#include <merlin/ui/MerlinShell.h>
#include <merlin/ui/MerlinTools.h>
#include <merlin/ui/Notices.h>
#include <platform/FileDialog.h>
#include <shell/CMainFrame.h>

#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QVBoxLayout>

#include <algorithm>

namespace merlin::ui {

std::string askParameterFile(const std::string& directory)
{
    platform::FileDialogRequest request;
    request.directory = directory;
    request.filter = kParFilter;
    request.defaultExtension = kParExtension;
    return platform::askFile(request).value_or(std::string());
}

CParameterFrame::CParameterFrame(shell::CMainFrame& frame, std::unique_ptr<MerlinDocument> document, QWidget* parent)
    : shell::CMdiChild(parent), frame_(frame), document_(std::move(document))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    view_ = new CTervikView(*document_, shell().makeLink(), this);
    view_->setActiveCheck([this] { return isActiveChild(); });
    layout->addWidget(view_);
    connect(view_, &CTervikView::titleChanged, this, &CParameterFrame::titleChanged);
    connect(view_, &CTervikView::modifiedChanged, this, &CParameterFrame::titleChanged);
    titleChanged();
}

CParameterFrame::~CParameterFrame() = default;

void CParameterFrame::titleChanged()
{
    setWindowTitle(QString::fromStdString(view_->model().view().title) + "[*]");
    setWindowModified(document_->modified);
}

bool CParameterFrame::isActiveChild() const
{
    QMdiSubWindow* active = frame_.mdiArea()->activeSubWindow();
    return active != nullptr && active->widget() == this;
}

bool CParameterFrame::onCommand(int id)
{
    switch (id) {
    case cmd::FileSave: save(); return true;
    case cmd::FileSaveAs: saveAs(); return true;
    case cmd::FileClose: if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) sub->close(); else close(); return true;
    case cmd::ConvertTo: convertTo(); return true;
    case cmd::GoOnline: goOnline(); return true;
    case cmd::FaultHistory: faultHistory(); return true;
    case cmd::ActivateFilter: view_->model().ToggleFilter(); view_->render(); return true;
    case cmd::ModifyList: modifyList(); return true;
    case cmd::ExportText: exportText(); return true;
    case cmd::UploadAll: transfer(true); return true;
    case cmd::DownloadAll: transfer(false); return true;
    default: return false;
    }
}

std::optional<bool> CParameterFrame::commandEnabled(int id) const
{
    switch (id) {
    case cmd::FileSave:
    case cmd::FileSaveAs:
    case cmd::FileClose:
    case cmd::ConvertTo:
    case cmd::GoOnline:
    case cmd::ActivateFilter:
    case cmd::ModifyList:
    case cmd::ExportText:
    case cmd::UploadAll:
    case cmd::DownloadAll: return !state().transferBusy;
    // The faults are the drive's: only a view online with one reads them.
    case cmd::FaultHistory: return view_->model().online() && !state().transferBusy;
    default: return std::nullopt;
    }
}

std::optional<bool> CParameterFrame::commandChecked(int id) const
{
    if (id == cmd::ActivateFilter)
        return view_->model().view().filterActive;
    return std::nullopt;
}

bool CParameterFrame::save()
{
    return saved(document_->SaveOrAsk());
}

bool CParameterFrame::saveAs()
{
    return saved(document_->AskAndSaveAs());
}

bool CParameterFrame::saved(bool done)
{
    if (done)
        shell().addRecentFile(document_->path().string());
    view_->documentChanged();
    titleChanged();
    return done;
}

void CParameterFrame::convertTo()
{
    if (document_->ConvertTo()) {
        view_->documentChanged();
        titleChanged();
    }
}

void CParameterFrame::goOnline()
{
    const int station = view_->model().station();
    NetworkDialog model(state().devices, state().installDir, station > 0 ? station : 0, true);
    CNetworkDlg dialog(model, this);
    if (!dialog.prepare() || dialog.exec() != QDialog::Accepted)
        return;
    const int chosen = dialog.outcome().station;
    CDeviceTable& devices = state().devices;
    const auto notices = view_->model().GoOnline(
        chosen, {devices.deviceType(chosen), devices.application(chosen), devices.version(chosen), devices.name(chosen)});
    view_->render();
    view_->showNotices(notices);
    titleChanged();
}

void CParameterFrame::faultHistory()
{
    if (!view_->model().online())
        return;
    CFaultDlg dialog(document_->set(), view_->link(), view_->model().station(), this);
    dialog.exec();
}

void CParameterFrame::modifyList()
{
    CustomList list(document_->set());
    CCustomListDlg dialog(list, this);
    if (dialog.exec() == QDialog::Accepted)
        document_->modified = true;
    view_->documentChanged();
    titleChanged();
}

void CParameterFrame::exportText()
{
    const std::string base = document_->path().empty() ? state().installDir + "/" + document_->title() + ".par"
                                                       : document_->path().string();
    showNotices(CListExport::exportToText(document_->set(), base));
}

void CParameterFrame::transfer(bool upload)
{
    transferAll(frame_, *this, upload ? TransferDirection::Upload : TransferDirection::Download);
}

void CParameterFrame::closeEvent(QCloseEvent* event)
{
    const bool wasModified = document_->modified;
    if (!document_->QueryClose()) {
        event->ignore();
        return;
    }
    if (wasModified && !document_->modified)
        saved(true);
    event->accept();
}

namespace {

CParameterFrame* showDocument(shell::CMainFrame& frame, std::unique_ptr<MerlinDocument> document)
{
    auto* child = new CParameterFrame(frame, std::move(document));
    QMdiSubWindow* sub = frame.addChildWindow(child);
    const QSize room = frame.mdiArea()->size();
    sub->resize(std::min(980, room.width()), std::min(640, room.height()));
    sub->show();
    return child;
}

}  // namespace

CParameterFrame* newDocument(shell::CMainFrame& frame)
{
    auto document = std::make_unique<MerlinDocument>(state().installDir);
    document->set().SetTrace(nullptr);
    if (!document->CreateNew()) {
        state().selectedStation = 0;  // no view takes the drive
        return nullptr;
    }
    return showDocument(frame, std::move(document));
}

CParameterFrame* openDocument(shell::CMainFrame& frame, const std::string& path)
{
    auto document = std::make_unique<MerlinDocument>(state().installDir);
    document->set().SetTrace(nullptr);
    if (!document->Open(path))
        return nullptr;
    shell().addRecentFile(path);
    return showDocument(frame, std::move(document));
}

}  // namespace merlin::ui
