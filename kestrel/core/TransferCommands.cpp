#include <kestrel/core/TransferCommands.h>

#include <kestrel/core/CWorkFile.h>
#include <kestrel/core/DeviceConnection.h>
#include <kestrel/core/HexText.h>
#include <kestrel/core/KestrelState.h>

#include <cstdio>
#include <filesystem>

namespace kestrel {

namespace fs = std::filesystem;
using platform::MsgIcon;

std::string uploadBackupPath()
{
    return state().installPath("/temp1");
}

bool BackupWorkingFile(const std::string& workPath)
{
    std::error_code ec;
    return fs::copy_file(workPath, uploadBackupPath(), fs::copy_options::overwrite_existing, ec);
}

bool RestoreWorkingFile(const std::string& workPath, bool uploadFailed)
{
    std::error_code ec;
    bool ok = true;
    if (uploadFailed)
        ok = fs::copy_file(uploadBackupPath(), workPath, fs::copy_options::overwrite_existing, ec);
    fs::remove(uploadBackupPath(), ec);
    return ok;
}

namespace {

// Reads one parameter with the port opened around it.
std::optional<std::string> readOnce(CTelegram& telegram, std::string_view number)
{
    telegram.WaitForPort();
    telegram.OpenPort(false);
    const bool ok = telegram.ReadParameter(number);
    telegram.ClosePort(false);
    if (!ok)
        return std::nullopt;
    return telegram.valueText();
}

}  // namespace

std::optional<platform::Notice> CheckListVersion(CTelegram& telegram, const std::string& workPath, ListTarget target)
{
    const auto version = readOnce(telegram, param::kSoftwareVersion.digits());
    if (!version)
        return platform::Notice{"Failed to establish connection with the selected device !", MsgIcon::Stop};
    const auto listVersion = CWorkFile(workPath).findValue(param::kSoftwareVersion.number());
    if (!listVersion || parseHex4(*version) != *listVersion)
        return platform::Notice{target == ListTarget::Upload ? "Version conflict !" : "Version Conflict !", MsgIcon::Stop};
    return std::nullopt;
}

DownloadTarget CheckDownloadTarget(CTelegram& telegram, const std::string& workPath)
{
    DownloadTarget t;
    const platform::Notice notResponding{"The inverter is not responding !", MsgIcon::Stop};
    const auto status = readOnce(telegram, param::kStatusWord.digits());
    if (!status) {
        t.notice = notResponding;
        return t;
    }
    if (status->size() < 4 || (*status)[3] != '1') {
        t.notice = platform::Notice{"The software requires the selected device to be in STOP condition for downloading databank",
                          MsgIcon::Stop};
        return t;
    }
    const auto deviceSet = readOnce(telegram, param::kParameterSet.digits());
    if (!deviceSet) {
        t.notice = notResponding;
        return t;
    }
    t.deviceSet = parseHex4(*deviceSet).value_or(0);
    t.listSet = CWorkFile(workPath).findValue(param::kParameterSet.number()).value_or(0);
    t.ok = true;
    return t;
}

std::string parameterSetConflictText(int listSet, int deviceSet)
{
    char buf[96];
    std::snprintf(buf, sizeof buf, "%s%d%s%d", "List Parameter Set - ", listSet, "\nDevice Parameter Set - ", deviceSet);
    return buf;
}

platform::Notice parameterSetChangeNotice(int set)
{
    return {"The active parameter set in the device will now be changed to - " + std::to_string(set)
                + "\nPlease wait a few seconds for the device to complete warm up.",
            MsgIcon::Information};
}

std::optional<platform::Notice> SwitchParameterSet(CTelegram& telegram, int set)
{
    if (set < 1 || set > 3)
        return platform::Notice{"Failed to change the parameter set value.\nDownload process will be aborted.", MsgIcon::Stop};
    telegram.WaitForPort();
    telegram.OpenPort(false);
    const bool ok = telegram.WriteParameter("00E9000" + std::to_string(set));
    telegram.ClosePort(false);
    if (!ok)
        return platform::Notice{"Failed to change the parameter set value.\nDownload process will be aborted.", MsgIcon::Stop};
    return std::nullopt;
}

}  // namespace kestrel
