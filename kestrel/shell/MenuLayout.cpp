#include <kestrel/shell/CommandIds.h>
#include <kestrel/shell/MenuLayout.h>

namespace kestrel {

namespace {

MenuPopup settingsPopup()
{
    return {"&Settings",
            {{cmd::Communication, "&Communication"},
             {cmd::StatusScan, "&Status Scan Enable", true},
             {cmd::ProgramParameters, "&Parameters"},
             {},
             {cmd::ViewToolbar, "&Toolbar", true},
             {cmd::ViewStatusBar, "Status &Bar", true}}};
}

// The fifth popup of both menus.
MenuPopup optionsPopup()
{
    return {"&Options",
            {{cmd::SplashOnStart, "&Splash on start", true},
             {cmd::CommOnStart, "&Communication on start", true},
             {cmd::Debug, "&Debug", true},
             {cmd::ConverterTest, "Con&verter Test"},
             {},
             {cmd::HideOptions, "&Hide options menu"}}};
}

MenuPopup helpPopup()
{
    return {"&Help", {{cmd::HelpParameter, "&Parameter"}, {}, {cmd::AppAbout, aboutMenuText("")}}};
}

}  // namespace

std::string aboutMenuText(const std::string& softwareName) { return "&About " + softwareName + " ..."; }

MenuLayout kestrelMainMenu()
{
    MenuLayout m;
    m.popups = {
        {"&File", {{cmd::FileOpen, "&Open Parameter List...\tCtrl+O"}, {}, {kRecentFiles, ""}, {cmd::AppExit, "E&xit"}}},
        {"&Inverter",
         {{cmd::CheckNetwork, "&Check Network..."},
          {cmd::OpenDeviceList, "&Open Parameter List"},
          {cmd::Keypad, "&Keypad controls"}}},
        {"&Customer List",
         {{cmd::CreateList, "&Create List"}, {cmd::ModifyList, "&Modify List"}, {cmd::ProgramList, "&Program List"}}},
        settingsPopup(),
        optionsPopup(),
        helpPopup(),
    };
    m.optionsPopup = 4;
    return m;
}

MenuLayout kestrelChildMenu()
{
    MenuLayout m;
    m.popups = {
        {"&File",
         {{cmd::FileOpen, "&Open Parameter List...\tCtrl+O"},
          {cmd::FileClose, "&Close Parameter List"},
          {cmd::FileSave, "&Save\tCtrl+S"},
          {cmd::FileSaveAs, "Save &As..."},
          {},
          {cmd::FileConvertTo, "Con&vert to..."},
          {cmd::FileCompareWith, "Compare &with..."},
          {},
          {cmd::FilePrint, "&Print...\tCtrl+P"},
          {},
          {kRecentFiles, ""},
          {cmd::AppExit, "E&xit"}}},
        {"&Inverter",
         {{cmd::CheckNetwork, "&Check Network..."},
          {cmd::Keypad, "&Keypad Controls"},
          {},
          {cmd::DownloadAll, "&Download All"},
          {cmd::UploadAll, "&Upload All"},
          {},
          {cmd::FaultHistory, "&Fault History"}}},
        {"&Customer List",
         {{cmd::CreateList, "&Create List"},
          {cmd::ModifyList, "&Modify List"},
          {cmd::ProgramList, "&Program List"},
          {},
          {cmd::CustomConvertTo, "Con&vert to..."},
          {cmd::CustomCompareWith, "Compare &with..."}}},
        settingsPopup(),
        optionsPopup(),
        {"&Window",
         {{cmd::WindowCascade, "&Cascade"}, {cmd::WindowTile, "&Tile"}, {cmd::WindowArrange, "&Arrange Icons"}}},
        helpPopup(),
    };
    m.optionsPopup = 4;
    return m;
}

}  // namespace kestrel
