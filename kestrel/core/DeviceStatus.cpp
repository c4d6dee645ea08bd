#include <kestrel/core/DeviceStatus.h>

#include <kestrel/core/HexText.h>
#include <kestrel/core/KestrelState.h>

namespace kestrel {

char statusEntry(std::optional<std::string_view> statusText)
{
    if (!statusText) return '9';
    const auto word = parseHex4(*statusText);
    if (!word) return '9';
    const unsigned s = *word;
    const bool sioMode = (s & 0x2000) != 0 && (s & 0x0800) == 0;
    char digit = '5';
    if (!(s & 0x0001)) digit = '0';
    else if (!(s & 0x0004)) digit = '1';
    else if (s & 0x4000) digit = '2';
    else if (s & 0x0008) digit = '3';
    else if (s & 0x0020) digit = '4';
    return sioMode ? digit : static_cast<char>(digit + 17);
}

void DecodeStatusWord(int address, std::optional<std::string_view> statusText)
{
    if (address < 0 || address >= kAddressCount) return;
    state().deviceStatus[static_cast<std::size_t>(address)] = statusEntry(statusText);
}

std::string statusText(char entry)
{
    if (entry == '9') return "Communication Error !";
    static constexpr std::string_view kTexts[] = {"ERROR", "STOP", "Test Mode Active", "DC-Brake",
                                                  "Running in REV", "Running in FWD"};
    if (entry >= '0' && entry <= '5') return std::string(kTexts[entry - '0']);
    if (entry >= 'A' && entry <= 'F')
        return std::string(kTexts[entry - 'A']) + "  --  Not in SIO mode";
    return {};
}

std::string statusFieldText(const StatusField& field, char entry)
{
    if (!field.scanEnabled) return "Scanning OFF !";
    if (field.fileList) return "No device connected !";
    return statusText(entry);
}

}  // namespace kestrel
