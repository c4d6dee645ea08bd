// The command layer of aviary-backup over a scripted line: command lines,
// file names, what each command prints and the exit status it ends with.
#include <backup/lib/BackupOptions.h>
#include <backup/lib/BackupRun.h>
#include <backup/tests/BackupTesting.h>

#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace backup {
namespace {

std::string contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::optional<BackupOptions> parse(std::vector<std::string> words, std::string& error)
{
    std::vector<char*> argv{const_cast<char*>("aviary-backup")};
    for (auto& w : words) argv.push_back(w.data());
    return parseOptions(static_cast<int>(argv.size()), argv.data(), error);
}

TEST(BackupOptions, CommandsAddressesAndBadLines)
{
    std::string error;
    auto o = parse({"--family", "kestrel", "--port", "/dev/ttyUSB0", "--force", "backup", "0", "31"}, error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->command, Command::Backup);
    EXPECT_EQ(o->addresses, (std::vector<int>{0, 31}));
    EXPECT_TRUE(o->force);
    o = parse({"diff", "7", "a.par", "--family", "merlin", "--json", "--timeout", "250"}, error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->command, Command::Diff);
    EXPECT_EQ(o->file, "a.par");
    EXPECT_EQ(o->timeoutMs, 250);
    EXPECT_EQ(comPortNumber("COM3"), 3);
    EXPECT_EQ(comPortNumber("COM9"), std::nullopt);

    const std::vector<std::vector<std::string>> bad{
        {"scan"},                                          // no family
        {"--family", "kestrel", "backup", "32"},           // SIO addresses end at 31
        {"--family", "merlin", "backup", "0"},             // Modbus stations start at 1
        {"--family", "merlin", "diff", "3"},               // no file
        {"--family", "merlin", "--port", "ttyS0", "scan"}, // neither COMn nor a path
        {"--family", "merlin", "--baud", "fast", "scan"},
        {"--family", "merlin", "--password", "70000", "restore", "1", "x.par"},
        {"--family", "merlin", "--bogus", "scan"},
        {"--family", "merlin", "--timeout"},
    };
    for (const auto& line : bad) {
        error.clear();
        EXPECT_FALSE(parse(line, error)) << line.back();
        EXPECT_FALSE(error.empty());
    }
    EXPECT_EQ(parse({"--help"}, error)->command, Command::Help);
}

TEST(BackupOptions, EveryOptionTakesItsValueAfterAnEqualsSign)
{
    std::string error;
    const auto o = parse({"--family=merlin", "--port=/dev/ttyUSB1", "--baud=19200", "--install=/opt/a",
                          "--dir=/tmp/out", "--password=42", "--capture=run.pcapng", "--retries=2", "--timeout=250",
                          "--delay=5", "--silent-interval=4", "--wait=3", "--rts-hold=1", "scan"},
                         error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->family, "merlin");
    EXPECT_EQ(o->port, "/dev/ttyUSB1");
    EXPECT_EQ(o->baud, 19200);
    EXPECT_EQ(o->installDir, "/opt/a");
    EXPECT_EQ(o->outputDir, "/tmp/out");
    EXPECT_EQ(o->password, 42);
    EXPECT_EQ(o->capture, "run.pcapng");
    EXPECT_EQ(o->retries, 2);
    EXPECT_EQ(o->timeoutMs, 250);
    EXPECT_EQ(o->delayMs, 5);
    EXPECT_EQ(o->silentMs, 4);
    EXPECT_EQ(o->waitMs, 3);
    EXPECT_EQ(o->rtsMs, 1);
    EXPECT_EQ(o->command, Command::Scan);
    // Both spellings mix on one line, and a value may hold '='.
    const auto mixed = parse({"--family", "kestrel", "--dir=a=b", "--port", "COM2", "backup", "3"}, error);
    ASSERT_TRUE(mixed) << error;
    EXPECT_EQ(mixed->outputDir, "a=b");
    EXPECT_EQ(mixed->port, "COM2");
}

TEST(BackupOptions, MissingValuesAndUnknownOptionsAreNamed)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"--family", "merlin", "scan", "--timeout"}, "--timeout needs a value"},
        {{"--family", "merlin", "scan", "--port"}, "--port needs a value"},
        {{"--family", "merlin", "--bogus", "scan"}, "unknown option --bogus"},
        {{"--family", "merlin", "--bogus=1", "scan"}, "unknown option --bogus=1"},
        // A flag takes no value: "--json=yes" is not "--json".
        {{"--family", "merlin", "--json=yes", "scan"}, "unknown option --json=yes"},
        {{"--family=", "scan"}, "give --family kestrel or merlin"},
        {{"--family=merlin", "--baud=", "scan"}, "--baud: not a baud rate: "},
        {{"--family=merlin", "--timeout=x", "scan"}, "--timeout: a number of 0..100000"},
        {{"--family=merlin", "--password=-1", "scan"}, "--password: a number 0..65535"},
    };
    for (const auto& [line, message] : cases) {
        std::string error;
        EXPECT_FALSE(parse(line, error)) << message;
        EXPECT_EQ(error, message);
    }
}

