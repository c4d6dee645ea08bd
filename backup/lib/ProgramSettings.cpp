#include <backup/lib/ProgramSettings.h>

#include <merlin/link/LinkProfile.h>
#include <plumage/plumage.h>
#include <platform/CommSettings.h>
#include <platform/ShellSettings.h>

namespace backup {

KestrelLine kestrelLineFromProfile(const platform::Profile& p)
{
    platform::ShellSettings shellSettings;
    platform::loadSettings(p, shellSettings);
    const platform::AppliedComm comm = platform::applySettings(shellSettings);
    KestrelLine line;
    line.port = comm.portNumber;
    // A profile that never had its baud rate chosen leaves the program's default.
    line.commSettings = platform::baudPart(shellSettings.baud).empty()
                            ? "9600," + platform::formatPart(shellSettings.protocol)
                            : comm.settingsString;
    line.rtsMode = p.getInt("Settings", "RTS", 0) != 0;
    line.repeat = p.getInt("Times", "Repeat", line.repeat);
    line.delayNak = p.getInt("Times", "DelayNAK", line.delayNak);
    line.tRts = p.getInt("Times", "tRTS", line.tRts);
    line.tWait = p.getInt("Times", "tWait", line.tWait);
    return line;
}

merlin::LinkSettings merlinLinkFromProfile(const platform::Profile& p) { return merlin::loadLinkSettings(p); }

platform::Profile kestrelProfile() { return platform::Profile(getCompanyName(), "Kestrel"); }
platform::Profile merlinProfile() { return platform::Profile(getCompanyName(), "Merlin"); }

}  // namespace backup
