#include <wren/ui/FamilyStarter.h>

#include <platform/MessageBox.h>
#include <platform/ProcessLauncher.h>

#include <cstdio>

namespace wren {

std::string programDirectory(const std::string& programPath)
{
    const auto slash = programPath.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : programPath.substr(0, slash);
}

std::string programFile(int family)
{
    switch (family) {
    case RhxFamily: return "kestrel";
    case Lm3Family: return "merlin";
    default: return {};
    }
}

std::string reasonText(int result)
{
    switch (result) {
    case 0: return "Out of Memory";
    case 2: return "The specified file was not found";
    case 3: return "The specified path was not found";
    case 11: return "Bad EXE-Format";
    default: return {};
    }
}

std::string failureMessage(const std::string& file, int result)
{
    const std::string reason = reasonText(result);
    char text[512];
    std::snprintf(text, sizeof text, "Error executing '%s'   \n%s !    ", file.c_str(), reason.c_str());
    return text;
}

int startFamily(const std::string& programDir, int family)
{
    const std::string file = programFile(family);
    if (file.empty()) return -1;
    // Quoted, so an installation directory with blanks still names one file.
    const int result = platform::winExec("\"" + programDir + "/" + file + "\"");
    if (result < 32)
        platform::showMessageCaption(kCaption, failureMessage(file, result), platform::MsgIcon::Stop);
    return result;
}

}  // namespace wren
