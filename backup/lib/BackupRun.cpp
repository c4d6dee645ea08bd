#include <backup/lib/BackupRun.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iomanip>

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

namespace backup {

namespace fs = std::filesystem;

namespace {

std::string safeText(const std::string& text, const char* empty)
{
    std::string safe;
    for (const char c : text) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                          c == '_' || c == '.';
        safe += keep ? c : '-';
    }
    // Never a hidden file or a way out of the directory.
    while (!safe.empty() && safe.front() == '.') safe.erase(safe.begin());
    return safe.empty() ? empty : safe;
}

std::string localTime(const char* format)
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, format, &local);
    return text;
}

// "x.par" -> "x-2.par": the n-th name of a file whose first name is taken.
std::string numbered(const std::string& file, int n)
{
    if (n < 2) return file;
    return file.substr(0, file.size() - 4) + "-" + std::to_string(n) + ".par";
}

// Gives part the name target only when nothing has it: a file is never
// replaced, also not one made a moment ago by another run.
int linkNoReplace(const std::string& part, const std::string& target)
{
    if (::renameat2(AT_FDCWD, part.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return errno;
    // A file system without the flag: a hard link fails on an existing name too.
    if (::link(part.c_str(), target.c_str()) != 0) return errno;
    return ::unlink(part.c_str()) == 0 ? 0 : errno;
}

}  // namespace

std::string backupFileName(int address, const std::string& name, const std::string& family, const std::string& line,
                           const std::string& stamp)
{
    char head[8];
    std::snprintf(head, sizeof head, "%02d_", address);
    return head + safeText(name, "drive") + "_" + safeText(family, "drive") + "-" + safeText(line, "line") + "_" +
           stamp + ".par";
}

std::string timeStamp() { return localTime("%Y-%m-%d_%H%M%S"); }

std::string today() { return localTime("%Y-%m-%d"); }

namespace {

// The length of the well-formed UTF-8 sequence at text[at], or 0: no
// overlong forms, no surrogates, nothing above U+10FFFF, nothing cut short.
size_t utf8Length(const std::string& text, size_t at)
{
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) return 1;
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;   // the second byte's range
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else return 0;
    if (at + length > text.size()) return 0;
    for (size_t i = 1; i < length; ++i) {
        const unsigned char b = byte(at + i);
        if (b < (i == 1 ? low : 0x80) || b > (i == 1 ? high : 0xBF)) return 0;
    }
    return length;
}

}  // namespace

