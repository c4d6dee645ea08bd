#include <platform/InfoOptions.h>

#include <AviaryVersion.h>

namespace platform {

InfoOption findInfoOption(const std::vector<std::string>& args)
{
    for (size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h")
            return InfoOption::Help;
        if (args[i] == "--version")
            return InfoOption::Version;
    }
    return InfoOption::None;
}

std::optional<int> answerInfoOption(int argc, char** argv, const std::string& program, const char* usage,
                                    std::FILE* out)
{
    const InfoOption option = findInfoOption(std::vector<std::string>(argv, argv + argc));
    if (option == InfoOption::None)
        return std::nullopt;
    const int written = option == InfoOption::Help ? std::fputs(usage, out)
                                                   : std::fprintf(out, "%s (Aviary) %s\n", program.c_str(), aviary::kVersion);
    // A closed or full output (a pipe gone) is an error the caller's shell sees.
    return written < 0 || std::fflush(out) != 0 ? 1 : 0;
}

}  // namespace platform
