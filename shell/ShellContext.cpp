#include <shell/ShellContext.h>
#include <shell/ShellTexts.h>

#include <platform/MessageBox.h>
#include <plumage/plumage.h>

#include <algorithm>

namespace shell {

namespace {
constexpr size_t kRecentCount = 4;
constexpr const char* kRecentSection = "Recent File List";
}  // namespace

AppliedComm ShellContext::applySettings()
{
    applied_ = platform::applySettings(settings);
    commApplied(applied_);
    if (paneListener_) paneListener_(applied_);
    return applied_;
}

void ShellContext::setPortTestResult(int result)
{
    portTestResult = result;
    portTestChanged(result);
}

bool ShellContext::portUsable() const
{
    if (portTestResult != PortOtherDevice) return true;
    platform::showMessage(text::kOtherDevice);
    return false;
}

platform::Profile ShellContext::profile() { return platform::Profile(getCompanyName(), getSoftwareName()); }

void ShellContext::load()
{
    const platform::Profile p = profile();
    platform::loadSettings(p, settings);
    loadProgramSettings(p);
    recentFiles.clear();
    for (size_t i = 1; i <= kRecentCount; ++i) {
        const std::string f = p.getString(kRecentSection, "File" + std::to_string(i));
        if (!f.empty()) recentFiles.push_back(f);
    }
    settingsLoaded = true;
}

bool ShellContext::save()
{
    // A start that ended before the settings were read has nothing of its
    // own to write; saving then would overwrite the user's settings.
    if (!settingsLoaded) return true;
    platform::Profile p = profile();
    bool ok = platform::saveSettings(p, settings, optionsFlag);
    ok = saveProgramSettings(p) && ok;
    for (size_t i = 0; i < kRecentCount; ++i)
        ok = p.writeString(kRecentSection, "File" + std::to_string(i + 1), i < recentFiles.size() ? recentFiles[i] : "")
             && ok;
    return ok;
}

void ShellContext::addRecentFile(const std::string& path)
{
    recentFiles.erase(std::remove(recentFiles.begin(), recentFiles.end(), path), recentFiles.end());
    recentFiles.insert(recentFiles.begin(), path);
    if (recentFiles.size() > kRecentCount) recentFiles.resize(kRecentCount);
}

}  // namespace shell
