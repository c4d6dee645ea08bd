#include <kestrel/shell/ShellSettings.h>

namespace kestrel {

namespace {
constexpr const char* kSettings = "Settings";
constexpr const char* kOptions = "Options";
constexpr const char* kTimes = "Times";
}  // namespace

void loadSettings(const platform::Profile& p, ShellSettings& s, TelegramSettings& t)
{
    s.appPath = p.getString(kSettings, "AppPath");
    s.readerPath = p.getString(kSettings, "ReaderPath");
    s.port = p.getInt(kSettings, "Port", 1);
    s.baud = p.getString(kSettings, "Baud");
    s.protocol = p.getString(kSettings, "Protocol");
    s.commPath = p.getInt(kSettings, "CommPath", 0);
    s.online = p.getInt(kSettings, "Online", 0);
    t.rtsMode = p.getInt(kSettings, "RTS", 0) != 0;

    s.splash = p.getInt(kOptions, "Splash", 1) != 0;
    s.com = p.getInt(kOptions, "Com", 1) != 0;
    t.debug = p.getInt(kOptions, "Debug", 0) != 0;
    s.ctim = p.getInt(kOptions, "CTim", 0) != 0;
    s.dummy = p.getInt(kOptions, "Dummy", 0) != 0;

    t.repeat = p.getInt(kTimes, "Repeat", 8);
    t.delayNak = p.getInt(kTimes, "DelayNAK", 1200);
    t.tRts = p.getInt(kTimes, "tRTS", 30);
    t.tWait = p.getInt(kTimes, "tWait", 50);
    t.tCycle = p.getInt(kTimes, "tCycle", 500);
}

bool saveSettings(platform::Profile& p, const ShellSettings& s, const TelegramSettings& t, bool optionsFlag)
{
    bool ok = p.writeString(kSettings, "AppPath", s.appPath);
    ok = p.writeString(kSettings, "ReaderPath", s.readerPath) && ok;
    ok = p.writeInt(kSettings, "Port", s.port) && ok;
    ok = p.writeString(kSettings, "Baud", s.baud) && ok;
    ok = p.writeString(kSettings, "Protocol", s.protocol) && ok;
    ok = p.writeInt(kSettings, "CommPath", s.commPath) && ok;
    ok = p.writeInt(kSettings, "Online", s.online) && ok;
    ok = p.writeInt(kSettings, "RTS", t.rtsMode ? 1 : 0) && ok;

    ok = p.writeInt(kOptions, "Splash", s.splash ? 1 : 0) && ok;
    ok = p.writeInt(kOptions, "Com", s.com ? 1 : 0) && ok;
    ok = p.writeInt(kOptions, "Debug", t.debug ? 1 : 0) && ok;
    ok = p.writeInt(kOptions, "CTim", s.ctim ? 1 : 0) && ok;
    if (optionsFlag) ok = p.writeInt(kOptions, "Dummy", s.dummy ? 1 : 0) && ok;

    ok = p.writeInt(kTimes, "Repeat", t.repeat) && ok;
    ok = p.writeInt(kTimes, "DelayNAK", t.delayNak) && ok;
    ok = p.writeInt(kTimes, "tRTS", t.tRts) && ok;
    ok = p.writeInt(kTimes, "tWait", t.tWait) && ok;
    ok = p.writeInt(kTimes, "tCycle", t.tCycle) && ok;
    return ok;
}

}  // namespace kestrel
