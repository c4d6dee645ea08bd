#include <platform/RegistryStore.h>

#include <platform/AtomicFile.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <strings.h>
#include <unistd.h>

namespace platform {

namespace {

bool sameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

std::string trim(const std::string& s)
{
    const auto b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

// Values may hold any text; line ends and backslashes are escaped so that a
// value is always one line.
std::string escape(const std::string& v)
{
    std::string out;
    for (char c : v) {
        if (c == '\\') out += "\\\\";
        else if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
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
            out += n == 'n' ? '\n' : n == 'r' ? '\r' : n;
        } else {
            out += v[i];
        }
    }
    return out;
}

}  // namespace

IniFile::Section* IniFile::find(const std::string& name)
{
    for (auto& s : sections_)
        if (sameName(s.name, name)) return &s;
    return nullptr;
}

const IniFile::Section* IniFile::find(const std::string& name) const
{
    return const_cast<IniFile*>(this)->find(name);
}

bool IniFile::load(const std::string& path)
{
    sections_.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) return access(path.c_str(), F_OK) != 0;  // missing: an empty file
    std::string line;
    Section* current = nullptr;
    while (std::getline(in, line)) {
        const std::string t = trim(line);
        if (t.empty() || t[0] == ';' || t[0] == '#') continue;
        if (t.front() == '[' && t.back() == ']') {
            addSection(t.substr(1, t.size() - 2));
            current = find(t.substr(1, t.size() - 2));
            continue;
        }
        const auto eq = t.find('=');
        if (eq == std::string::npos || !current) continue;  // stray text is skipped, not fatal
        const std::string key = trim(t.substr(0, eq));
        const std::string value = unescape(t.substr(eq + 1));
        bool replaced = false;
        for (auto& kv : current->values)
            if (sameName(kv.first, key)) { kv.second = value; replaced = true; }
        if (!replaced) current->values.emplace_back(key, value);
    }
    return !in.bad();
}

bool IniFile::save(const std::string& path) const
{
    std::ostringstream out;
    for (const auto& s : sections_) {
        out << '[' << s.name << "]\n";
        for (const auto& kv : s.values) out << kv.first << '=' << escape(kv.second) << '\n';
        out << '\n';
    }
    // Written beside the old file and renamed over it: a crash or a full disk
    // never leaves a settings file cut short.
    return !AtomicFile::replace(path, out.str());
}

std::optional<std::string> IniFile::get(const std::string& section, const std::string& key) const
{
    if (const Section* s = find(section))
        for (const auto& kv : s->values)
            if (sameName(kv.first, key)) return kv.second;
    return std::nullopt;
}

void IniFile::set(const std::string& section, const std::string& key, const std::string& value)
{
    addSection(section);
    Section* s = find(section);
    for (auto& kv : s->values)
        if (sameName(kv.first, key)) {
            kv.second = value;
            return;
        }
    s->values.emplace_back(key, value);
}

bool IniFile::remove(const std::string& section, const std::string& key)
{
    Section* s = find(section);
    if (!s) return false;
    const auto before = s->values.size();
    std::erase_if(s->values, [&](const auto& kv) { return sameName(kv.first, key); });
    return s->values.size() != before;
}

bool IniFile::hasSection(const std::string& section) const { return find(section) != nullptr; }

void IniFile::addSection(const std::string& section)
{
    if (!find(section)) sections_.push_back({section, {}});
}

int IniFile::removeSections(const std::string& name)
{
    const std::string prefix = name + "\\";
    const auto before = sections_.size();
    std::erase_if(sections_, [&](const Section& s) {
        return sameName(s.name, name) ||
               (s.name.size() > prefix.size() && sameName(s.name.substr(0, prefix.size()), prefix));
    });
    return int(before - sections_.size());
}

std::vector<std::string> IniFile::sections() const
{
    std::vector<std::string> out;
    for (const auto& s : sections_) out.push_back(s.name);
    return out;
}

std::vector<std::string> IniFile::keys(const std::string& section) const
{
    std::vector<std::string> out;
    if (const Section* s = find(section))
        for (const auto& kv : s->values) out.push_back(kv.first);
    return out;
}

}  // namespace platform
