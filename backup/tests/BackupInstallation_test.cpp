// Which installation a run works in: a folder that is no installation is
// refused and left as it was (never made into one), and a system
// installation is used through the user's working copy, whoever runs.
#include <backup/lib/BackupInstallation.h>

#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace backup {
namespace {

namespace fs = std::filesystem;

TEST(BackupInstallation, AFolderThatIsNoInstallationIsRefusedAndNotMade)
{
    platform::testing::TempDir root, user;
    const std::string missing = root.path() + "/typo/aviary";
    InstallationChoice c = chooseInstallation(missing, "kestrel", root.path(), user.path() + "/aviary");
    EXPECT_EQ(c.dir, "");
    EXPECT_NE(c.error.find("no installation at " + missing), std::string::npos) << c.error;
    EXPECT_FALSE(fs::exists(root.path() + "/typo"));

    // A folder of something else: each family needs its own data.
    const std::string other = root.path() + "/documents";
    fs::create_directory(other);
    c = chooseInstallation(other, "merlin", root.path(), user.path() + "/aviary");
    EXPECT_EQ(c.dir, "");
    EXPECT_NE(c.error.find("has no DeviceData folder"), std::string::npos) << c.error;
    EXPECT_TRUE(fs::is_empty(other));
    root.write("documents/tvk/RQ-1808.tvk", "");
    EXPECT_EQ(chooseInstallation(other, "kestrel", root.path(), user.path() + "/aviary").dir, other);
    EXPECT_EQ(chooseInstallation(other, "merlin", root.path(), user.path() + "/aviary").dir, "");
}

TEST(BackupInstallation, AnInstalledProgramsDataIsUsedThroughTheUsersCopy)
{
    // <prefix>/bin/aviary-backup with its data in <prefix>/share/aviary, as a
    // package installs it. Whether the user may write there (root may) does
    // not matter: the shipped folder is never written to.
    platform::testing::TempDir prefix, home;
    const std::string bin = prefix.path() + "/bin", shared = prefix.path() + "/share/aviary";
    fs::create_directories(bin);
    prefix.write("share/aviary/tvk/RQ-1808.tvk", "catalogue");
    prefix.write("share/aviary/DeviceData/LM3.dpf", "definition");
    const std::string user = home.path() + "/.local/share/aviary";
    for (const std::string& given : {std::string(), shared}) {
        const InstallationChoice c = chooseInstallation(given, "kestrel", bin, user);
        EXPECT_EQ(c.dir, user) << c.error;
        EXPECT_TRUE(fs::is_symlink(user + "/tvk/RQ-1808.tvk"));
    }
    EXPECT_EQ(chooseInstallation("", "merlin", bin, user).dir, user);

    // A build tree keeps its data beside the program: that is the user's own.
    platform::testing::TempDir tree;
    tree.write("bin/DeviceData/LM3.dpf", "definition");
    EXPECT_EQ(chooseInstallation("", "merlin", tree.path() + "/bin", user).dir, tree.path() + "/bin");
}

}  // namespace
}  // namespace backup
