#include <platform/IniFile.h>

#include <platform/AtomicFile.h>
#include <platform/WholeFile.h>

#include <algorithm>
#include <filesystem>
#include <strings.h>

namespace platform {

namespace {

constexpr const char* kBlanks = " \t\r";

bool sameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

std::string trim(const std::string& s)
{
    const auto b = s.find_first_not_of(kBlanks);
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(kBlanks) - b + 1);
}

// Values may hold any text; line ends and backslashes are escaped so that a
// value is always one line, and spaces at its ends so that the trimming
// reader gives them back.
std::string escape(const std::string& v)
{
    const auto first = v.find_first_not_of(" \t");
    const auto last = v.find_last_not_of(" \t");
    std::string out;
    for (size_t i = 0; i < v.size(); ++i) {
        const char c = v[i];
        const bool edge = first == std::string::npos || i < first || i > last;
        if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if (edge && c == ' ') out += "\\s";
        else if (edge && c == '\t') out += "\\t";
        else out += c;
    }
    return out;
}

std::string unescape(const std::string& v)
{
    std::string out;
    for (size_t i = 0; i < v.size(); ++i) {
        if (v[i] == '\\' && i + 1 < v.size()) {
            const char n = v[++i];
            out += n == 'n' ? '\n' : n == 'r' ? '\r' : n == 's' ? ' ' : n == 't' ? '\t' : n;
        } else {
            out += v[i];
        }
    }
    return out;
}

// The line with a new value: what stood before the value (key, spacing) and
// after it (trailing blanks, a CR) stays as the user wrote it.
std::string withValue(const std::string& line, const std::string& value)
{
    const auto eq = line.find('=');
    const auto start = std::min(line.find_first_not_of(" \t", eq + 1), line.size());
    const auto end = line.find_last_not_of(kBlanks);
    const size_t tail = end == std::string::npos || end < start ? start : end + 1;
    return line.substr(0, start) + escape(value) + line.substr(tail);
}

}  // namespace

bool IniFile::load(const std::string& path)
{
    std::string bytes;
    const ReadResult r = readWholeFile(path, bytes);
    parse(bytes);
    return r != ReadResult::Failed;
}

void IniFile::parse(const std::string& text)
{
    preamble_.clear();
    sections_.clear();
    lastLineWithoutEnd_ = -1;
    crlf_ = false;
    int number = 0;
    for (size_t pos = 0; pos < text.size(); ++number) {
        const auto nl = text.find('\n', pos);
        Line line;
        line.text = text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
        line.origin = number;
        if (nl == std::string::npos) lastLineWithoutEnd_ = number;
        if (number == 0) crlf_ = !line.text.empty() && line.text.back() == '\r';
        pos = nl == std::string::npos ? text.size() : nl + 1;

        const std::string t = trim(line.text);
        if (!t.empty() && t.front() == '[' && t.back() == ']') {
            sections_.push_back({t.substr(1, t.size() - 2), std::move(line), {}});
            continue;
        }
        const auto eq = t.find('=');
        // Comments, blank lines and stray text are kept as they are, never fatal.
        if (!t.empty() && t[0] != ';' && t[0] != '#' && eq != std::string::npos && !sections_.empty()) {
            line.isValue = true;
            line.key = trim(t.substr(0, eq));
            line.value = unescape(trim(t.substr(eq + 1)));
        }
        (sections_.empty() ? preamble_ : sections_.back().lines).push_back(std::move(line));
    }
}

std::string IniFile::text() const
{
    std::string out;
    auto put = [&](const Line& l) {
        out += l.text;
        out += '\n';
    };
    for (const auto& l : preamble_) put(l);
    for (const auto& s : sections_) {
        put(s.header);
        for (const auto& l : s.lines) put(l);
    }
    // A file that ended without a line end keeps ending so, unless lines
    // were added after its last one.
    const Line* last = nullptr;
    if (!sections_.empty())
        last = sections_.back().lines.empty() ? &sections_.back().header : &sections_.back().lines.back();
    else if (!preamble_.empty())
        last = &preamble_.back();
    if (last && lastLineWithoutEnd_ >= 0 && last->origin == lastLineWithoutEnd_) out.pop_back();
    return out;
}

