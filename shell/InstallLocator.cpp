#include <shell/InstallLocator.h>

#include <platform/WorkingInstallation.h>

#include <array>

namespace shell {

using platform::Hive;

std::string withoutTrailingSeparator(std::string path)
{
    if (!path.empty() && (path.back() == '/' || path.back() == '\\')) path.pop_back();
    return path;
}

InstallLookup findInstallDirectory(platform::RegistryStore& store, const std::string& company)
{
    const std::array<std::string, 4> levels = {"SOFTWARE", company, "Aviary", kCurrentVersion};
    std::string opened;  // deepest key path that opened
    size_t depth = 0;
    for (; depth < levels.size(); ++depth) {
        const std::string next = opened.empty() ? levels[depth] : opened + "\\" + levels[depth];
        if (!store.keyExists(Hive::LocalMachine, next)) break;
        opened = next;
    }
    InstallLookup result;
    if (depth == levels.size()) {
        result.installDir = store.getString(Hive::LocalMachine, opened, "InstallPath");
    } else {
        // The previous version's key beside the level that did not open.
        const std::string previous = (opened.empty() ? "" : opened + "\\") + kPreviousVersion;
        result.installDir = store.getString(Hive::LocalMachine, previous, "InstallPath");
        if (result.installDir && !result.installDir->empty()) {
            const std::string current = (opened.empty() ? "" : opened + "\\") + kCurrentVersion;
            store.setString(Hive::LocalMachine, current, "InstallPath", *result.installDir);
            result.migrated = true;
        }
    }
    // An empty value would put every data file at the file-system root.
    if (result.installDir && result.installDir->empty()) result.installDir.reset();
    if (result.installDir) result.installDir = withoutTrailingSeparator(*result.installDir);
    // Users of a system-wide installation cannot write below it: they work in a mirror.
    if (result.installDir) result.installDir = platform::workingInstallation(*result.installDir);
    return result;
}

}  // namespace shell
