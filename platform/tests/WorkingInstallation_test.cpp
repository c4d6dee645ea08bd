#include <platform/WorkingInstallation.h>
#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;
using platform::testing::TempDir;
namespace fs = std::filesystem;

namespace {

// What a package installs: definition files, help, and the empty folders the
// programs write into.
void shipInstallation(const TempDir& shared)
{
    shared.write("DeviceData/LM3_Normal_V3.dpf", "definition");
    shared.write("Help/RHX,RQ 9000/RHX.pdf", "%PDF");
    fs::create_directories(shared.file("tvk"));
    fs::create_directories(shared.file("parameter"));
}

}  // namespace

TEST(WorkingInstallation, AUsersOwnInstallationIsUsedAsItIs)
{
    TempDir shared, home;
    shipInstallation(shared);
    EXPECT_EQ(workingInstallation(shared.path(), home.file("mirror")), shared.path());
    EXPECT_FALSE(fs::exists(home.file("mirror")));
    EXPECT_EQ(workingInstallation("", home.file("mirror")), "");
}

TEST(WorkingInstallation, MirrorShowsTheShippedFilesAndKeepsTheUsersOwn)
{
    TempDir shared, home;
    shipInstallation(shared);
    const std::string user = home.file("aviary");
    home.write("aviary/DeviceData/LM3_Normal_V3.dpf", "the user's own edition");
    home.write("aviary/parameter/mine.par", "user data");
    // Left by someone who ran a program in the shared directory itself.
    shared.write("Receive.txt", "someone else's log");
    shared.write("netlist.cfg", "someone else's drives");

    ASSERT_TRUE(mirrorInstallation(shared.path() + "/", user));
    // Shipped files read through the mirror; the folders the programs write into are real.
    EXPECT_EQ(home.read("aviary/Help/RHX,RQ 9000/RHX.pdf"), "%PDF");
    EXPECT_TRUE(fs::is_symlink(home.file("aviary/Help/RHX,RQ 9000/RHX.pdf")));
    EXPECT_TRUE(fs::is_directory(fs::symlink_status(home.file("aviary/tvk"))));
    home.write("aviary/tvk/RQ-1808.tvk", "uploaded");
    EXPECT_FALSE(fs::exists(shared.file("tvk/RQ-1808.tvk")));
    EXPECT_EQ(home.read("aviary/DeviceData/LM3_Normal_V3.dpf"), "the user's own edition");
    EXPECT_FALSE(fs::exists(fs::symlink_status(home.file("aviary/Receive.txt"))));
    EXPECT_FALSE(fs::exists(fs::symlink_status(home.file("aviary/netlist.cfg"))));

    // A package update: a file goes, another comes; the user's files stay.
    fs::remove(shared.file("Help/RHX,RQ 9000/RHX.pdf"));
    shared.write("DeviceData/LT4_Vexal_V2.dpf", "new drive");
    ASSERT_TRUE(mirrorInstallation(shared.path(), user));
    EXPECT_FALSE(fs::exists(fs::symlink_status(home.file("aviary/Help/RHX,RQ 9000/RHX.pdf"))));
    EXPECT_EQ(home.read("aviary/DeviceData/LT4_Vexal_V2.dpf"), "new drive");
    EXPECT_EQ(home.read("aviary/parameter/mine.par"), "user data");
    EXPECT_EQ(home.read("aviary/tvk/RQ-1808.tvk"), "uploaded");
}

TEST(WorkingInstallation, MirrorRefusesPlacesItCannotUse)
{
    TempDir shared, home;
    shipInstallation(shared);
    EXPECT_FALSE(mirrorInstallation(shared.path(), shared.file("DeviceData/inner")));
    EXPECT_FALSE(mirrorInstallation(shared.path(), shared.path()));
    EXPECT_FALSE(mirrorInstallation(shared.file("DeviceData"), shared.path()));
    EXPECT_FALSE(mirrorInstallation(home.file("missing"), home.file("aviary")));
    EXPECT_FALSE(mirrorInstallation(shared.path(), "/proc/no/such/place"));
    EXPECT_FALSE(fs::exists(shared.file("DeviceData/inner")));
}

TEST(WorkingInstallation, ASharedInstallationThisUserCannotWriteIsMirrored)
{
    TempDir shared, home;
    shipInstallation(shared);
    // Root may write anywhere, so the question is answered here; run as a
    // user who is not root, the real access check answers it too.
    std::vector<std::string> asked;
    const std::string working = workingInstallation(shared.path(), home.file("aviary"), [&](const std::string& dir) {
        asked.push_back(dir);
        return false;
    });
    EXPECT_EQ(asked, std::vector<std::string>{shared.path()});
    EXPECT_EQ(working, home.file("aviary"));
    EXPECT_EQ(home.read("aviary/DeviceData/LM3_Normal_V3.dpf"), "definition");
    EXPECT_TRUE(fs::is_symlink(home.file("aviary/DeviceData/LM3_Normal_V3.dpf")));

    if (geteuid() != 0) {
        TempDir locked, other;
        shipInstallation(locked);
        ASSERT_EQ(chmod(locked.path().c_str(), 0555), 0);
        const std::string mirrored = workingInstallation(locked.path(), other.file("aviary"));
        chmod(locked.path().c_str(), 0755);
        EXPECT_EQ(mirrored, other.file("aviary"));
    }
}

TEST(WorkingInstallation, ToolsFindTheDataBesideThemOrInTheirPrefix)
{
    TempDir tree;
    // The build tree: data beside the programs.
    tree.write("build/bin/DeviceData/LM3_Normal_V3.dpf", "definition");
    EXPECT_EQ(programInstallation(tree.file("build/bin")), tree.file("build/bin"));
    // An installation: bin/ beside share/aviary.
    fs::create_directories(tree.file("prefix/bin"));
    fs::create_directories(tree.file("prefix/share/aviary/DeviceData"));
    EXPECT_EQ(programInstallation(tree.file("prefix/bin")), tree.file("prefix/share/aviary"));
    EXPECT_EQ(programInstallation(tree.file("prefix/bin/")), tree.file("prefix/share/aviary"));
    // Neither: the program's own directory, where a clear "not found" follows.
    fs::create_directories(tree.file("loose"));
    EXPECT_EQ(programInstallation(tree.file("loose")), tree.file("loose"));
}