std::string jsonString(const std::string& text)
{
    std::string out = "\"";
    for (size_t at = 0; at < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        const size_t length = utf8Length(text, at);
        if (length == 0) {
            out += "\\ufffd";
            ++at;
            continue;
        }
        if (c == '"' || c == '\\') out += {'\\', static_cast<char>(c)};
        else if (c < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else out.append(text, at, length);
        at += length;
    }
    return out + "\"";
}

ProgressFn BackupRun::bar()
{
    return [this](int done, int total) { progress_.update(done, total); };
}

int BackupRun::run()
{
    std::string error;
    if (!options_.capture.empty() && !bus_.startCapture(options_.capture, error)) {
        err_ << "aviary-backup: " << error << '\n';
        return kExitError;
    }
    const int status = runCommand();
    // A capture that could not be completed is a failure of the run.
    if (!options_.capture.empty() && !bus_.stopCapture(error)) {
        err_ << "aviary-backup: " << error << '\n';
        return kExitError;
    }
    return status;
}

int BackupRun::runCommand()
{
    switch (options_.command) {
    case Command::Scan: return scan();
    case Command::Backup: return backup();
    case Command::Diff: return diff();
    case Command::Restore: return restore();
    default: return kExitError;
    }
}

int BackupRun::scan()
{
    std::vector<FoundDrive> drives;
    std::string error;
    progress_.begin("scanning");
    const bool ok = bus_.scan(drives, bar(), error);
    progress_.end();
    if (!ok) {
        err_ << "aviary-backup: " << error << '\n';
        return kExitError;
    }
    if (options_.json) {
        out_ << "{\"family\": " << jsonString(bus_.family()) << ", \"drives\": [";
        for (size_t i = 0; i < drives.size(); ++i)
            out_ << (i ? ", " : "") << "{\"address\": " << drives[i].address << ", \"name\": "
                 << jsonString(drives[i].name) << ", \"type\": " << jsonString(drives[i].type) << "}";
        out_ << "]}\n";
        return kExitOk;
    }
    out_ << std::left << std::setw(5) << "ADR" << std::setw(32) << "NAME" << "TYPE/VERSION\n";
    for (const FoundDrive& d : drives)
        out_ << std::setw(5) << d.address << std::setw(32) << d.name << d.type << '\n';
    out_ << drives.size() << (drives.size() == 1 ? " drive" : " drives") << " found\n";
    return kExitOk;
}

bool BackupRun::drivesToSave(std::vector<FoundDrive>& drives, int& failed)
{
    if (options_.addresses.empty()) {
        std::string error;
        progress_.begin("scanning");
        const bool ok = bus_.scan(drives, bar(), error);
        progress_.end();
        if (!ok) err_ << "aviary-backup: " << error << '\n';
        return ok;
    }
    for (const int address : options_.addresses) {
        FoundDrive d;
        std::string error;
        if (bus_.identify(address, d, error)) {
            drives.push_back(d);
        } else {
            out_ << std::setw(2) << std::setfill('0') << std::right << address << std::setfill(' ') << std::left
                 << "  FAILED  no answer: " << error << '\n';
            ++failed;
        }
    }
    return true;
}

bool BackupRun::saveOne(const FoundDrive& drive, std::string& file, std::string& error)
{
    const fs::path first = fs::path(options_.outputDir) /
                           backupFileName(drive.address, drive.name, bus_.family(), bus_.lineName(), stamp_);
    file = first.string();
    // Written beside the target under a name of this run and given its own
    // name only when complete: a drive that stops answering leaves no file.
    const std::string part = file + ".part" + std::to_string(::getpid());
    progress_.begin((drive.address < 10 ? "0" : "") + std::to_string(drive.address) + " " + drive.name);
    const bool ok = bus_.backup(drive, part, bar(), error);
    progress_.end();
    if (ok && placeFile(part, file, error)) return true;
    std::error_code ec;
    fs::remove(part, ec);
    return false;
}

bool BackupRun::placeFile(const std::string& part, std::string& file, std::string& error)
{
    const std::string first = file;
    // An existing file is never replaced: the next free number is taken.
    constexpr int kMostNumbers = 100;
    for (int n = 1; n <= kMostNumbers; ++n) {
        file = numbered(first, n);
        const int failed = linkNoReplace(part, file);
        if (failed == 0) return true;
        if (failed != EEXIST) {
            error = "cannot name " + part + " " + file + ": " + std::strerror(failed);
            return false;
        }
    }
    error = "exists " + std::to_string(kMostNumbers) + " times, not overwritten: " + first;
    return false;
}

int BackupRun::backup()
{
    const auto start = std::chrono::steady_clock::now();
    stamp_ = options_.stamp.empty() ? timeStamp() : options_.stamp;
    std::vector<FoundDrive> drives;
    int failed = 0;
    if (!drivesToSave(drives, failed)) return kExitError;
    int saved = 0;
    for (const FoundDrive& drive : drives) {
        std::string file, error;
        const bool ok = saveOne(drive, file, error);
        out_ << std::setw(2) << std::setfill('0') << std::right << drive.address << std::setfill(' ') << std::left
             << "  " << (ok ? "saved   " : "FAILED  ") << drive.name << "  " << (ok ? file : error) << '\n';
        (ok ? saved : failed) += 1;
    }
    const long seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start).count();
    out_ << "backup: " << saved << " saved, " << failed << " failed, " << seconds << " s\n";
    if (saved + failed == 0) out_ << "backup: no drive found\n";
    return failed == 0 && saved > 0 ? kExitOk : saved > 0 ? kExitPartial : kExitError;
}

int BackupRun::diff()
{
    std::vector<ValueDifference> differences;
    std::string error;
    progress_.begin(std::to_string(options_.addresses.front()));
    const bool ok = bus_.diff(options_.addresses.front(), options_.file, differences, bar(), error);
    progress_.end();
    if (!ok) {
        err_ << "aviary-backup: " << error << '\n';
        return kExitError;
    }
    if (options_.json) {
        out_ << "{\"address\": " << options_.addresses.front() << ", \"file\": " << jsonString(options_.file)
             << ", \"equal\": " << (differences.empty() ? "true" : "false") << ", \"differences\": [";
        for (size_t i = 0; i < differences.size(); ++i) {
            const ValueDifference& d = differences[i];
            out_ << (i ? ", " : "") << "{\"parameter\": " << jsonString(d.parameter) << ", \"name\": "
                 << jsonString(d.name) << ", \"drive\": " << jsonString(d.live) << ", \"file\": "
                 << jsonString(d.file) << "}";
        }
        out_ << "]}\n";
    } else {
        out_ << std::left << std::setw(11) << "PARAMETER" << std::setw(28) << "NAME" << std::setw(16) << "DRIVE"
             << "FILE\n";
        for (const ValueDifference& d : differences)
            out_ << std::setw(11) << d.parameter << std::setw(28) << d.name << std::setw(16) << d.live << d.file
                 << '\n';
        out_ << differences.size() << (differences.size() == 1 ? " difference\n" : " differences\n");
    }
    return differences.empty() ? kExitOk : kExitDifferent;
}

int BackupRun::restore()
{
    std::string error;
    progress_.begin(std::to_string(options_.addresses.front()));
    const bool ok = bus_.restore(options_.addresses.front(), options_.file, options_.force, bar(), error);
    progress_.end();
    if (!ok) {
        err_ << "aviary-backup: " << error << '\n';
        return kExitError;
    }
    out_ << "restored " << options_.file << " into drive " << options_.addresses.front() << '\n';
    return kExitOk;
}

}  // namespace backup
