#include <kestrel/ui/KestrelOnline.h>

#include <kestrel/core/CDeviceTable.h>
#include <kestrel/core/CKeypadControl.h>
#include <kestrel/core/ExaminationModel.h>
#include <kestrel/core/KestrelState.h>
#include <kestrel/core/TelegramLink.h>
#include <kestrel/ui/CTervikView.h>
#include <kestrel/ui/CommandIds.h>
#include <kestrel/ui/ListWindows.h>
#include <kestrel/ui/KestrelShell.h>
#include <kestrel/ui/CConverterTestDlg.h>
#include <kestrel/ui/CExamDlg.h>
#include <kestrel/ui/CFaultDlg.h>
#include <kestrel/ui/CKeypadDlg.h>
#include <kestrel/ui/CNetworkDlg.h>
#include <kestrel/ui/CParamSetDlg.h>
#include <kestrel/ui/CTransferDlg.h>
#include <kestrel/ui/CWarmUpDlg.h>
#include <platform/Notice.h>
#include <shell/CMainFrame.h>

namespace kestrel {

KestrelOnline::KestrelOnline(CTelegram& telegram, QWidget* parent, std::function<void(const QString&)> status)
    : QObject(parent), telegram_(telegram), parent_(parent), status_(std::move(status))
{
    if (!status_)
        status_ = [](const QString&) {};
}

namespace {

// The line of one online list window, living as long as the window.
class LinkHolder : public QObject {
public:
    LinkHolder(CTelegram& telegram, std::string address, QObject* parent)
        : QObject(parent), link(telegram, std::move(address))
    {
    }
    TelegramLink link;
};

}  // namespace

TransferList KestrelOnline::transferListOf(const CTervikDoc& doc)
{
    const std::string title = doc.address().empty() ? std::string() : DeviceTitle(doc.address()).title;
    return {doc.workPath(), doc.databaseFileName(), doc.address(), title, doc.listTitle()};
}

void KestrelOnline::attach(CTervikView& view)
{
    CTervikDoc& doc = view.document();
    if (doc.address().empty())
        return;
    auto* holder = new LinkHolder(telegram_, doc.address(), &view);
    OnlineSide side;
    side.link = &holder->link;
    side.telegram = &telegram_;
    side.uploadAll = [this, &doc] { return uploadAll(transferListOf(doc)); };
    side.uploadChanges = [this, &doc] {
        return uploadAll(transferListOf(doc), BulkTransferFlow::Confirmation::Given);
    };
    side.downloadAll = [this, &doc] { return downloadAll(transferListOf(doc)); };
    doc.setOnlineSide(std::move(side));
}

KestrelOnline* KestrelOnline::of(shell::CMainFrame& frame)
{
    auto* online = frame.findChild<KestrelOnline*>("kestrelOnline", Qt::FindDirectChildrenOnly);
    if (online == nullptr && shell().telegram != nullptr) {
        online = new KestrelOnline(*shell().telegram, &frame, [&frame](const QString& text) {
            frame.setPaneText(shell::CMainFrame::PaneMessage, text);
        });
        online->setObjectName("kestrelOnline");
        online->setListOpener([&frame, online](const TransferJob& list) {
            const KestrelState& s = state();
            ListOpening opening;
            opening.kind = ListKind::Online;
            opening.workPath = list.listFile;
            opening.databaseFileName = list.databaseFileName;
            opening.address = s.currentAddress;
            CDeviceTable table;
            (void)table.load(CDeviceTable::defaultPath());  // a missing file leaves the names empty
            opening.deviceName = table.name(std::atoi(s.currentAddress.c_str()) & 31);
            if (CTervikView* view = showListWindow(frame, opening))
                online->attach(*view);
        });
    }
    return online;
}

void installOnlineCommands(shell::CMainFrame& frame)
{
    auto on = [&frame](void (KestrelOnline::*command)()) {
        return [&frame, command] {
            if (KestrelOnline* o = KestrelOnline::of(frame))
                (o->*command)();
        };
    };
    frame.setCommandHandler(cmd::CheckNetwork, on(&KestrelOnline::checkNetwork));
    frame.setCommandHandler(cmd::OpenDeviceList, on(&KestrelOnline::openDeviceList));
    frame.setCommandHandler(cmd::ConverterTest, on(&KestrelOnline::converterTest));
    // Keypad Controls goes to the active list's drive, or picks one.
    frame.setCommandHandler(cmd::Keypad, [&frame] {
        CTervikView* view = activeListView(frame);
        if (KestrelOnline* o = KestrelOnline::of(frame))
            o->keypad(view ? view->document().address() : std::string());
    });
    auto onList = [&frame](std::function<void(KestrelOnline&, CTervikView&)> act) {
        return [&frame, act] {
            KestrelOnline* o = KestrelOnline::of(frame);
            CTervikView* view = activeListView(frame);
            if (o && view)
                act(*o, *view);
        };
    };
    frame.setCommandHandler(cmd::UploadAll, onList([](KestrelOnline& o, CTervikView& v) {
        if (o.uploadAll(KestrelOnline::transferListOf(v.document())))
            v.document().refill();
        v.refresh();
    }));
    frame.setCommandHandler(cmd::DownloadAll, onList([](KestrelOnline& o, CTervikView& v) {
        o.downloadAll(KestrelOnline::transferListOf(v.document()));
    }));
    frame.setCommandHandler(cmd::FaultHistory, onList([](KestrelOnline& o, CTervikView& v) {
        o.faultHistory(v.document().address());
    }));
}

void KestrelOnline::checkNetwork()
{
    if (auto n = ExaminationModel::PortTestNotice()) {
        platform::show(*n);
        return;
    }
    CExamDlg exam(telegram_, parent_);
    connect(&exam, &CExamDlg::statusText, this, [this](const QString& t) { status_(t); });
    exam.exec();
    for (const auto& n : exam.model().notices())
        platform::show(n);
    if (exam.model().openNetworkDialog())
        networkDialog();
}

void KestrelOnline::openDeviceList()
{
    if (auto n = ExaminationModel::PortTestNotice()) {
        platform::show(*n);
        return;
    }
    networkDialog();
}

void KestrelOnline::networkDialog()
{
    CNetworkDlg dlg(telegram_, false, parent_);
    connect(&dlg, &CNetworkDlg::statusText, this, [this](const QString& t) { status_(t); });
    // The upload and the new list window come while the dialog is still up.
    dlg.setConnectionRunner([this](int next, TransferJob job) { connectTo(next, std::move(job)); });
    dlg.exec();
}

void KestrelOnline::connectTo(int next, TransferJob job)
{
    switch (next) {
    case ConnectPlan::OpenList: opened(job); break;
    case ConnectPlan::UploadValues:
        runTransferDialog(telegram_, TransferModel::Mode::Upload, job, parent_);
        opened(job);
        break;
    case ConnectPlan::UploadDatabase: {
        runTransferDialog(telegram_, TransferModel::Mode::Database, job, parent_);
        const ConnectPlan list = ListAfterDatabaseUpload();
        if (list.next == ConnectPlan::OpenList)
            opened(list.job);
        break;
    }
    default: break;
    }
    status_("Ready");
}

void KestrelOnline::opened(const TransferJob& job)
{
    if (job.usableList().empty() || !openList_)
        return;
    // The device document takes its title from "netlist.cfg"; without the
    // file the user is told before the window opens.
    if (auto missing = DeviceTitle(state().currentAddress).notice)
        platform::show(*missing);
    openList_(job);
}

std::string KestrelOnline::pickTarget()
{
    CNetworkDlg dlg(telegram_, true, parent_);
    if (dlg.exec() != QDialog::Accepted)
        return {};
    return dlg.connectResult().address;
}

bool KestrelOnline::runFlow(const TransferList& list, BulkTransferFlow::Direction direction,
                            BulkTransferFlow::Confirmation confirmation)
{
    using Step = BulkTransferFlow::Step;
    BulkTransferFlow flow(telegram_, list, direction, confirmation);
    for (;;) {
        const Step step = flow.Next();
        switch (step.kind) {
        case Step::ShowNotice: platform::show(step.notice); break;
        case Step::AskYesNo:
            flow.Answer(platform::showMessage(step.notice.text, step.notice.icon, platform::MsgButtons::YesNo)
                        == platform::MsgAnswer::Yes);
            break;
        case Step::ChooseSet: flow.ChooseSet(askParameterSet(flow.setConflictText(), flow.listSet(), parent_)); break;
        case Step::SelectTarget: {
            const std::string a = pickTarget();
            flow.TargetChosen(a, state().deviceTitle);
            break;
        }
        case Step::WarmUp: CWarmUpDlg::run(tr("Parameter Set Changed"), parent_); break;
        case Step::RunTransfer: {
            const auto mode = direction == BulkTransferFlow::Direction::Upload ? TransferModel::Mode::Upload
                                                                               : TransferModel::Mode::Download;
            CTransferDlg dlg(telegram_, mode, flow.job(), parent_);
            connect(&dlg, &CTransferDlg::statusText, this, [this](const QString& t) { status_(t); });
            dlg.exec();
            flow.TransferEnded(dlg.model().result());
            break;
        }
        case Step::Done: status_("Ready"); return flow.listChanged();
        }
    }
}

bool KestrelOnline::uploadAll(const TransferList& list, BulkTransferFlow::Confirmation confirmation)
{
    return runFlow(list, BulkTransferFlow::Direction::Upload, confirmation);
}

bool KestrelOnline::downloadAll(const TransferList& list)
{
    return runFlow(list, BulkTransferFlow::Direction::Download);
}

void KestrelOnline::keypad(const std::string& listAddress)
{
    // Like every online command: no drive is picked on a port that leads
    // to another kind of device.
    if (auto n = ExaminationModel::PortTestNotice()) {
        platform::show(*n);
        return;
    }
    std::string address = listAddress;
    if (address.empty()) {
        address = pickTarget();
        if (address.empty())
            return;
    }
    if (auto n = CKeypadControl::OpenCheck(address)) {
        platform::show(*n);
        return;
    }
    KestrelState& s = state();
    s.currentAddress = address;
    s.deviceTitle = DeviceTitle(address).title;
    auto* dlg = new CKeypadDlg(telegram_, parent_);
    dlg->show();
}

void KestrelOnline::faultHistory(const std::string& address)
{
    runFaultHistory(telegram_, address, parent_, status_);
}

void KestrelOnline::converterTest()
{
    CConverterTestDlg dlg(telegram_, parent_);
    dlg.exec();
}

}  // namespace kestrel
