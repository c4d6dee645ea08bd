#include <shell/CommandIds.h>
#include <shell/MenuLayout.h>

namespace shell {

const MenuEntry* MenuLayout::find(int id) const
{
    for (const auto& popup : popups)
        for (const auto& e : popup.entries)
            if (e.id == id) return &e;
    return nullptr;
}

MenuPopup settingsPopup()
{
    return {"&Settings",
            {{cmd::Communication, "&Communication", false, "Choose the COM port, baud rate and character format\nCommunication"},
             {cmd::StatusScan, "&Status Scan Enable", true, "Enable or disable the status scan of the network"},
             {cmd::ProgramParameters, "&Parameters", false, "Change the timing of the serial link\nProgram Parameters"},
             {},
             {cmd::ViewToolbar, "&Toolbar", true, "Show or hide the toolbar\nToggle ToolBar"},
             {cmd::ViewStatusBar, "Status &Bar", true, "Show or hide the status bar\nToggle StatusBar"}}};
}

MenuPopup windowPopup()
{
    return {"&Window",
            {{cmd::WindowCascade, "&Cascade", false, "Arrange windows so they overlap\nCascade Windows"},
             {cmd::WindowTile, "&Tile", false, "Arrange windows as non-overlapping tiles\nTile Windows"},
             {cmd::WindowArrange, "&Arrange Icons", false, "Arrange icons at the bottom of the window\nArrange Icons"}}};
}

MenuPopup helpPopup()
{
    return {"&Help",
            {{cmd::HelpParameter, "&Parameter", false, "Get detailed help for each parameter"},
             {},
             {cmd::AppAbout, aboutMenuText(""), false, "Display program information, version number and copyright\nAbout"}}};
}

MenuEntry exitEntry() { return {cmd::AppExit, "E&xit", false, "Quit the application\nExit"}; }

std::string aboutMenuText(const std::string& softwareName) { return "&About " + softwareName + " ..."; }

std::string promptStatus(const std::string& prompt) { return prompt.substr(0, prompt.find('\n')); }

std::string promptTip(const std::string& prompt)
{
    const auto nl = prompt.find('\n');
    return nl == std::string::npos ? std::string() : prompt.substr(nl + 1);
}

}  // namespace shell
