#include <platform/ProcessLauncher.h>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace platform {

namespace {

std::mutex handlerMutex;
LaunchHandler& handlerSlot()
{
    static LaunchHandler handler;
    return handler;
}

bool directoryExists(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Started programs outlive the request; a waiting thread reaps each one so
// a long-running Kestrel leaves no zombies behind its viewers.
void reapLater(pid_t pid)
{
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

int spawnProcess(const LaunchRequest& request)
{
    if (request.program.empty()) return 2;
    std::vector<std::string> args{request.program};
    args.insert(args.end(), request.arguments.begin(), request.arguments.end());
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    // A bare name is looked up on PATH (viewers); a path is taken as given (programs).
    const bool search = request.program.find('/') == std::string::npos;
    const int rc = search ? posix_spawnp(&pid, request.program.c_str(), nullptr, nullptr, argv.data(), environ)
                          : posix_spawn(&pid, request.program.c_str(), nullptr, nullptr, argv.data(), environ);
    if (rc != 0) return winExecReason(rc, request.program);
    reapLater(pid);
    return kLaunchOk;
}

std::string envOr(const char* name, const char* fallback)
{
    const char* v = std::getenv(name);
    return v && *v ? v : fallback;
}

}  // namespace

int winExecReason(int err, const std::string& program)
{
    switch (err) {
    case ENOMEM:
    case EAGAIN: return 0;   // out of memory
    case ENOEXEC: return 11; // bad executable format
    case EACCES: return 5;   // access denied
    case ENOTDIR: return 3;
    case ENOENT: {
        const auto slash = program.rfind('/');
        if (slash != std::string::npos && slash > 0 && !directoryExists(program.substr(0, slash))) return 3;
        return 2;
    }
    default: return 31;  // a general failure: no reason text
    }
}

std::vector<std::string> splitCommandLine(const std::string& commandLine)
{
    std::vector<std::string> out;
    std::string cur;
    bool quoted = false, any = false;
    for (char c : commandLine) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (any) out.push_back(cur);
            cur.clear();
            any = false;
        } else {
            cur += c;
            any = true;
        }
    }
    if (any) out.push_back(cur);
    return out;
}

LaunchHandler setLaunchHandler(LaunchHandler handler)
{
    std::lock_guard lock(handlerMutex);
    LaunchHandler previous = std::move(handlerSlot());
    handlerSlot() = std::move(handler);
    return previous;
}

int launch(const LaunchRequest& request)
{
    LaunchHandler handler;
    {
        std::lock_guard lock(handlerMutex);
        handler = handlerSlot();
    }
    return handler ? handler(request) : spawnProcess(request);
}

int winExec(const std::string& commandLine)
{
    auto parts = splitCommandLine(commandLine);
    if (parts.empty()) return 2;
    LaunchRequest r{LaunchKind::Program, parts.front(), {parts.begin() + 1, parts.end()}};
    return launch(r);
}

int openTextViewer(const std::string& file)
{
    return launch({LaunchKind::TextViewer, envOr("AVIARY_TEXT_VIEWER", "xdg-open"), {file}});
}

int openPdfReader(const std::string& readerPath, const std::string& file)
{
    const std::string reader = !readerPath.empty() ? readerPath : envOr("AVIARY_PDF_READER", "xdg-open");
    return launch({LaunchKind::PdfReader, reader, {file}});
}

}  // namespace platform
