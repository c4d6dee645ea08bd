#include <kestrel/ui/CProgramParamsDlg.h>
#include <kestrel/ui/CommandIds.h>
#include <kestrel/ui/KestrelOnline.h>
#include <kestrel/ui/KestrelProgram.h>
#include <kestrel/ui/KestrelShell.h>
#include <kestrel/ui/ListFileCommands.h>
#include <kestrel/ui/ListWindows.h>

#include <kestrel/core/CTelegram.h>
#include <kestrel/core/ListFile.h>
#include <shell/CMainFrame.h>
#include <shell/InstallLocator.h>

#include <string_view>

namespace kestrel {

static_assert(std::string_view(shell::kCurrentVersion) == kPcVersion,
              "the installation key and the file headers carry one version");

namespace {

using shell::MenuEntry;
using shell::MenuLayout;
using shell::MenuPopup;

// The telegram object held by the frame; the shell context points at it
// while it lives.
class TelegramLine : public shell::LineObject {
public:
    explicit TelegramLine(std::unique_ptr<CTelegram> telegram) : telegram_(std::move(telegram))
    {
        shell().telegram = telegram_.get();
    }
    ~TelegramLine() override
    {
        if (shell().telegram == telegram_.get()) shell().telegram = nullptr;
    }

private:
    std::unique_ptr<CTelegram> telegram_;
};

MenuEntry openListEntry()
{
    return {cmd::FileOpen, "&Open Parameter List...\tCtrl+O", false, "Open an existing parameter list\nOpen Parameter List"};
}

MenuEntry checkNetworkEntry()
{
    return {cmd::CheckNetwork, "&Check Network...", false, "Look for the inverters on the network\nCheck Network"};
}

MenuEntry customEntry(int id, const char* text, const char* prompt) { return {id, text, false, prompt}; }

std::vector<MenuEntry> customListEntries()
{
    return {customEntry(cmd::CreateList, "&Create List", "Create a new customer list\nCreate List"),
            customEntry(cmd::ModifyList, "&Modify List", "Modify an existing customer list\nModify List"),
            customEntry(cmd::ProgramList, "&Program List", "Program the inverter from a customer list\nProgram List")};
}

// The fifth popup of both menus.
MenuPopup optionsPopup()
{
    return {"&Options",
            {{cmd::SplashOnStart, "&Splash on start", true, "Show the start-up dialog when the program starts"},
             {cmd::CommOnStart, "&Communication on start", true,
              "Show the communication settings when the program starts"},
             {cmd::Debug, "&Debug", true, "Log every received telegram to Receive.txt"},
             {cmd::ConverterTest, "Con&verter Test", false, "Watch the telegrams of one inverter\nConverter Test"},
             {},
             {cmd::HideOptions, "&Hide options menu", false, "Remove the Options menu until the next start"}}};
}

void flip(bool& flag) { flag = !flag; }

}  // namespace

MenuLayout kestrelMainMenu()
{
    MenuLayout m;
    m.popups = {
        {"&File", {openListEntry(), {}, {shell::kRecentFiles, "", false, ""}, shell::exitEntry()}},
        {"&Inverter",
         {checkNetworkEntry(),
          {cmd::OpenDeviceList, "&Open Parameter List", false,
           "Select Device from the network\nInverter - Open Parameter List"},
          {cmd::Keypad, "&Keypad controls", false, "Run an inverter from the keypad\nKeypad controls"}}},
        {"&Customer List", customListEntries()},
        shell::settingsPopup(),
        optionsPopup(),
        shell::helpPopup(),
    };
    m.optionsPopup = 4;
    return m;
}

MenuLayout kestrelChildMenu()
{
    std::vector<MenuEntry> custom = customListEntries();
    custom.push_back({});
    custom.push_back({cmd::CustomConvertTo, "Con&vert to...", false,
                      "Convert the customer list to another software version"});
    custom.push_back({cmd::CustomCompareWith, "Compare &with...", false, "Compare the customer list with a file"});
    MenuLayout m;
    m.popups = {
        {"&File",
         {openListEntry(),
          {cmd::FileClose, "&Close Parameter List", false, "Close the active parameter list"},
          {cmd::FileSave, "&Save\tCtrl+S", false, "Save the active parameter list to a file\nSave Parameter List"},
          {cmd::FileSaveAs, "Save &As...", false, "Save the active parameter list with a new name\nSave As"},
          {},
          {cmd::FileConvertTo, "Con&vert to...", false, "Convert the active parameter list to another software version"},
          {cmd::FileCompareWith, "Compare &with...", false, "Compare the active parameter list with a file"},
          {},
          {cmd::FilePrint, "&Print...\tCtrl+P", false, "Print parameter list\nPrint"},
          {},
          {shell::kRecentFiles, "", false, ""},
          shell::exitEntry()}},
        {"&Inverter",
         {checkNetworkEntry(),
          {cmd::Keypad, "&Keypad Controls", false, "Run the inverter from the keypad\nKeypad Controls"},
          {},
          {cmd::DownloadAll, "&Download All", false, "Download values of all parameters to the inverter\nDownload All"},
          {cmd::UploadAll, "&Upload All", false, "Upload values of all parameters from the inverter\nUpload All"},
          {},
          {cmd::FaultHistory, "&Fault History", false, "Read the fault history of the inverter\nFault History"}}},
        {"&Customer List", custom},
        shell::settingsPopup(),
        optionsPopup(),
        shell::windowPopup(),
        shell::helpPopup(),
    };
    m.optionsPopup = 4;
    return m;
}

void installKestrelCommands(shell::CMainFrame& frame)
{
    ShellContext& context = static_cast<ShellContext&>(frame.context());
    // Kestrel's toggle without a menu entry still has its command.
    frame.addCommand({cmd::ToggleCTim, "CTim", false, ""});
    frame.setCommandHandler(cmd::ProgramParameters, [&frame, &context] { CProgramParamsDlg::run(context.timing(), &frame); });
    frame.setCommandHandler(cmd::Debug, [&context] { flip(context.timing().debug); });
    frame.setCommandCheck(cmd::Debug, [&context] { return context.timing().debug; });
    frame.setCommandHandler(cmd::ToggleCTim, [&context] { flip(context.ctim); });
    installListCommands(frame);
    frame.setCommandHandler(cmd::CreateList, [&frame] { createCustomList(frame); });
    frame.setCommandHandler(cmd::ModifyList, [&frame] { modifyCustomList(frame); });
    frame.setCommandHandler(cmd::FilePrint, [&frame] { printActiveList(frame); });
    frame.setCommandHandler(cmd::FileCompareWith, [&frame] { compareActiveList(frame); });
    frame.setCommandHandler(cmd::CustomCompareWith, [&frame] { compareActiveList(frame); });
    frame.setCommandHandler(cmd::FileConvertTo, [&frame] { convertActiveList(frame); });
    frame.setCommandHandler(cmd::CustomConvertTo, [&frame] { convertActiveList(frame); });
    installOnlineCommands(frame);
}

shell::ProgramDescription kestrelProgram(KestrelOptions options)
{
    shell::ProgramDescription p;
    p.mainMenu = kestrelMainMenu();
    p.childMenu = kestrelChildMenu();
    p.toolbar = {
        {cmd::FileOpen, QStyle::SP_DialogOpenButton},  {cmd::FileSave, QStyle::SP_DialogSaveButton},
        {},
        {cmd::CheckNetwork, QStyle::SP_BrowserReload}, {cmd::OpenDeviceList, QStyle::SP_ComputerIcon},
        {cmd::Keypad, QStyle::SP_MediaPlay},           {},
        {cmd::Communication, QStyle::SP_DriveNetIcon}, {},
        {cmd::HelpParameter, QStyle::SP_DialogHelpButton}, {cmd::AppAbout, QStyle::SP_MessageBoxInformation},
    };
    auto factory = options.telegramFactory;
    if (!factory) factory = [] { return std::make_unique<CTelegram>(); };
    p.createLine = [factory]() -> shell::LineResult {
        std::unique_ptr<CTelegram> telegram = factory();
        if (!telegram || !telegram->Create()) return {nullptr, text::kSerialControlFailed};
        return {std::make_unique<TelegramLine>(std::move(telegram)), {}};
    };
    p.cleanLeftovers = true;
    p.installCommands = installKestrelCommands;
    p.portSource = std::move(options.portSource);
    p.portTestTiming = options.portTestTiming;
    return p;
}

}  // namespace kestrel
