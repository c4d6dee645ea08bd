#include <platform/ShellSettings.h>

namespace platform {

namespace {
constexpr const char* kSettings = "Settings";
constexpr const char* kOptions = "Options";
}  // namespace

void loadSettings(const Profile& p, ShellSettings& s)
{
    s.appPath = p.getString(kSettings, "AppPath");
    s.readerPath = p.getString(kSettings, "ReaderPath");
    s.port = p.getInt(kSettings, "Port", 1);
    s.baud = p.getString(kSettings, "Baud");
    s.protocol = p.getString(kSettings, "Protocol");
    s.commPath = p.getInt(kSettings, "CommPath", 0);
    s.online = p.getInt(kSettings, "Online", 0);

    s.splash = p.getInt(kOptions, "Splash", 1) != 0;
    s.com = p.getInt(kOptions, "Com", 1) != 0;
    s.dummy = p.getInt(kOptions, "Dummy", 0) != 0;
}

bool saveSettings(Profile& p, const ShellSettings& s, bool optionsFlag)
{
    bool ok = p.writeString(kSettings, "AppPath", s.appPath);
    ok = p.writeString(kSettings, "ReaderPath", s.readerPath) && ok;
    ok = p.writeInt(kSettings, "Port", s.port) && ok;
    ok = p.writeString(kSettings, "Baud", s.baud) && ok;
    ok = p.writeString(kSettings, "Protocol", s.protocol) && ok;
    ok = p.writeInt(kSettings, "CommPath", s.commPath) && ok;
    ok = p.writeInt(kSettings, "Online", s.online) && ok;

    ok = p.writeInt(kOptions, "Splash", s.splash ? 1 : 0) && ok;
    ok = p.writeInt(kOptions, "Com", s.com ? 1 : 0) && ok;
    if (optionsFlag) ok = p.writeInt(kOptions, "Dummy", s.dummy ? 1 : 0) && ok;
    return ok;
}

}  // namespace platform
