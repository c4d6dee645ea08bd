#include <platform/CommandLine.h>

namespace platform {

std::vector<CommandLineItem> splitCommandLine(int argc, char* const* argv, const std::set<std::string>& valued)
{
    std::vector<CommandLineItem> items;
    for (int i = 1; i < argc; ++i) {
        CommandLineItem item{argv[i], std::nullopt};
        const size_t equals = item.name.find('=');
        if (item.name.rfind("--", 0) == 0 && equals != std::string::npos && valued.count(item.name.substr(0, equals))) {
            item.value = item.name.substr(equals + 1);
            item.name.resize(equals);
        } else if (valued.count(item.name) && i + 1 < argc) {
            item.value = argv[++i];
        }
        items.push_back(std::move(item));
    }
    return items;
}

}  // namespace platform
