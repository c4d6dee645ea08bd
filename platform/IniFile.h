#pragma once
// A simple INI file: [section] then key=value lines, the format of the
// programs' profile and settings files. Keys and values are read without the spaces
// around them; sections and keys keep file order. A file is written back
// with every line it does not change kept byte for byte, comments, blank
// lines and text it could not read included, so a user's or an
// administrator's notes in ports.ini or a hive survive the programs' writes.
#include <optional>
#include <string>
#include <vector>

namespace platform {

class IniFile {
public:
    // False when the file exists but cannot be read; a missing file is empty.
    bool load(const std::string& path);
    void parse(const std::string& text);
    bool save(const std::string& path) const;  // atomic: temp file + rename
    std::string text() const;

    std::optional<std::string> get(const std::string& section, const std::string& key) const;
    void set(const std::string& section, const std::string& key, const std::string& value);
    bool remove(const std::string& section, const std::string& key);
    bool hasSection(const std::string& section) const;
    void addSection(const std::string& section);
    int removeSections(const std::string& prefixOrSelf);  // the section and every "<it>\\..."
    std::vector<std::string> sections() const;
    std::vector<std::string> keys(const std::string& section) const;

private:
    struct Line {
        std::string text;       // as in the file, without its '\n'
        bool isValue = false;
        std::string key;
        std::string value;      // unescaped
        int origin = -1;        // line number in the file read, -1 for a new line
    };
    struct Section {
        std::string name;
        Line header;
        std::vector<Line> lines;
    };
    std::vector<Line> preamble_;     // before the first section
    std::vector<Section> sections_;  // a name may come twice: both blocks count
    int lastLineWithoutEnd_ = -1;    // the file's last line when it lacked a '\n'
    bool crlf_ = false;              // lines end in CR LF: new lines do too

    Line* findValue(const std::string& section, const std::string& key);
    const Line* findValue(const std::string& section, const std::string& key) const;
};

}  // namespace platform
