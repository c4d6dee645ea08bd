#include <tern/server/ServerStrings.h>

namespace tern::server {

namespace {

struct StringResource {
    unsigned id;
    const char* text;
};

constexpr StringResource kStrings[] = {
    {100, "Tern"},
    {101, "Connection not opened"},
    {102, "This property or method must be called only for local connection"},
    {103, "This property or method must be called only for remote connection"},
    {104, "TYPE MISMACTH Error"},
    {105, "Error building  Array "},
};

}  // namespace

std::optional<std::string> LoadString(unsigned id)
{
    for (const auto& s : kStrings)
        if (s.id == id) return std::string(s.text);
    return std::nullopt;
}

std::string usageErrorText(uint16_t code)
{
    // Usage error 0x9000 + n has string resource 100 + n.
    if (code > 0x9000 && code < 0x9100)
        if (auto text = LoadString(100u + (code - 0x9000u))) return *text;
    return "Unknown Error";
}

}  // namespace tern::server
