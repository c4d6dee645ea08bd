#include <kestrel/shell/InstallLocator.h>
#include <kestrel/shell/ShellContext.h>
#include <kestrel/shell/ShellTexts.h>
#include <kestrel/shell/StartupSequence.h>

#include <platform/MessageBox.h>
#include <plumage/plumage.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace kestrel {

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
    context_.process().installDir = *found.installDir;
    return true;
}

void StartupSequence::finish(const StartupOptions& options)
{
    KestrelState& s = context_.process();
    // Without its log the program still works; the debug lines are then lost.
    if (!s.log.open(s.installDir + "/Receive.txt"))
        std::fprintf(stderr, "Receive.txt: %s\n", std::strerror(errno));
    s.windowPresence.assign(kAddressCount, '0');
    s.deviceStatus.assign(kAddressCount, '0');
    if (options.cleanLeftovers) removeLeftovers(s.installDir);
    if (chdir(s.installDir.c_str()) != 0)
        std::fprintf(stderr, "%s: %s\n", s.installDir.c_str(), std::strerror(errno));
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

}  // namespace kestrel