bool IniFile::save(const std::string& path) const
{
    // Written beside the old file and renamed over it: a crash or a full disk
    // never leaves a settings file cut short. A new user has no settings
    // folder yet: the first file written makes it.
    const std::string bytes = text();
    std::error_code err = AtomicFile::replace(path, bytes);
    if (err == std::errc::no_such_file_or_directory) {
        std::error_code made;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), made);
        if (!made) err = AtomicFile::replace(path, bytes);
    }
    return !err;
}

IniFile::Line* IniFile::findValue(const std::string& section, const std::string& key)
{
    Line* found = nullptr;  // the last one counts, as it did when read
    for (auto& s : sections_)
        if (sameName(s.name, section))
            for (auto& l : s.lines)
                if (l.isValue && sameName(l.key, key)) found = &l;
    return found;
}

const IniFile::Line* IniFile::findValue(const std::string& section, const std::string& key) const
{
    return const_cast<IniFile*>(this)->findValue(section, key);
}

std::optional<std::string> IniFile::get(const std::string& section, const std::string& key) const
{
    if (const Line* l = findValue(section, key)) return l->value;
    return std::nullopt;
}

void IniFile::set(const std::string& section, const std::string& key, const std::string& value)
{
    if (Line* l = findValue(section, key)) {
        if (l->value != value) l->text = withValue(l->text, value);
        l->value = value;
        return;
    }
    addSection(section);
    auto block = std::find_if(sections_.rbegin(), sections_.rend(),
                              [&](const Section& s) { return sameName(s.name, section); });
    auto& lines = block->lines;
    // After the section's last value, or else after its last comment: blank
    // lines that part it from the next section stay at its end.
    auto at = std::find_if(lines.rbegin(), lines.rend(), [](const Line& l) { return l.isValue; });
    if (at == lines.rend())
        at = std::find_if(lines.rbegin(), lines.rend(), [](const Line& l) { return !trim(l.text).empty(); });
    Line line{key + "=" + escape(value) + (crlf_ ? "\r" : ""), true, key, value, -1};
    lines.insert(at.base(), std::move(line));
}

bool IniFile::remove(const std::string& section, const std::string& key)
{
    size_t removed = 0;
    for (auto& s : sections_)
        if (sameName(s.name, section))
            removed += std::erase_if(s.lines, [&](const Line& l) { return l.isValue && sameName(l.key, key); });
    return removed > 0;
}

bool IniFile::hasSection(const std::string& section) const
{
    return std::any_of(sections_.begin(), sections_.end(), [&](const Section& s) { return sameName(s.name, section); });
}

void IniFile::addSection(const std::string& section)
{
    if (hasSection(section)) return;
    const std::string end = crlf_ ? "\r" : "";
    Line header;
    header.text = "[" + section + "]" + end;
    Line blank;
    blank.text = end;
    sections_.push_back({section, std::move(header), {std::move(blank)}});
}

int IniFile::removeSections(const std::string& name)
{
    const std::string prefix = name + "\\";
    std::vector<std::string> gone;
    std::erase_if(sections_, [&](const Section& s) {
        const bool match = sameName(s.name, name) ||
            (s.name.size() > prefix.size() && sameName(s.name.substr(0, prefix.size()), prefix));
        if (match && std::none_of(gone.begin(), gone.end(), [&](const auto& g) { return sameName(g, s.name); }))
            gone.push_back(s.name);
        return match;
    });
    return int(gone.size());
}

std::vector<std::string> IniFile::sections() const
{
    std::vector<std::string> out;
    for (const auto& s : sections_)
        if (std::none_of(out.begin(), out.end(), [&](const auto& n) { return sameName(n, s.name); }))
            out.push_back(s.name);
    return out;
}

std::vector<std::string> IniFile::keys(const std::string& section) const
{
    std::vector<std::string> out;
    for (const auto& s : sections_)
        if (sameName(s.name, section))
            for (const auto& l : s.lines)
                if (l.isValue && std::none_of(out.begin(), out.end(), [&](const auto& k) { return sameName(k, l.key); }))
                    out.push_back(l.key);
    return out;
}

}  // namespace platform
