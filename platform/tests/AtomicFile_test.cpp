#include <platform/AtomicFile.h>
#include <platform/RegistryStore.h>
#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using platform::AtomicFile;
using platform::Hive;
using platform::RegistryStore;
using platform::testing::TempDir;
namespace fs = std::filesystem;

namespace {

// Everything in the folder except the named files: leftovers of a write.
std::vector<std::string> othersIn(const std::string& dir, const std::vector<std::string>& expected)
{
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string name = e.path().filename().string();
        if (std::find(expected.begin(), expected.end(), name) == expected.end()) out.push_back(name);
    }
    return out;
}

}  // namespace

TEST(AtomicFile, ReplacesByRenameSoTheOldInodeKeepsItsContent)
{
    TempDir dir;
    const std::string target = dir.write("motor.par", "old bytes, longer than the new ones");
    ASSERT_EQ(::chmod(target.c_str(), 0600), 0);
    // A second name of the old file: a write in place would show through it.
    ASSERT_EQ(::link(target.c_str(), dir.file("other-name").c_str()), 0);

    ASSERT_FALSE(AtomicFile::replace(target, std::string("new\0bytes", 9)));

    EXPECT_EQ(dir.read("motor.par"), std::string("new\0bytes", 9));
    EXPECT_EQ(dir.read("other-name"), "old bytes, longer than the new ones");
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u) << "the permissions of the replaced file carry over";
    EXPECT_TRUE(othersIn(dir.path(), {"motor.par", "other-name"}).empty());

    // A new file, and an empty content, are plain cases of the same.
    ASSERT_FALSE(AtomicFile::replace(dir.file("new.txt"), ""));
    EXPECT_TRUE(fs::exists(dir.file("new.txt")));
    EXPECT_EQ(fs::file_size(dir.file("new.txt")), 0u);
}

TEST(AtomicFile, AFailedReplaceReportsTheErrorAndLeavesNothingBehind)
{
    TempDir dir;
    // The target is a folder with content: the rename at the end must fail.
    dir.write("busy/keep.txt", "kept");
    const std::error_code err = AtomicFile::replace(dir.file("busy"), "bytes");
    EXPECT_TRUE(err);
    EXPECT_EQ(dir.read("busy/keep.txt"), "kept");
    EXPECT_TRUE(othersIn(dir.path(), {"busy"}).empty()) << "the temporary file was removed";

    // A folder that does not exist fails at the first step.
    EXPECT_EQ(AtomicFile::replace(dir.file("missing/x.par"), "bytes"), std::errc::no_such_file_or_directory);
}

TEST(AtomicFile, TheSettingsStoreNeverRewritesItsFileInPlace)
{
    TempDir dir;
    RegistryStore reg(dir.path());
    const std::string key = "Software\\Aviary Drives\\Kestrel\\Settings";
    ASSERT_TRUE(reg.setDword(Hive::CurrentUser, key, "Port", 1));
    const std::string hive = reg.hiveFile(Hive::CurrentUser);
    const std::string before = dir.read("HKCU.ini");
    ASSERT_EQ(::link(hive.c_str(), dir.file("snapshot").c_str()), 0);

    ASSERT_TRUE(reg.setDword(Hive::CurrentUser, key, "Port", 4));

    EXPECT_EQ(reg.getDword(Hive::CurrentUser, key, "Port"), 4u);
    EXPECT_EQ(dir.read("snapshot"), before) << "the settings file was truncated and rewritten in place";
    EXPECT_TRUE(othersIn(dir.path(), {"HKCU.ini", "HKCU.ini.lock", "snapshot"}).empty());
}
