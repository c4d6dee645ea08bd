#include <merlin/ui/MerlinProgram.h>

#include <merlin/core/CNetworkExamination.h>
#include <merlin/core/NetworkDialog.h>
#include <merlin/core/ReceiveLog.h>
#include <merlin/ui/CMerlinParamsDlg.h>
#include <merlin/ui/CBusMonitorDlg.h>
#include <merlin/ui/CModbusTestDlg.h>
#include <merlin/ui/CNetworkDlg.h>
#include <merlin/ui/CParameterFrame.h>
#include <merlin/ui/MerlinCommands.h>
#include <merlin/ui/MerlinTools.h>
#include <merlin/ui/Notices.h>
#include <shell/CMainFrame.h>
#include <shell/CProgressDlg.h>

#include <QDBusConnection>

namespace merlin {

namespace {

using shell::MenuEntry;
using shell::MenuLayout;
using shell::MenuPopup;

MenuEntry newEntry()
{
    return {cmd::FileNew, "&New Parameter List...\tCtrl+N", false,
            "Create a new parameter list based on a selected parameter definition file (DPF)\nNew Parameter List"};
}

MenuEntry openEntry()
{
    return {cmd::FileOpen, "&Open Parameter List...\tCtrl+O", false, "Open an existing parameter list\nOpen Parameter List"};
}

MenuEntry checkNetworkEntry()
{
    return {cmd::CheckNetwork, "&Check Network...", false, "Look for the inverters on the network\nCheck Network"};
}

MenuPopup optionsPopup()
{
    return {"&Options",
            {{cmd::SplashOnStart, "&Splash on start", true, "Show the start-up dialog when the program starts"},
             {cmd::CommOnStart, "&Communication on start", true,
              "Show the communication settings when the program starts"},
             {cmd::Debug, "&Debug", true, "Show hidden values and trace connections"},
             {cmd::ModbusTest, "Modbus", false, "Read and write registers of any station\nModbus Test"},
             {cmd::BusMonitor, "Bus Monitor", false, "Watch every frame on the line\nBus Monitor"},
             {},
             {cmd::HideOptions, "&Hide options menu", false, "Remove the Options menu until the next start"}}};
}

}  // namespace

MenuLayout merlinMainMenu()
{
    MenuLayout m;
    m.popups = {
        {"&File", {newEntry(), openEntry(), {}, {shell::kRecentFiles, "", false, ""}, shell::exitEntry()}},
        {"&Inverter",
         {checkNetworkEntry(),
          {cmd::OpenDeviceList, "&Open Parameter List...", false,
           "Select Device from the network\nInverter - Open Parameter List"},
          {cmd::Keypad, "&Keypad controls", false, "Run an inverter from the keypad\nKeypad controls"}}},
        shell::settingsPopup(),
        optionsPopup(),
        shell::helpPopup(),
    };
    m.optionsPopup = 3;
    return m;
}

MenuLayout merlinChildMenu()
{
    MenuLayout m;
    m.popups = {
        {"&File",
         {newEntry(),
          openEntry(),
          {cmd::FileClose, "&Close Parameter List", false, "Close the active parameter list"},
          {cmd::FileSave, "&Save \tCtrl+S", false, "Save the active parameter list to a file\nSave Parameter List"},
          {cmd::FileSaveAs, "Save &As...", false, "Save the active parameter list with a new name\nSave As"},
          {},
          {cmd::ConvertTo, "Convert To...", false, "Replace the definition of the active parameter list\nConvert To"},
          {cmd::CompareFile, "Compare with &File...", false, "Compare the active parameter list with a file"},
          {cmd::CompareDefaults, "Compare with Factory &defaults", false,
           "Compare the active parameter list with factory defaults"},
          {},
          {cmd::FilePrint, "&Print...\tCtrl+P", false, "Print parameter list\nPrint"},
          {cmd::FilePrintPreview, "Print Pre&view", false, "Show the pages of the parameter list\nPrint Preview"},
          {cmd::FilePrintSetup, "Print Setup...", false, "Choose the printer and its options\nPrint Setup"},
          {cmd::ExportText, "&Export to Textfile", false,
           "Export the active parameter list to a text file with the same name"},
          {},
          {shell::kRecentFiles, "", false, ""},
          shell::exitEntry()}},
        {"&Inverter",
         {checkNetworkEntry(),
          {cmd::GoOnline, "&Open Parameter List...", false,
           "Select Device from the network\nInverter - Open Parameter List"},
          {cmd::Keypad, "&Keypad Controls", false, "Run the inverter from the keypad\nKeypad Controls"},
          {},
          {cmd::DownloadAll, "&Download All", false, "Download values of all parameters to the inverter\nDownload All"},
          {cmd::UploadAll, "&Upload All", false, "Upload values of all parameters from the inverter\nUpload All"},
          {},
          {cmd::FaultHistory, "&Fault History", false, "Read the active faults and the fault history of the inverter\nFault History"}}},
        {"&Customer List",
         {{cmd::ActivateFilter, "&Activate Filter Settings", true, "Activate filter settings for parameter list"},
          {cmd::ModifyList, "&Modify List...", false, "Modify customer parameter list\nCustomize List"}}},
        shell::settingsPopup(),
        optionsPopup(),
        shell::windowPopup(),
        shell::helpPopup(),
    };
    m.optionsPopup = 4;
    return m;
}

namespace {

// After a drive was chosen from the main menu: its document.
void openChosenDrive(shell::CMainFrame& frame, const NetworkDialog::Outcome& outcome)
{
    if (outcome.newDocument)
        ui::newDocument(frame);
}

// The station the active document is online with, 0 when none: the network
// dialog then refuses renaming that drive and choosing it a second time.
int activeOnlineStation(shell::CMainFrame& frame)
{
    ui::CParameterFrame* child = ui::activeParameterFrame(frame);
    return child && child->view().model().online() ? child->view().model().station() : 0;
}

void runNetworkDialog(shell::CMainFrame& frame)
{
    NetworkDialog model(state().devices, state().installDir, activeOnlineStation(frame), false);
    ui::CNetworkDlg dialog(model, &frame);
    if (!dialog.prepare() || dialog.exec() != QDialog::Accepted)
        return;
    openChosenDrive(frame, dialog.outcome());
}

}  // namespace

void checkNetwork(shell::CMainFrame& frame)
{
    std::unique_ptr<CModbusLink> link = shell().makeLink();
    CNetworkExamination exam(*link, state().devices, state().installDir,
                             receiveLog(state().debug, state().installDir));
    shell::CProgressDlg progress("Examining Network....", &frame);
    progress.setRange(0, CDeviceTable::kStations - 1);
    frame.setPaneText(shell::CMainFrame::PaneMessage, CNetworkExamination::kStatusText);
    int end = kEndDone;
    exam.start();
    progress.setStepper([&] {
        const int result = exam.step();
        progress.setValue(exam.examined());
        if (result == 1)
            return shell::CProgressDlg::Step::Continue;
        end = result;
        return result == kEndDone ? shell::CProgressDlg::Step::Done : shell::CProgressDlg::Step::Failed;
    });
    progress.setInterval(2);  // one station per 2 ms tick
    if (progress.run() == shell::CProgressDlg::Stopped)
        end = kEndAborted;
    const auto notices = exam.finish(end == kEndAborted ? kEndDone : end);
    frame.setPaneText(shell::CMainFrame::PaneMessage, CNetworkExamination::kReadyText);
    ui::showNotices(notices);
    if (end != kEndDone && end != kEndAborted)
        return;
    runNetworkDialog(frame);
}

void openDeviceList(shell::CMainFrame& frame)
{
    runNetworkDialog(frame);
}

void installMerlinCommands(shell::CMainFrame& frame)
{
    frame.setCommandHandler(cmd::FileNew, [&frame] { ui::newDocument(frame); });
    frame.setCommandHandler(cmd::FileOpen, [&frame] {
        const std::string path = ui::askParameterFile(state().installDir + "/parameter");
        if (!path.empty())
            ui::openDocument(frame, path);
    });
    frame.setRecentFileHandler([&frame](const std::string& path) { ui::openDocument(frame, path); });
    frame.setCommandHandler(cmd::CheckNetwork, [&frame] { checkNetwork(frame); });
    frame.setCommandHandler(cmd::OpenDeviceList, [&frame] { openDeviceList(frame); });
    frame.setCommandHandler(cmd::ModbusTest, [&frame] {
        ui::CModbusTestDlg dialog(shell().makeLink(), state().link.comPort, &frame);
        dialog.exec();
    });
    frame.setCommandHandler(cmd::BusMonitor, [&frame] {
        // Beside the other windows, so the traffic they cause can be watched.
        auto* dialog = new ui::CBusMonitorDlg(ui::makeMonitorSource(), &frame);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->show();
    });
    frame.setCommandHandler(cmd::ProgramParameters, [&frame] { ui::CMerlinParamsDlg::run(state().link, &frame); });
    frame.setCommandHandler(cmd::CompareFile, [&frame] { ui::compareWithFile(frame); });
    frame.setCommandHandler(cmd::CompareDefaults, [&frame] { ui::compareWithDefaults(frame); });
    frame.setCommandHandler(cmd::FilePrint, [&frame] { ui::printList(frame); });
    frame.setCommandHandler(cmd::FilePrintPreview, [&frame] { ui::printPreview(frame); });
    frame.setCommandHandler(cmd::FilePrintSetup, [&frame] { ui::printSetup(frame); });
    frame.setCommandHandler(cmd::Keypad, [&frame] { ui::openKeypad(frame); });
    frame.setCommandHandler(cmd::Debug, [] { state().debug = !state().debug; });
    frame.setCommandCheck(cmd::Debug, [] { return state().debug; });
}

shell::ProgramDescription merlinProgram(MerlinOptions options)
{
    if (options.linkFactory)
        shell().linkFactory = options.linkFactory;
    shell::ProgramDescription p;
    p.programName = "Merlin";
    p.mainMenu = merlinMainMenu();
    p.childMenu = merlinChildMenu();
    p.toolbar = {
        {cmd::FileNew, QStyle::SP_FileIcon},           {cmd::FileOpen, QStyle::SP_DialogOpenButton},
        {cmd::FileSave, QStyle::SP_DialogSaveButton},  {},
        {cmd::CheckNetwork, QStyle::SP_BrowserReload}, {cmd::OpenDeviceList, QStyle::SP_ComputerIcon},
        {cmd::GoOnline, QStyle::SP_ComputerIcon},      {},
        {cmd::Communication, QStyle::SP_DriveNetIcon}, {},
        {cmd::HelpParameter, QStyle::SP_DialogHelpButton}, {cmd::AppAbout, QStyle::SP_MessageBoxInformation},
    };
    auto reachable = options.busReachable;
    if (!reachable)
        reachable = [] { return QDBusConnection::sessionBus().isConnected(); };
    p.startupCheck = [reachable]() -> std::string {
        return reachable() ? std::string() : std::string(text::kOleInitFailed) + "\n" + text::kNoSessionBus;
    };
    p.cleanLeftovers = false;
    p.installCommands = installMerlinCommands;
    return p;
}

}  // namespace merlin
