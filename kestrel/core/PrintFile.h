#pragma once
// Print files: a list, or the custom list editor's selection, as plain text
// (CR LF lines) opened in the text viewer, from which the user prints.
//
//   header block   " \t<label, 27 wide>\t" + value, one line per item
//   separator      "     \t                   \t                    "
//   column header  " NO  \t    PARAMETER      \t    SET VALUE       "
//   group lines    separator, the group title in the PARAMETER column, separator
//   parameters     "%4s \t %-17s \t %9s  %7s" + CR LF, 48 characters a line
//
// Names longer than 17 characters and values longer than 9 are cut to fit,
// so that every parameter line keeps its 48 characters.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

class CustomListEditor;

struct PrintStamp {
    int day = 1, month = 1, year = 2000, hour = 0, minute = 0;
    static PrintStamp now();
};

struct PrintHeader {
    std::string filePath;    // empty: none
    std::string address;     // empty: a file list ("--")
    std::string deviceName;  // empty: "--"
    std::optional<std::uint16_t> softwareVersion;  // value of 00E4
    std::optional<std::uint16_t> ratedPower;       // value of 00F1
};

std::string printHeaderBlock(const PrintHeader& header, const PrintStamp& stamp, bool dateHint);
// One 48-character line; `unit` already padded to 7; `leftUnit` writes it
// with "%-7s" (the editor's print) rather than "%7s".
std::string printLine(std::string_view no, std::string_view name, std::string_view value, std::string_view unit,
                      bool leftUnit = false);

// The text of a list window's print file.
std::string listPrintText(const std::string& workPath, const std::string& databasePath, const PrintHeader& header,
                          const PrintStamp& stamp);
// The print file beside the working file ("motor.~pa" -> "motor.txt").
std::string listPrintPath(std::string_view workPath);
// File, Print of a list window: writes the file and opens it; false when
// it could not be written (a message said so).
bool printList(const std::string& workPath, const std::string& databasePath, const std::string& filePath,
               const std::string& address, const std::string& deviceName,
               const PrintStamp& stamp = PrintStamp::now());

// File, Print of the custom list editor.
std::string customPrintText(const CustomListEditor& editor, const PrintStamp& stamp);
std::string customPrintPath(const std::string& installDir, const CustomListEditor& editor);
bool printCustomList(const std::string& installDir, const CustomListEditor& editor,
                     const PrintStamp& stamp = PrintStamp::now());

}  // namespace kestrel
