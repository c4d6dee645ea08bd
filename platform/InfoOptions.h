#pragma once
// "--help" and "--version" of a program, answered before any window opens:
// a user who asks what a program takes gets the text and the shell back.
// The slash words the programs read themselves ("/options") are left to them.
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class InfoOption { None, Help, Version };

// The first of "--help", "-h" or "--version" among the arguments (after the
// program name); None when there is none.
InfoOption findInfoOption(const std::vector<std::string>& args);

// Prints the usage text or "<program> (Aviary) <version>" to out when the
// arguments ask for it; the exit status then, nullopt when the program runs.
std::optional<int> answerInfoOption(int argc, char** argv, const std::string& program, const char* usage,
                                    std::FILE* out = stdout);

}  // namespace platform
