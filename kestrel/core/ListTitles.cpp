#include <kestrel/core/ListTitles.h>

#include <kestrel/core/CDatabase.h>

namespace kestrel {

namespace {
constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
}

std::string windowLetterCode(int n)
{
    if (n < 0) n = 0;
    if (n < 26) return std::string(" ") + kLetters[static_cast<std::size_t>(n)];
    // The first letter runs through the 52 letters; beyond that the codes
    // start again rather than reading past the table.
    const auto first = static_cast<std::size_t>(n / 26 - 1) % kLetters.size();
    return std::string(1, kLetters[first]) + kLetters[static_cast<std::size_t>(n % 26)];
}

std::string listTitle(bool customList, int n)
{
    return (customList ? "CUSTOM LIST " : "LIST ") + windowLetterCode(n);
}

std::string windowTitle(std::string_view listTitle, std::string_view address,
                        std::string_view deviceName, std::string_view filePath)
{
    std::string title(listTitle);
    if (!address.empty())
        title += " -- Addr. " + std::string(address) + " " + std::string(deviceName);
    else
        title += " -- " + std::string(filePath);
    return title;
}

std::string listVersionText(std::string_view databaseFileName)
{
    return CDatabase::versionText(databaseFileName);
}

}  // namespace kestrel
