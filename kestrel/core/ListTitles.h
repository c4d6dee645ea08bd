#pragma once
// Names of list windows: the letter code of the n-th window opened since the
// network dialog last reset the counter, the list title and the window title.
#include <string>
#include <string_view>

namespace kestrel {

// " A" .. " Z" for n < 26, then "AA", "AB", ... ("ZZ" and beyond keep the
// pattern while letters last; past 52·26 windows the code repeats).
std::string windowLetterCode(int n);
// "LIST " or "CUSTOM LIST " followed by the code ("LIST  A").
std::string listTitle(bool customList, int n);
// list title + " -- Addr. " + address + " " + device name (online), or
// list title + " -- " + file path (file list).
std::string windowTitle(std::string_view listTitle, std::string_view address,
                        std::string_view deviceName, std::string_view filePath);
// "A12.34" from the database file name "/tvk/RQ-1234.tvk".
std::string listVersionText(std::string_view databaseFileName);

}  // namespace kestrel