TEST(BackupOptions, TheProgramEndsABadLineWithItsMessageAndStatus)
{
    for (const std::vector<std::string>& line :
         {std::vector<std::string>{"--family=kestrel", "--bogus", "scan"}, {"--family=kestrel", "scan", "--wait"}}) {
        const testing::ProgramRun run = testing::runProgram(line);
        EXPECT_EQ(run.exitCode(), kExitError) << run.all();
        EXPECT_EQ(run.messages.rfind("aviary-backup: ", 0), 0u) << run.messages;
        EXPECT_NE(run.messages.find("usage: aviary-backup"), std::string::npos) << run.messages;
        EXPECT_EQ(run.output, "");
    }
    const testing::ProgramRun help = testing::runProgram({"--family=kestrel", "--help"});
    EXPECT_EQ(help.exitCode(), kExitOk);
    EXPECT_EQ(help.output.rfind("usage: aviary-backup", 0), 0u) << help.output;
}

TEST(BackupFiles, NamesAreSafeAndDatedAndJsonIsEscaped)
{
    EXPECT_EQ(backupFileName(5, "Pump 2", "kestrel", "COM1", "2026-12-08_023000"),
              "05_Pump-2_kestrel-COM1_2026-12-08_023000.par");
    EXPECT_EQ(backupFileName(12, "../../etc/passwd", "merlin", "../x", "2026-12-08_023000"),
              "12_-..-etc-passwd_merlin--x_2026-12-08_023000.par");
    EXPECT_EQ(backupFileName(1, "", "kestrel", "", "d"), "01_drive_kestrel-line_d.par");
    // Two families, two lines, two runs of one day: never one name.
    const std::set<std::string> names{backupFileName(1, "NEW", "kestrel", "COM1", "2026-12-08_023000"),
                                      backupFileName(1, "NEW", "merlin", "COM1", "2026-12-08_023000"),
                                      backupFileName(1, "NEW", "kestrel", "pts-3", "2026-12-08_023000"),
                                      backupFileName(1, "NEW", "kestrel", "COM1", "2026-12-08_143000")};
    EXPECT_EQ(names.size(), 4u);
    EXPECT_EQ(today().size(), 10u);
    EXPECT_EQ(timeStamp().size(), 17u);
    EXPECT_EQ(jsonString("a\"b\\c\n"), "\"a\\\"b\\\\c\\u000a\"");
    EXPECT_EQ(ProgressBar::render("05 Pump", 15, 30, 4), "05 Pump [###############...............] 15/30  4s");
}

