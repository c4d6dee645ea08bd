#pragma once
// Menus as data: the main frame builds its menu bar from a layout, so Kestrel
// and Merlin differ only in the tables they hand over. An entry with id 0 is
// a separator; the recent-file entries are placed where kRecentFiles stands.
#include <string>
#include <vector>

namespace kestrel {

struct MenuEntry {
    int id = 0;               // command identifier; 0: separator
    std::string text;         // with '&' mnemonic and "\t" accelerator text
    bool checkable = false;
};

struct MenuPopup {
    std::string title;
    std::vector<MenuEntry> entries;
};

struct MenuLayout {
    std::vector<MenuPopup> popups;
    // Index of the popup that exists only with the options flag; -1: none.
    int optionsPopup = -1;
};

// Marker entry: the recent-file list goes here.
constexpr int kRecentFiles = -1;

// Main menu 128 (no list open) and list-window menu 129.
MenuLayout kestrelMainMenu();
MenuLayout kestrelChildMenu();

// The About entry's text for the program's name: "&About %s ...".
std::string aboutMenuText(const std::string& softwareName);

}  // namespace kestrel
