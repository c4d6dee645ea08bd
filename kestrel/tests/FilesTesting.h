#pragma once
// Seams for the file tests: a message responder that fails the test on any
// unexpected message, scripted file-dialog answers, a scripted drive, and
// golden files under kestrel/tests/data.
#include "ListFixture.h"

#include <kestrel/core/ParameterLink.h>
#include <platform/ProcessLauncher.h>
#include <platform/testing/ScriptedFileDialogs.h>
#include <platform/testing/ScriptedResponder.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kestrel::testing {

// Texts of the file checks, written out here once so the tests do not take
// them from the code under test.
inline const char* kParCorrupt = "This parameter file is corrupted !";
inline const char* kCtmCorrupt = "This custom parameter file is corrupted !";
inline const char* kParDbCorrupt =
    "Database file corresponding to this list is corrupted !\nYou need to download the full databank again.";
inline const char* kCtmDbCorrupt =
    "Database file corresponding to this file is corrupted. You need to download full databank again.";

class Messages : public platform::testing::ScriptedResponder {
public:
    Messages() : ScriptedResponder([](const std::string& what) { ADD_FAILURE() << what; }) {}
};

// Answers the file dialogs in order; an unexpected dialog, or an answer
// left over, fails the test.
class Dialogs : public platform::testing::ScriptedFileDialogs {
public:
    Dialogs() : ScriptedFileDialogs([](const std::string& what) { ADD_FAILURE() << what; }) {}
};

// Records program starts instead of starting anything.
class Launches {
public:
    explicit Launches(int result = platform::kLaunchOk) : result_(result)
    {
        previous_ = platform::setLaunchHandler([this](const platform::LaunchRequest& r) {
            requests.push_back(r);
            return result_;
        });
    }
    ~Launches() { platform::setLaunchHandler(previous_); }
    std::vector<platform::LaunchRequest> requests;

private:
    int result_;
    platform::LaunchHandler previous_;
};

// A drive that answers reads from a table and records every telegram.
class ScriptedDrive : public ParameterLink {
public:
    std::map<std::string, Reply> replies;  // by requested number
    bool acknowledge = true;
    std::vector<std::string> sent;

    std::optional<Reply> read(std::string_view number) override
    {
        sent.push_back("R" + std::string(number));
        const auto it = replies.find(std::string(number));
        if (it == replies.end()) return std::nullopt;
        return it->second;
    }
    bool write(std::string_view text) override
    {
        sent.push_back("W" + std::string(text));
        return acknowledge;
    }
};

inline std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline bool exists(const std::string& path) { return std::filesystem::exists(path); }

// Replaces every occurrence (temporary install paths in golden text).
inline std::string replaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// Compares bytes with kestrel/tests/data/<name>. With AVIARY_UPDATE_GOLDEN=1
// the file is written instead (review the diff before committing it).
inline void expectGolden(const std::string& name, const std::string& bytes)
{
    const auto path = std::filesystem::path(AVIARY_SOURCE_DIR) / "kestrel/tests/data" / name;
    if (const char* update = std::getenv("AVIARY_UPDATE_GOLDEN"); update && std::string(update) == "1") {
        std::ofstream(path, std::ios::binary) << bytes;
        return;
    }
    ASSERT_TRUE(std::filesystem::exists(path)) << "golden file missing: " << path;
    const std::string golden = readBytes(path.string());
    EXPECT_EQ(bytes, golden) << "differs from " << path;
}

// An install directory holding the database of version 12.34, with the
// message seam scripted.
class CatalogueTest : public ::testing::Test {
protected:
    Install install;
    Messages messages;
    std::vector<TvkFields> cat = catalogue1234();
    std::string db = install.writeDatabase("1234", cat);
    std::string body = fullWorkBytes(cat);
};

}  // namespace kestrel::testing
