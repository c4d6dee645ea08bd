#include <shell/HelpViewer.h>
#include <shell/ShellTexts.h>

#include <platform/MessageBox.h>
#include <platform/ProcessLauncher.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace shell {

namespace {

constexpr const char* kWindowsReader = "AcroRd32.exe";

bool isExecutableFile(const std::string& path)
{
    std::error_code ec;
    return fs::is_regular_file(path, ec) && access(path.c_str(), X_OK) == 0;
}

// File names in a directory with the given extension, in name order.
std::vector<std::string> filesWithExtension(const std::string& dir, const std::string& extension)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path& p = it->path();
        std::string ext = p.extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
        if (ext == extension && it->is_regular_file(ec)) names.push_back(p.filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

ReaderSearch ReaderSearch::system()
{
    return {{"/usr/bin", "/usr/local/bin", "/bin"},
            {"evince", "okular", "atril", "qpdfview", "zathura", "mupdf", "xpdf", "xdg-open"}};
}

bool readerPathUsable(const std::string& path)
{
    return (path.size() > 1 && path.find(kWindowsReader, 1) != std::string::npos) || isExecutableFile(path);
}

bool findReader(std::string& readerPath, const ReaderSearch& search)
{
    if (readerPathUsable(readerPath)) return true;
    for (const auto& dir : search.directories) {
        for (const auto& program : search.programs) {
            const std::string candidate = dir + "/" + program;
            if (isExecutableFile(candidate)) {
                readerPath = candidate;
                return true;
            }
        }
    }
    return false;
}

ReaderPathCheck checkReaderPath(const std::string& path)
{
    if (path.empty()) return ReaderPathCheck::Empty;
    if (path.find(kWindowsReader) != std::string::npos || isExecutableFile(path)) return ReaderPathCheck::Ok;
    return ReaderPathCheck::Invalid;
}

std::string helpDirectory(const std::string& installDir) { return installDir + "/Help/RHX,RQ 9000"; }
std::string databaseDirectory(const std::string& installDir) { return installDir + "/tvk"; }

SelectList buildSelectList(int mode, const std::string& installDir)
{
    SelectList list;
    if (mode == HelpFileList) {
        list.prompt = text::kHelpListPrompt;
        list.entries = filesWithExtension(helpDirectory(installDir), ".pdf");
        list.emptyMessage = std::string(text::kNoHelpFile) + installDir + "/Help directory.";
        return list;
    }
    list.prompt = text::kVersionListPrompt;
    for (const auto& name : filesWithExtension(databaseDirectory(installDir), ".tvk")) {
        const auto dash = name.find('-');
        // Only four digits after the dash name a version; anything else
        // would offer an entry that leads to no database.
        if (dash == std::string::npos || name.size() < dash + 5) continue;
        const std::string digits = name.substr(dash + 1, 4);
        if (!std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); })) continue;
        list.entries.push_back(digits.substr(0, 2) + "." + digits.substr(2, 2));
    }
    list.emptyMessage = text::kNoDatabase;
    return list;
}

std::string selectionFromEntry(int mode, const std::string& entry)
{
    if (mode == HelpFileList) return entry;
    std::string digits;
    for (char c : entry)
        if (c != '.') digits += c;
    return "RQ-" + digits;
}

HelpViewer::HelpViewer(HelpUi& ui, HelpState& state, std::string installDir, std::string& readerPath)
    : ui_(ui), state_(state), installDir_(std::move(installDir)), readerPath_(readerPath)
{
}

std::string HelpViewer::selectFromList(int mode)
{
    state_.selectionResult.clear();
    const SelectList list = buildSelectList(mode, installDir_);
    if (list.entries.empty()) {
        platform::showMessage(list.emptyMessage);
        return state_.selectionResult;
    }
    if (auto chosen = ui_.chooseFromList(list, state_.selectionPrompt))
        state_.selectionResult = selectionFromEntry(mode, *chosen);
    return state_.selectionResult;
}

bool HelpViewer::askReaderPath()
{
    if (ui_.askReaderPath(readerPath_)) return true;
    readerPath_.clear();
    state_.selectionResult.clear();
    return false;
}

int HelpViewer::viewHelp(const std::string& fileName)
{
    std::string file = fileName;
    std::error_code ec;
    if (!file.empty() && !fs::exists(helpDirectory(installDir_) + "/" + file, ec)) {
        if (platform::showMessage(file + text::kHelpFileMissing, platform::MsgIcon::None,
                                  platform::MsgButtons::YesNo) == platform::MsgAnswer::No)
            return 0;
        file.clear();
    }
    if (file.empty()) {
        state_.listMode = HelpFileList;
        state_.selectionPrompt = text::kSelectHelpFile;
        file = selectFromList(HelpFileList);
        if (file.empty()) return 0;
    }
    const int rc = platform::openPdfReader(readerPath_, helpDirectory(installDir_) + "/" + file);
    if (rc > 31) return 1;
    platform::showMessage("Error " + std::to_string(rc) + " occured!");
    return -1;
}

void HelpViewer::parameterHelp(const std::string& fileName)
{
    if (!findReader(readerPath_, search_) && !askReaderPath()) return;
    viewHelp(fileName);
}

}  // namespace shell