TEST(BackupFiles, JsonStaysValidUtf8WhateverTheNameBytes)
{
    // Latin-1 and stray bytes become U+FFFD one by one; well-formed UTF-8 passes as it is.
    EXPECT_EQ(jsonString("Caf\xE9"), "\"Caf\\ufffd\"");
    EXPECT_EQ(jsonString("\xFF"), "\"\\ufffd\"");
    EXPECT_EQ(jsonString("Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"), "\"Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\"");
    // Cut short, overlong, a surrogate, beyond U+10FFFF: every byte replaced, what follows kept.
    EXPECT_EQ(jsonString("a\xE2\x82"), "\"a\\ufffd\\ufffd\"");
    EXPECT_EQ(jsonString("\xE2\x82\"x"), "\"\\ufffd\\ufffd\\\"x\"");
    EXPECT_EQ(jsonString("\xC0\xAF"), "\"\\ufffd\\ufffd\"");
    EXPECT_EQ(jsonString("\xE0\x9F\xBF"), "\"\\ufffd\\ufffd\\ufffd\"");
    EXPECT_EQ(jsonString("\xED\xA0\x80"), "\"\\ufffd\\ufffd\\ufffd\"");
    EXPECT_EQ(jsonString("\xF4\x90\x80\x80"), "\"\\ufffd\\ufffd\\ufffd\\ufffd\"");
    EXPECT_EQ(jsonString("\xED\x9F\xBF\xF4\x8F\xBF\xBF"), "\"\xED\x9F\xBF\xF4\x8F\xBF\xBF\"");
    EXPECT_EQ(jsonString(std::string("\x00\x1f\x7f", 3)), "\"\\u0000\\u001f\x7f\"");
}

// A line whose drives and values are a script.
class ScriptedBus : public DriveBus {
public:
    std::map<int, FoundDrive> drives;
    std::map<int, std::string> failOnBackup;  // address -> error
    std::vector<ValueDifference> differences;
    std::vector<int> restored;

    std::string family() const override { return "kestrel"; }
    int firstAddress() const override { return 0; }
    int lastAddress() const override { return 31; }
    bool scan(std::vector<FoundDrive>& found, const ProgressFn& progress, std::string&) override
    {
        for (const auto& [a, d] : drives) found.push_back(d);
        if (progress) progress(32, 32);
        return true;
    }
    bool identify(int address, FoundDrive& drive, std::string& error) override
    {
        if (!drives.count(address)) return error = "no answer", false;
        drive = drives.at(address);
        return true;
    }
    bool backup(const FoundDrive& drive, const std::string& path, const ProgressFn& progress,
                std::string& error) override
    {
        if (progress) progress(1, 2);
        std::ofstream(path) << "part";  // a half-written file is left behind on failure
        if (failOnBackup.count(drive.address)) return error = failOnBackup.at(drive.address), false;
        std::ofstream(path) << "values of " << drive.address;
        return true;
    }
    bool diff(int, const std::string&, std::vector<ValueDifference>& out, const ProgressFn&, std::string&) override
    {
        out = differences;
        return true;
    }
    bool restore(int address, const std::string&, bool, const ProgressFn&, std::string& error) override
    {
        if (!drives.count(address)) return error = "no answer", false;
        restored.push_back(address);
        return true;
    }
};

struct BackupRunTest : ::testing::Test {
    BackupRunTest()
    {
        bus.drives = {{1, {1, "Fan", "RQ9000 A18.08"}}, {5, {5, "Pump 2", "RQ9000 A18.12"}},
                      {9, {9, "Mixer", "RQ9000 A18.08"}}};
        options.family = "kestrel";
        options.outputDir = dir.path();
        options.stamp = "2026-12-08_023000";
    }
    int run(Command command)
    {
        options.command = command;
        out.str("");
        err.str("");
        return BackupRun(bus, options, out, err, progress).run();
    }
    std::string file(int address, const std::string& name) const
    {
        return dir.path() + "/" + backupFileName(address, name, "kestrel", "", options.stamp);
    }
    platform::testing::TempDir dir;
    ScriptedBus bus;
    BackupOptions options;
    std::ostringstream out, err;
    ProgressBar progress{stderr, false};
};

