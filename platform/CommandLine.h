#pragma once
// A command line as its options and words, read alike by every program of
// the suite: "--name value" and "--name=value" for an option that takes a
// value, "--flag" for one that does not, anything else a word. Each program
// keeps its own table of options and its own messages; this only splits.
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace platform {

struct CommandLineItem {
    std::string name;                  // the option ("--baud", its "=..." split off) or the word
    std::optional<std::string> value;  // a valued option's value; nullopt when the line ends first
    // "-h", "--json", "--bogus=1"; not "-" nor a word.
    bool isOption() const { return name.size() > 1 && name[0] == '-'; }
};

// The items after argv[0]. `valued` names the options that take a value;
// an option not named there keeps any "=..." in its name, so "--force=1"
// is an unknown option rather than a flag with a value nobody reads.
std::vector<CommandLineItem> splitCommandLine(int argc, char* const* argv, const std::set<std::string>& valued);

}  // namespace platform
