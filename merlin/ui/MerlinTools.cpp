#include <merlin/ui/MerlinTools.h>

#include <merlin/core/CompareDialog.h>
#include <merlin/core/MerlinState.h>
#include <merlin/core/NetworkDialog.h>
#include <merlin/core/ReceiveLog.h>
#include <merlin/core/TransferDialog.h>
#include <merlin/ui/CCompareDlg.h>
#include <merlin/ui/CFailureListDlg.h>
#include <merlin/ui/CKeypadDlg.h>
#include <merlin/ui/CNetworkDlg.h>
#include <merlin/ui/CParameterFrame.h>
#include <merlin/ui/CPasswordDlg.h>
#include <merlin/ui/ListPrinter.h>
#include <merlin/ui/MerlinShell.h>
#include <merlin/ui/Notices.h>
#include <shell/CMainFrame.h>
#include <shell/CProgressDlg.h>

#include <QBoxLayout>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

namespace merlin::ui {

CParameterFrame* activeParameterFrame(shell::CMainFrame& frame)
{
    QMdiSubWindow* sub = frame.mdiArea()->activeSubWindow();
    return sub ? qobject_cast<CParameterFrame*>(sub->widget()) : nullptr;
}

namespace {

shell::CProgressDlg::Step progressStep(TransferDialog::Step step, bool completed)
{
    switch (step) {
    case TransferDialog::Step::Continue: return shell::CProgressDlg::Step::Continue;
    case TransferDialog::Step::AskPassword: return shell::CProgressDlg::Step::Ask;
    case TransferDialog::Step::Done: break;
    }
    return completed ? shell::CProgressDlg::Step::Done : shell::CProgressDlg::Step::Failed;
}

// Runs the "Uploading..." dialog to its end.
void runTransferDialog(shell::CMainFrame& frame, TransferDialog& model)
{
    shell::CProgressDlg progress(QString::fromStdString(model.view().title), &frame);
    auto* errors = new QLabel(&progress);
    errors->setObjectName("errorCount");
    if (auto* layout = qobject_cast<QBoxLayout*>(progress.layout()))
        layout->insertWidget(1, errors);
    progress.showElapsed(true);
    progress.setInterval(TransferDialog::kTickMs);

    QElapsedTimer clock;
    clock.start();
    const auto now = [&clock] { return static_cast<uint32_t>(clock.elapsed()); };
    const auto show = [&] {
        const TransferDialog::View& v = model.view();
        progress.setRange(0, v.barMaximum);
        progress.setValue(v.barValue);
        progress.setStatus(QString::fromStdString(v.progress));
        errors->setText(QString::fromStdString(v.errors));
    };
    model.Start(now());
    show();
    progress.setStepper([&] {
        const TransferDialog::Step step = model.Tick(now());
        show();
        return progressStep(step, model.completed());
    });
    progress.setQuestionHandler([&] {
        const std::optional<uint16_t> password = CPasswordDlg::ask(&progress);
        model.AnswerPassword(password, now());
        show();
        return password.has_value();
    });
    progress.setStopHandler([&model] { model.Stop(); });
    progress.run();
    // Closed from outside (the program ends): the transfer stops here, with
    // no exchange left half done.
    if (!model.ended()) {
        model.Stop();
        model.Tick(now());
    }
}

}  // namespace

void transferAll(shell::CMainFrame& frame, CParameterFrame& window, TransferDirection direction)
{
    if (state().transferBusy)
        return;
    CParameterFrame* child = &window;
    QPointer<CParameterFrame> guard(child);
    if (direction == TransferDirection::Download) {
        if (const auto refusal = child->document().RefuseDownload()) {
            showNotices({*refusal});
            return;
        }
    }
    if (!child->view().model().online()) {
        child->goOnline();
        if (!guard || !child->view().model().online())
            return;
    }
    std::vector<TransferDialog::FailureRow> failures;
    {
        BusyScope busy;
        TransferDialog model(direction, child->view().link(), child->view().model().station(),
                             child->document().set(),
                             receiveLog(state().debug, state().installDir));
        runTransferDialog(frame, model);
        showNotices(model.Finish());
        frame.setPaneText(shell::CMainFrame::PaneMessage, "Ready");
        const bool whole =
            guard && direction == TransferDirection::Upload && child->document().UploadEnded(model.everyValueRead());
        if (guard && (model.documentChanged() || whole)) {
            child->document().modified = true;
            child->view().documentChanged();
            emit child->view().modifiedChanged();
        }
        failures = model.failureRows();
    }
    if (!failures.empty()) {
        CFailureListDlg list(QString::fromStdString(TransferDialog::kFailureTitle), failures, &frame);
        list.exec();
    }
}

namespace {

void showCompare(shell::CMainFrame& frame, CompareDialog& model)
{
    CCompareDlg dialog(model, &frame);
    dialog.exec();
}

}  // namespace

void compareWithFile(shell::CMainFrame& frame)
{
    CParameterFrame* child = activeParameterFrame(frame);
    if (!child)
        return;
    const std::optional<std::string> chosen = CCompare::askFile(state().installDir);
    if (!chosen)
        return;
    BusyScope busy;
    CompareDialog model(child->document().set());
    showNotices(model.CompareWithFile(*chosen, child->document().path().string()));
    if (model.ready())
        showCompare(frame, model);
}

void compareWithDefaults(shell::CMainFrame& frame)
{
    CParameterFrame* child = activeParameterFrame(frame);
    if (!child)
        return;
    BusyScope busy;
    CompareDialog model(child->document().set());
    model.CompareWithFactoryDefaults();
    showCompare(frame, model);
}

void printList(shell::CMainFrame& frame)
{
    if (CParameterFrame* child = activeParameterFrame(frame))
        ListPrinter::print(ListPrintJob(child->document().set(), child->document().title()), &frame);
}

void printPreview(shell::CMainFrame& frame)
{
    if (CParameterFrame* child = activeParameterFrame(frame))
        ListPrinter::preview(ListPrintJob(child->document().set(), child->document().title()), &frame);
}

void printSetup(shell::CMainFrame& frame)
{
    ListPrinter::setup(&frame);
}

namespace {

// The network dialog as a chooser: the drive picked, 0 when none (nothing
// found, or Cancel). No document is made for it.
int pickStation(shell::CMainFrame& frame)
{
    NetworkDialog model(state().devices, state().installDir, 0, true);
    CNetworkDlg dialog(model, &frame);
    if (!dialog.prepare() || dialog.exec() != QDialog::Accepted)
        return 0;
    return dialog.outcome().station;
}

}  // namespace

void openKeypad(shell::CMainFrame& frame)
{
    if (auto* open = frame.findChild<CKeypadDlg*>()) {
        open->raise();
        open->activateWindow();
        return;
    }
    CParameterFrame* child = activeParameterFrame(frame);
    int station = child && child->view().model().online() ? child->view().model().station() : 0;
    if (station <= 0)
        station = pickStation(frame);
    if (station <= 0)
        return;
    auto* keypad = new CKeypadDlg(shell().makeLink(), station, &frame);
    keypad->setAttribute(Qt::WA_DeleteOnClose);
    keypad->show();
}

}  // namespace merlin::ui