TEST_F(BackupRunTest, AFailingDriveIsReportedAndTheOthersAreSaved)
{
    bus.failOnBackup[5] = "There was some error while uploading data.";
    EXPECT_EQ(run(Command::Backup), kExitPartial);
    EXPECT_TRUE(std::filesystem::exists(file(1, "Fan")));
    EXPECT_TRUE(std::filesystem::exists(file(9, "Mixer")));
    // Neither the failed drive's file nor its half-written part is left.
    EXPECT_FALSE(std::filesystem::exists(file(5, "Pump 2")));
    EXPECT_FALSE(std::filesystem::exists(file(5, "Pump 2") + ".part"));
    EXPECT_NE(out.str().find("05  FAILED  Pump 2  There was some error"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("backup: 2 saved, 1 failed"), std::string::npos) << out.str();
}

TEST_F(BackupRunTest, NamedDrivesThatDoNotAnswerAndExistingFilesAreNeverReplaced)
{
    options.addresses = {1, 4};
    std::ofstream(file(1, "Fan")) << "last night";
    EXPECT_EQ(run(Command::Backup), kExitPartial);
    const std::string second = dir.path() + "/01_Fan_kestrel-line_2026-12-08_023000-2.par";
    EXPECT_EQ(contents(file(1, "Fan")), "last night");
    EXPECT_EQ(contents(second), "values of 1");
    EXPECT_NE(out.str().find("04  FAILED  no answer"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("01  saved   Fan  " + second), std::string::npos) << out.str();

    // Not even when forced: the next free number is taken.
    options.force = true;
    options.addresses = {1};
    EXPECT_EQ(run(Command::Backup), kExitOk);
    EXPECT_EQ(contents(file(1, "Fan")), "last night");
    EXPECT_EQ(contents(second), "values of 1");
    EXPECT_TRUE(std::filesystem::exists(dir.path() + "/01_Fan_kestrel-line_2026-12-08_023000-3.par"));
    // No part file is left anywhere.
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(e.path().string().find(".part"), std::string::npos) << e.path();
}

TEST_F(BackupRunTest, DiffExitsByTheDifferencesInTableOrJson)
{
    options.addresses = {5};
    options.file = "x.par";
    EXPECT_EQ(run(Command::Diff), kExitOk);
    EXPECT_NE(out.str().find("0 differences"), std::string::npos);
    bus.differences = {{"0031", "", "0005", "0003"}};
    EXPECT_EQ(run(Command::Diff), kExitDifferent);
    EXPECT_NE(out.str().find("0031"), std::string::npos);
    options.json = true;
    EXPECT_EQ(run(Command::Diff), kExitDifferent);
    EXPECT_EQ(out.str(), "{\"address\": 5, \"file\": \"x.par\", \"equal\": false, \"differences\": "
                         "[{\"parameter\": \"0031\", \"name\": \"\", \"drive\": \"0005\", \"file\": \"0003\"}]}\n");
    options.addresses = {4};
    EXPECT_EQ(run(Command::Restore), kExitError);
    EXPECT_NE(err.str().find("no answer"), std::string::npos);
}

TEST_F(BackupRunTest, ScanListsEveryDriveFound)
{
    EXPECT_EQ(run(Command::Scan), kExitOk);
    EXPECT_NE(out.str().find("5    Pump 2                          RQ9000 A18.12"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("3 drives found"), std::string::npos);
}

TEST_F(BackupRunTest, JsonScanIsValidWhateverTheNameBytes)
{
    bus.drives[7] = {7, "Caf\xE9 \xFF\x01\xC3\xA9", "RQ9000 \"A18\""};
    options.json = true;
    EXPECT_EQ(run(Command::Scan), kExitOk);
    EXPECT_NE(out.str().find("\"Caf\\ufffd \\ufffd\\u0001\xC3\xA9\""), std::string::npos) << out.str();
    EXPECT_TRUE(backup::testing::parsesAsJson(out.str())) << out.str();
}

}  // namespace
}  // namespace backup
