// Self-registration, the activation file and the program's command line.
#include <tern/server/ActivationFile.h>
#include <tern/server/TernProgram.h>
#include <tern/server/TernRegistration.h>

#include <platform/RegistryStore.h>
#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace tern::server {
namespace {

using platform::Hive;

constexpr const char* kClassKey = "CLSID\\{AE405C0B-9D6F-4218-8AA7-BA23C707BB6A}";

struct Record {
    const char* key;
    const char* name;
    const char* value;
};

// Every record a registration leaves, with %MODULE% as /opt/aviary/tern.
const Record kRecords[] = {
    {"AppID\\{C1897855-8F37-410C-A042-3579A5B8D261}", "", "Tern"},
    {"AppID\\Tern.EXE", "AppID", "{C1897855-8F37-410C-A042-3579A5B8D261}"},
    {"Tern.ModBusLink.1", "", "ModBusLink Class"},
    {"Tern.ModBusLink.1\\CLSID", "", "{AE405C0B-9D6F-4218-8AA7-BA23C707BB6A}"},
    {"Tern.ModBusLink", "", "ModBusLink Class"},
    {"Tern.ModBusLink\\CLSID", "", "{AE405C0B-9D6F-4218-8AA7-BA23C707BB6A}"},
    {"Tern.ModBusLink\\CurVer", "", "Tern.ModBusLink.1"},
    {kClassKey, "", "ModBusLink Class"},
    {kClassKey, "AppID", "{C1897855-8F37-410C-A042-3579A5B8D261}"},
    {"CLSID\\{AE405C0B-9D6F-4218-8AA7-BA23C707BB6A}\\ProgID", "", "Tern.ModBusLink.1"},
    {"CLSID\\{AE405C0B-9D6F-4218-8AA7-BA23C707BB6A}\\VersionIndependentProgID", "", "Tern.ModBusLink"},
    {"CLSID\\{AE405C0B-9D6F-4218-8AA7-BA23C707BB6A}\\LocalServer32", "", "/opt/aviary/tern"},
    {"CLSID\\{AE405C0B-9D6F-4218-8AA7-BA23C707BB6A}\\TypeLib", "", "{25235BE0-9543-4B8E-9E01-CB2ECDA4CF28}"},
    {"TypeLib\\{25235BE0-9543-4B8E-9E01-CB2ECDA4CF28}\\1.0", "", "Tern 1.0 Typbibliothek"},
    {"TypeLib\\{25235BE0-9543-4B8E-9E01-CB2ECDA4CF28}\\1.0\\0\\win32", "", "/opt/aviary/tern"},
    {"TypeLib\\{25235BE0-9543-4B8E-9E01-CB2ECDA4CF28}\\1.0\\HELPDIR", "", "/opt/aviary"},
    {"Interface\\{9151CB90-1AA6-41CF-9744-583897840E75}", "", "IModBusLink"},
    {"Interface\\{9151CB90-1AA6-41CF-9744-583897840E75}\\TypeLib", "", "{25235BE0-9543-4B8E-9E01-CB2ECDA4CF28}"},
    {"Interface\\{9151CB90-1AA6-41CF-9744-583897840E75}\\TypeLib", "Version", "1.0"},
};

class RegistrationTest : public testing::Test {
protected:
    std::optional<std::string> value(const std::string& key, const std::string& name = "")
    {
        return store_.getString(Hive::ClassesRoot, key, name);
    }

