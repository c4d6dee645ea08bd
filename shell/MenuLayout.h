#pragma once
// Menus as data: the main frame builds its menu bar from a layout, so Kestrel
// and Merlin differ only in the tables they hand over. An entry with id 0 is
// a separator; the recent-file entries are placed where kRecentFiles stands.
#include <string>
#include <vector>

namespace shell {

struct MenuEntry {
    int id = 0;               // command identifier; 0: separator
    std::string text;         // with '&' mnemonic and "\t" accelerator text
    bool checkable = false;
    // The string-table prompt: the status-bar text while the entry is
    // hovered, then, after '\n', the tool tip of its toolbar button.
    std::string prompt;
};

struct MenuPopup {
    std::string title;
    std::vector<MenuEntry> entries;
};

struct MenuLayout {
    std::vector<MenuPopup> popups;
    // Index of the popup that exists only with the options flag; -1: none.
    int optionsPopup = -1;

    const MenuEntry* find(int id) const;
};

// Marker entry: the recent-file list goes here.
constexpr int kRecentFiles = -1;

// The popups both programs' menus share.
MenuPopup settingsPopup();
MenuPopup windowPopup();
MenuPopup helpPopup();
MenuEntry exitEntry();

// The About entry's text for the program's name: "&About %s ...".
std::string aboutMenuText(const std::string& softwareName);

// The status-bar part of a prompt (before '\n') and the tool-tip part.
std::string promptStatus(const std::string& prompt);
std::string promptTip(const std::string& prompt);

}  // namespace shell
