#include <kestrel/core/VersionList.h>

#include <kestrel/core/CDatabase.h>

#include <algorithm>
#include <filesystem>

namespace kestrel {

std::vector<std::string> availableVersions(std::string_view installDir)
{
    std::vector<std::string> versions;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(installDir) + "/tvk", ec)) {
        const std::string name = entry.path().filename().string();
        const std::string digits = CDatabase::versionDigits(name);
        if (digits.empty() || name != "RQ-" + digits + ".tvk") continue;
        versions.push_back(digits.substr(0, 2) + "." + digits.substr(2, 2));
    }
    std::sort(versions.begin(), versions.end());
    return versions;
}

platform::Notice noVersionNotice()
{
    return {"No database file for any software version was found.\nPlease connect to an inverter first and "
            "open a parameter list.",
            platform::MsgIcon::None};
}

std::string selectedVersionName(std::string_view version)
{
    std::string name = "RQ-";
    for (char c : version)
        if (c != '.') name += c;
    return name;
}

}  // namespace kestrel
