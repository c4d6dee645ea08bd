#include <platform/AtomicFile.h>
#include <platform/RegistryStore.h>
#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>
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

TEST(AtomicFile, TheNewFileReachesTheDiskBeforeItsRenameAndTheFolderAfter)
{
    TempDir dir;
    const std::string target = dir.write("HKCU.ini", "[old]\n");
    // What each step saw: the synced file's content at that moment, or the rename.
    std::vector<std::string> steps;
    AtomicFile::SyncCalls calls = AtomicFile::SyncCalls::system();
    calls.fsync = [&](int fd) {
        struct stat st {};
        EXPECT_EQ(::fstat(fd, &st), 0);
        if (S_ISDIR(st.st_mode)) {
            steps.push_back("sync folder");
        } else {
            std::string bytes(static_cast<size_t>(st.st_size), '\0');
            EXPECT_EQ(::pread(fd, bytes.data(), bytes.size(), 0), ssize_t(bytes.size()));
            steps.push_back("sync file " + bytes);
        }
        return ::fsync(fd);
    };
    calls.rename = [&](const char* from, const char* to) {
        EXPECT_EQ(std::string(to), target);
        steps.push_back("rename");
        return ::rename(from, to);
    };

    ASSERT_FALSE(AtomicFile::replace(target, "[new]\n", calls));
    EXPECT_EQ(steps, (std::vector<std::string>{"sync file [new]\n", "rename", "sync folder"}));
    EXPECT_EQ(dir.read("HKCU.ini"), "[new]\n");

    // A sync that fails stops the replace before the old file is touched.
    steps.clear();
    calls.fsync = [&](int) {
        errno = EIO;
        return -1;
    };
    EXPECT_EQ(AtomicFile::replace(target, "[lost]\n", calls), std::errc::io_error);
    EXPECT_TRUE(steps.empty()) << "renamed after a failed sync";
    EXPECT_EQ(dir.read("HKCU.ini"), "[new]\n");
    EXPECT_TRUE(othersIn(dir.path(), {"HKCU.ini"}).empty());
}
