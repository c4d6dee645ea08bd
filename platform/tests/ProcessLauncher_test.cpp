#include <platform/ProcessLauncher.h>
#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sys/stat.h>
#include <thread>

using namespace platform;
using platform::testing::TempDir;

TEST(ProcessLauncher, StartFailuresGiveTheWindowsReasons)
{
    TempDir dir;
    // A missing program in an existing directory, and in a missing one.
    EXPECT_EQ(winExec(dir.file("merlin")), 2);
    EXPECT_EQ(winExec(dir.file("nodir/merlin")), 3);
    // Executable bit but not a program: bad format.
    const std::string junk = dir.write("junk", "\x01\x02 this is no program");
    chmod(junk.c_str(), 0755);
    EXPECT_EQ(winExec(junk), 11);
    // Not executable at all.
    const std::string plain = dir.write("plain", "#!/bin/sh\n");
    chmod(plain.c_str(), 0644);
    EXPECT_EQ(winExec(plain), 5);
    EXPECT_EQ(winExec(""), 2);
}

TEST(ProcessLauncher, StartsAProgramWithItsArguments)
{
    TempDir dir;
    const std::string script = dir.write("prog", "#!/bin/sh\necho \"$1|$2\" > \"$3\"\n");
    chmod(script.c_str(), 0755);
    const std::string out = dir.file("out.txt");
    EXPECT_GT(winExec("\"" + script + "\" a \"b c\" " + out), 31);
    for (int i = 0; i < 200 && dir.read("out.txt").empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(dir.read("out.txt"), "a|b c\n");
}

TEST(ProcessLauncher, CommandLineSplitsLikeWindows)
{
    EXPECT_EQ(splitCommandLine("  a  \"b c\"d \"\" e "), (std::vector<std::string>{"a", "b cd", "", "e"}));
    EXPECT_TRUE(splitCommandLine("   ").empty());
}

TEST(ProcessLauncher, ViewersGoThroughTheSeam)
{
    std::vector<LaunchRequest> seen;
    setLaunchHandler([&](const LaunchRequest& r) { seen.push_back(r); return 2; });
    setenv("AVIARY_TEXT_VIEWER", "mousepad", 1);
    EXPECT_EQ(openTextViewer("/i/Report.txt"), 2);
    EXPECT_EQ(openPdfReader("/usr/bin/okular", "/i/Help/p.pdf"), 2);
    unsetenv("AVIARY_PDF_READER");
    EXPECT_EQ(openPdfReader("", "/i/Help/q.pdf"), 2);
    EXPECT_EQ(winExec("/i/kestrel"), 2);
    setLaunchHandler({});
    unsetenv("AVIARY_TEXT_VIEWER");
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].kind, LaunchKind::TextViewer);
    EXPECT_EQ(seen[0].program, "mousepad");
    EXPECT_EQ(seen[0].arguments, std::vector<std::string>{"/i/Report.txt"});
    EXPECT_EQ(seen[1].program, "/usr/bin/okular");
    EXPECT_EQ(seen[2].program, "xdg-open");
    EXPECT_EQ(seen[3].kind, LaunchKind::Program);
    EXPECT_EQ(seen[3].program, "/i/kestrel");
}
