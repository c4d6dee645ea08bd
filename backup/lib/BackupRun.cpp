#include <backup/lib/BackupRun.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <iomanip>

namespace backup {

namespace fs = std::filesystem;

std::string backupFileName(int address, const std::string& name, const std::string& date)
{
    std::string safe;
    for (const char c : name) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                          c == '_' || c == '.';
        safe += keep ? c : '-';
    }
    // Never a hidden file or a way out of the directory.
    while (!safe.empty() && safe.front() == '.') safe.erase(safe.begin());
    if (safe.empty()) safe = "drive";
    char head[8];
    std::snprintf(head, sizeof head, "%02d_", address);
    return head + safe + "_" + date + ".par";
}

std::string today()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

std::string jsonString(const std::string& text)
{
    std::string out = "\"";
    for (const unsigned char c : text) {
        if (c == '"' || c == '\\') out += {'\\', static_cast<char>(c)};
        else if (c < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else out += static_cast<char>(c);
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
    const fs::path path = fs::path(options_.outputDir) / backupFileName(drive.address, drive.name, today());
    file = path.string();
    std::error_code ec;
    if (fs::exists(path, ec) && !options_.force) {
        error = "exists, not overwritten (--force overwrites it)";
        return false;
    }
    // Written beside the target and renamed into place: an existing backup
    // is never left half-replaced by a drive that stops answering.
    const std::string part = file + ".part";
    progress_.begin((drive.address < 10 ? "0" : "") + std::to_string(drive.address) + " " + drive.name);
    const bool ok = bus_.backup(drive, part, bar(), error);
    progress_.end();
    if (ok) fs::rename(part, path, ec);
    if (!ok || ec) {
        fs::remove(part, ec);
        if (ok) error = "cannot rename " + part + ": " + ec.message();
        return false;
    }
    return true;
}

int BackupRun::backup()
{
    const auto start = std::chrono::steady_clock::now();
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
