#include <kestrel/core/DeviceConnection.h>

#include <kestrel/core/CDeviceTable.h>
#include <kestrel/core/CWorkFile.h>
#include <kestrel/core/DatabaseReader.h>
#include <kestrel/core/HexText.h>
#include <kestrel/core/KestrelState.h>
#include <kestrel/core/ParameterNumbers.h>
#include <kestrel/core/TvkRecord.h>

#include <filesystem>
#include <fstream>

namespace kestrel {

namespace {

constexpr unsigned kLastUnsupportedVersion = 0x070E;  // 1806

DatabaseCheck noConnection(CTelegram& telegram, const char* text)
{
    telegram.ClosePort(false);
    return {DatabaseCheck::NoConnection, platform::Notice{text, platform::MsgIcon::Stop}};
}

int databaseState(const std::string& path)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec)
        return DatabaseCheck::Missing;
    if (size < 4) {
        std::filesystem::remove(path, ec);
        return DatabaseCheck::Missing;
    }
    std::ifstream in(path, std::ios::binary);
    char tail[4] = {};
    in.seekg(static_cast<std::streamoff>(size - 4));
    if (!in.read(tail, 4))
        return DatabaseCheck::Missing;
    return std::string_view(tail, 4) == TvkRecord::kEndNumber ? DatabaseCheck::Complete : DatabaseCheck::Missing;
}

}  // namespace

DatabaseCheck CheckDatabase(CTelegram& telegram)
{
    KestrelState& s = state();
    telegram.WaitForPort();
    telegram.OpenPort(false);
    telegram.SetRepeat(10);
    if (!telegram.ReadParameter(param::kRecordCount.digits()))
        return noConnection(telegram, kNoConnectionText);
    if (!telegram.ReadParameter(param::kSoftwareVersion.digits()))
        return noConnection(telegram, kNoVersionText);
    const auto version = parseHex4(telegram.valueText());
    if (!version || *version <= kLastUnsupportedVersion)
        return noConnection(telegram, kNoVersionText);
    telegram.ResetRepeat();
    telegram.ClosePort(false);
    s.operationInProgress = false;
    s.databaseFileName = "/tvk/RQ-" + std::to_string(*version) + ".tvk";
    return {databaseState(s.installPath(s.databaseFileName)), std::nullopt};
}

std::string MakeWorkingFile(const std::string& databasePath)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(databasePath, ec))
        return {};
    const KestrelState& s = state();
    const std::string path = CWorkFile::onlinePath(s.installDir, s.currentAddress);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        return {};
    for (DatabaseReader db(databasePath); db.atRecord(); db.advance()) {
        const TvkRecord& r = db.record();
        out << r.numberText() << r.valueText() << "\r\n";
    }
    out.close();
    return out ? path : std::string();
}

KeypadQuery KeypadChangeQuery(CTelegram& telegram)
{
    telegram.WaitForPort();
    telegram.OpenPort(false);
    const bool ok = telegram.ReadParameter(param::kChangedQuery.digits());
    telegram.ClosePort(false);
    KeypadQuery q;
    if (!ok) {
        q.notice = platform::Notice{"Device not responding !", platform::MsgIcon::Stop};
        return q;
    }
    const std::string& number = telegram.paramNo();
    if (number == "0000") {
        q.result = KeypadQuery::NothingChanged;
    } else if (number == param::kChangedSeveral.digits()) {
        q.result = KeypadQuery::SeveralChanged;
    } else {
        q.result = KeypadQuery::OneChanged;
        q.changedNumber = number;
    }
    return q;
}

SelectionCheck SelectDevice(CTelegram& telegram, const std::string& address)
{
    KestrelState& s = state();
    s.currentAddress = address;
    SelectionCheck c;
    if (s.operationInProgress)
        return c;
    s.operationInProgress = true;
    telegram.OpenPort(false);
    const bool present = telegram.ReadParameter(param::kRecordCount.digits());
    if (present)
        telegram.ReadParameter(param::kErrorRegister.digits());
    telegram.ClosePort(false);
    s.operationInProgress = false;
    if (!present) {
        c.notice = platform::Notice{kNoConnectionText, platform::MsgIcon::Stop};
        s.currentAddress.clear();
        return c;
    }
    DeviceTitleResult title = DeviceTitle(address);
    s.deviceTitle = title.title;
    c.notice = title.notice;
    c.selected = true;
    return c;
}

}  // namespace kestrel
