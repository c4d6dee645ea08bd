#pragma once
// Shared pieces of the aviary-backup tests: the program run as a child,
// JSON checked by an independent parser, parameter-file bodies read back,
// and a line whose drive leaves half-way through its backup.
#include <backup/lib/DriveBus.h>
#include <backup/lib/KestrelBus.h>
#include <tern/tests/ServerBusTesting.h>

#include <cstdlib>
#include <filesystem>
#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace backup::testing {

using tern::testkit::ChildProcess;
using tern::testkit::exitedWith;

inline std::string backupProgram() { return tern::testkit::binDir() + "/aviary-backup"; }

struct ProgramRun {
    std::optional<int> status;
    std::string output;    // stdout
    std::string messages;  // stderr
    int exitCode() const { return status && WIFEXITED(*status) ? WEXITSTATUS(*status) : -1; }
    // Everything the program said, for the messages a test looks for.
    std::string all() const { return output + messages; }
};

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline ProgramRun runProgram(std::vector<std::string> args, std::chrono::milliseconds limit = std::chrono::seconds(9))
{
    // stderr into a file of its own: stdout stays exactly what the program printed there.
    platform::testing::TempDir dir;
    const std::string errors = dir.path() + "/stderr";
    args.insert(args.begin(), {"/bin/sh", "-c", "exec \"$0\" \"$@\" 2>\"$BACKUP_TEST_STDERR\"", backupProgram()});
    ProgramRun r;
    {
        ChildProcess child(args, {{"BACKUP_TEST_STDERR", errors}});
        r.status = child.wait(limit);
        r.output = child.finalOutput();
    }
    r.messages = readFile(errors);
    return r;
}

// The Kestrel line the tests drive directly: COM7 (which they map), no RTS
// hold, and the repeats and reply wait (ms) the case needs.
inline KestrelLine kestrelLineOnCom7(const std::string& installDir, int repeat, int tWait)
{
    KestrelLine line;
    line.installDir = installDir;
    line.port = 7;
    line.repeat = repeat;
    line.tWait = tWait;
    line.tRts = 0;
    return line;
}

// Whether the user nobody can run the program at path: a build tree below a
// folder closed to others (a checkout in /root) is out of its reach, and a
// test that drops to nobody cannot show anything there. The whole suite runs
// as nobody in scripts/check-unprivileged.sh, which opens the way.
inline bool nobodyReaches(const std::string& path)
{
    const std::string command =
        "/usr/bin/setpriv --reuid=nobody --regid=nogroup --clear-groups /usr/bin/test -x '" + path + "'";
    return std::system(command.c_str()) == 0;
}

// The backup files in dir whose names begin with prefix ("05_NEW_kestrel-"), sorted.
inline std::vector<std::string> backupFiles(const std::string& dir, const std::string& prefix)
{
    std::vector<std::string> found;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(dir, ec)) {
        const std::string name = e.path().filename().string();
        if (name.rfind(prefix, 0) == 0 && name.size() > 4 && name.compare(name.size() - 4, 4, ".par") == 0)
            found.push_back(e.path().string());
    }
    std::sort(found.begin(), found.end());
    return found;
}

// The one backup file of a prefix; empty when there is none or several.
inline std::string onlyBackupFile(const std::string& dir, const std::string& prefix)
{
    const auto found = backupFiles(dir, prefix);
    return found.size() == 1 ? found.front() : std::string();
}

// True when python's own JSON reader takes the text, and the text is UTF-8:
// the argument's bytes come back as they were and are decoded strictly.
inline bool parsesAsJson(const std::string& text)
{
    tern::testkit::ChildProcess python(
        {"/usr/bin/python3", "-c", "import json,os,sys; json.loads(os.fsencode(sys.argv[1]).decode('utf-8')); print('ok')",
         text});
    return exitedWith(python.wait(std::chrono::seconds(5)), 0) && python.finalOutput() == "ok\n";
}

// Wraps a line: while the drive at `address` is being saved, `leave` runs
// once half of its items are done (the drive goes silent).
class DriveLeavesMidway : public DriveBus {
public:
    DriveLeavesMidway(DriveBus& inner, int address, std::function<void()> leave)
        : inner_(inner), address_(address), leave_(std::move(leave))
    {
    }
    std::string family() const override { return inner_.family(); }
    int firstAddress() const override { return inner_.firstAddress(); }
    int lastAddress() const override { return inner_.lastAddress(); }
    bool scan(std::vector<FoundDrive>& f, const ProgressFn& p, std::string& e) override { return inner_.scan(f, p, e); }
    bool identify(int a, FoundDrive& d, std::string& e) override { return inner_.identify(a, d, e); }
    bool backup(const FoundDrive& drive, const std::string& path, const ProgressFn& progress,
                std::string& error) override
    {
        if (drive.address != address_) return inner_.backup(drive, path, progress, error);
        return inner_.backup(drive, path, [this, progress](int done, int total) {
            if (total > 0 && done * 2 >= total && leave_) {
                leave_();
                leave_ = nullptr;
            }
            if (progress) progress(done, total);
        }, error);
    }
    bool diff(int a, const std::string& f, std::vector<ValueDifference>& d, const ProgressFn& p,
              std::string& e) override
    {
        return inner_.diff(a, f, d, p, e);
    }
    bool restore(int a, const std::string& f, bool force, const ProgressFn& p, std::string& e) override
    {
        return inner_.restore(a, f, force, p, e);
    }

private:
    DriveBus& inner_;
    int address_;
    std::function<void()> leave_;
};

}  // namespace backup::testing
