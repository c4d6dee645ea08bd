#pragma once
// Starting other programs: another of the suite's programs, the text viewer
// and the PDF reader. Results are the codes the callers choose their messages
// by: a value above 31 is success, otherwise the reason: 0 out of memory,
// 2 file not found, 3 path not found, 11 bad executable format (others:
// 5 access denied).
// Tests install a handler and see the command line instead of a process.
#include <functional>
#include <string>
#include <vector>

namespace platform {

enum class LaunchKind { Program, TextViewer, PdfReader };

struct LaunchRequest {
    LaunchKind kind = LaunchKind::Program;
    std::string program;                 // path of the executable (or viewer)
    std::vector<std::string> arguments;
};

using LaunchHandler = std::function<int(const LaunchRequest&)>;

constexpr int kLaunchOk = 33;

// Starts what a command line names, split at blanks ("..." keeps blanks in
// a part); answers with one of the codes above.
int winExec(const std::string& commandLine);
int launch(const LaunchRequest& request);
// The text viewer: $AVIARY_TEXT_VIEWER, else xdg-open.
int openTextViewer(const std::string& file);
// The PDF reader: the given reader path when not empty, else $AVIARY_PDF_READER,
// else xdg-open.
int openPdfReader(const std::string& readerPath, const std::string& file);

std::vector<std::string> splitCommandLine(const std::string& commandLine);
// errno of a failed start -> WinExec reason.
int winExecReason(int err, const std::string& program);
LaunchHandler setLaunchHandler(LaunchHandler handler);

}  // namespace platform