    platform::testing::TempDir dir_;
    platform::RegistryStore store_{dir_.path()};
};

TEST_F(RegistrationTest, WritesEveryIdentityOfTheClass)
{
    ASSERT_EQ(RegisterServer(store_, "/opt/aviary/tern"), S_OK);
    for (const auto& r : kRecords) EXPECT_EQ(value(r.key, r.name), std::optional<std::string>(r.value)) << r.key;
    EXPECT_TRUE(store_.keyExists(Hive::ClassesRoot, std::string(kClassKey) + "\\Programmable"));
}

TEST_F(RegistrationTest, RewritesTheClassKeyWhole)
{
    store_.setString(Hive::ClassesRoot, std::string(kClassKey) + "\\InprocServer32", "", "/old/libtern.so");
    ASSERT_EQ(RegisterServer(store_, "/opt/aviary/tern"), S_OK);
    EXPECT_FALSE(store_.keyExists(Hive::ClassesRoot, std::string(kClassKey) + "\\InprocServer32"));
}

TEST_F(RegistrationTest, UnregisteringRemovesItsRecordsAndNothingElse)
{
    store_.setString(Hive::ClassesRoot, "CLSID\\{00000000-1111-2222-3333-444444444444}", "", "Other Class");
    store_.setString(Hive::ClassesRoot, "AppID\\{00000000-1111-2222-3333-444444444444}", "", "Other");
    ASSERT_EQ(RegisterServer(store_, "/opt/aviary/tern"), S_OK);
    ASSERT_EQ(UnregisterServer(store_), S_OK);
    for (const auto& r : kRecords) EXPECT_FALSE(store_.keyExists(Hive::ClassesRoot, r.key)) << r.key;
    EXPECT_FALSE(store_.keyExists(Hive::ClassesRoot, "TypeLib\\{25235BE0-9543-4B8E-9E01-CB2ECDA4CF28}"));
    EXPECT_EQ(value("CLSID\\{00000000-1111-2222-3333-444444444444}"), "Other Class");
    EXPECT_EQ(value("AppID\\{00000000-1111-2222-3333-444444444444}"), "Other");
    // Unregistering what is not registered is no failure.
    EXPECT_EQ(UnregisterServer(store_), S_OK);
}

TEST(TernCommandLine, RecognisesTheTwoTokensAfterDashOrSlashInAnyCase)
{
    struct Case {
        std::vector<std::string> args;
        TernCommand command;
    };
    const Case cases[] = {
        {{"/RegServer"}, TernCommand::RegServer},
        {{"-regserver"}, TernCommand::RegServer},
        {{"-Embedding", "/REGSERVER"}, TernCommand::RegServer},
        {{"-UnregServer"}, TernCommand::UnregServer},
        {{"/unregserver", "/RegServer"}, TernCommand::UnregServer},
        {{"RegServer"}, TernCommand::Serve},
        {{"--RegServer"}, TernCommand::Serve},
        {{"-RegServer2"}, TernCommand::Serve},
        {{"-Embedding"}, TernCommand::Serve},
        {{}, TernCommand::Serve},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseTernCommandLine(c.args), c.command) << (c.args.empty() ? "" : c.args.back());
    }
}

TEST(TernExitStatus, IsZeroOnlyForSuccess)
{
    EXPECT_EQ(exitStatusOf(S_OK), 0);
    EXPECT_EQ(exitStatusOf(S_FALSE), 0);
    EXPECT_EQ(exitStatusOf(SELFREG_E_CLASS), 1);
    EXPECT_EQ(exitStatusOf(SELFREG_E_TYPELIB), 1);  // the low byte is 0: still a failure
    EXPECT_EQ(exitStatusOf(CO_E_SERVER_EXEC_FAILURE), 5);
}

class EnvironmentVariable {
public:
    EnvironmentVariable(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name)) previous_ = old;
        if (value) setenv(name, value, 1);
        else unsetenv(name);
    }
    ~EnvironmentVariable()
    {
        if (previous_) setenv(name_, previous_->c_str(), 1);
        else unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> previous_;
};

TEST(ActivationFile, GoesWhereTheRegistryIsRedirectedUnlessNamedItself)
{
    EnvironmentVariable services("AVIARY_DBUS_SERVICES", nullptr);
    EnvironmentVariable registry("AVIARY_REGISTRY", "/tmp/reg");
    EnvironmentVariable data("XDG_DATA_HOME", "/tmp/data");
    EXPECT_EQ(activationDirectory(), "/tmp/reg/dbus-1/services");
    {
        EnvironmentVariable named("AVIARY_DBUS_SERVICES", "/tmp/services");
        EXPECT_EQ(activationDirectory(), "/tmp/services");
    }
    EnvironmentVariable unredirected("AVIARY_REGISTRY", nullptr);
    EXPECT_EQ(activationDirectory(), "/tmp/data/dbus-1/services");
}

TEST(ActivationFile, NamesTheProgramForTheBusName)
{
    platform::testing::TempDir dir;
    ASSERT_TRUE(writeActivationFile(dir.path() + "/services", "/opt/my aviary/tern"));
    EXPECT_EQ(dir.read("services/org.aviary.Tern.service"),
              "[D-BUS Service]\nName=org.aviary.Tern\nExec='/opt/my aviary/tern' -Embedding\n");
    EXPECT_EQ(activationFileText("/opt/aviary/tern"),
              "[D-BUS Service]\nName=org.aviary.Tern\nExec=/opt/aviary/tern -Embedding\n");
    EXPECT_TRUE(removeActivationFile(dir.path() + "/services"));
    EXPECT_TRUE(removeActivationFile(dir.path() + "/services"));
    EXPECT_EQ(dir.read("services/org.aviary.Tern.service"), "");
}

}  // namespace
}  // namespace tern::server
