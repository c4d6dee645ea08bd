#include <shell/InstallLocator.h>
#include <shell/ShellContext.h>
#include <shell/ShellTexts.h>
#include <shell/StartupSequence.h>

#include <platform/MessageBox.h>
#include <plumage/plumage.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace shell {

StartupSequence::StartupSequence(ShellContext& context, StartupUi& ui, platform::SingleInstance& instance)
    : context_(context), ui_(ui), instance_(instance)
{
}

std::string StartupSequence::baseName(const std::string& path)
{
    return fs::path(path).stem().string();
}

StartupEnd StartupSequence::run(const StartupOptions& options)
{
    if (!instance_.acquire()) return StartupEnd::OtherInstance;
    if (options.startupCheck) {
        if (const std::string failure = options.startupCheck(); !failure.empty()) {
            platform::showMessage(failure, platform::MsgIcon::Stop);
            return StartupEnd::CheckFailed;
        }
    }
    context_.load();
    if (context_.settings.splash && !ui_.showStartupDialog()) return StartupEnd::Declined;
    if (!ui_.createMainFrame()) return StartupEnd::FrameFailed;

    context_.optionsFlag = options.commandLine == "/options";
    context_.settings.dummy = context_.optionsFlag;
    if (!context_.optionsFlag) ui_.removeOptionsMenu();
    ui_.showMainFrameMaximized();
    context_.settings.appPath = baseName(options.executablePath);

    if (!prepareInstallation()) {
        ui_.destroyMainFrame();
        return StartupEnd::NoInstallation;
    }
    if (context_.settings.com) {
        if (!ui_.showCommDialogAtStart()) {
            ui_.destroyMainFrame();
            return StartupEnd::NoPort;
        }
    } else {
        context_.applySettings();
    }
    finish(options);
    return StartupEnd::Started;
}

bool StartupSequence::prepareInstallation()
{
    const InstallLookup found = findInstallDirectory(platform::RegistryStore::instance(), getCompanyName());
    if (!found.installDir) {
        platform::showMessage(text::kRegistryMissing, platform::MsgIcon::Stop);
        return false;
    }
    context_.installDir = *found.installDir;
    return true;
}

void StartupSequence::finish(const StartupOptions& options)
{
    const std::string& dir = context_.installDir;
    context_.started();
    if (options.cleanLeftovers) removeLeftovers(dir);
    if (chdir(dir.c_str()) != 0) std::fprintf(stderr, "%s: %s\n", dir.c_str(), std::strerror(errno));
}

int StartupSequence::removeLeftovers(const std::string& installDir)
{
    int removed = 0;
    const std::pair<const char*, const char*> kinds[] = {{"/parameter", ".~pa"}, {"/custom", ".~ct"}};
    for (const auto& [dir, extension] : kinds) {
        std::vector<fs::path> stale;
        std::error_code ec;
        for (fs::directory_iterator it(installDir + dir, ec), end; !ec && it != end; it.increment(ec))
            if (it->path().extension() == extension) stale.push_back(it->path());
        for (const auto& p : stale) {
            std::error_code rm;
            if (fs::remove(p, rm)) ++removed;
        }
    }
    return removed;
}

void StartupSequence::exit()
{
    if (exited_) return;
    exited_ = true;
    context_.save();
}

}  // namespace shell
