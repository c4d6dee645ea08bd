// The link server as its clients meet it on a private session bus: started
// on demand, serving a simulated slave on a pseudo-terminal, reporting
// failures with their description, sharing connections, releasing the
// objects of clients that leave, never letting a slow line hold up another,
// usable from python3-dbus, and ending when idle or when the bus goes.
#include <tern/client/ModBusLinkClient.h>
#include <tern/server/ActivationFile.h>
#include <tern/automation/ErrorInfo.h>
#include <tern/tests/ServerBusTesting.h>
#include <tern/tests/ServerVariants.h>

#include <platform/RegistryStore.h>

#include <QDBusMessage>

#include <atomic>
#include <cerrno>
#include <fstream>

namespace tern {
namespace {

using namespace tern::testkit;

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new TernBusEnvironment);

constexpr HRESULT kTimeOutResult = makeHResult(0x80040201);

COleVariant missing() { return COleVariant::Missing(); }

std::string description()
{
    const auto info = GetErrorInfo();
    return info ? info->description : "<none>";
}

// A client object on a named serial connection over COM<n>, connected.
void open(ModBusLinkClient& link, const std::string& name, int16_t com, int32_t timeOut = 300)
{
    if (!link.isAttached()) {
        ASSERT_EQ(link.CreateInstance(), S_OK) << description();
    }
    VARIANT_BOOL ok = VARIANT_FALSE;
    ASSERT_EQ(link.OpenConnection(name, 1, &ok), S_OK);
    ASSERT_EQ(ok, VARIANT_TRUE);
    ASSERT_EQ(link.put_ComPort(com), S_OK);
    ASSERT_EQ(link.put_TimeOut(timeOut), S_OK);
    ASSERT_EQ(link.Connect(&ok), S_OK);
    ASSERT_EQ(ok, VARIANT_TRUE);
}

std::vector<int64_t> readRegisters(ModBusLinkClient& link, int16_t slave, int32_t start, int16_t count,
                                   const COleVariant& varType = missing())
{
    COleVariant values;
    int32_t ret = -1;
    EXPECT_EQ(link.ReadOutputRegisters(slave, start, count, &values, varType, missing(), &ret), S_OK);
    EXPECT_EQ(ret, 0);
    return integersOf(values);
}

// The objects that live in the server now, from its introspection data.
int liveObjects()
{
    QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(identity::kBusName),
                                                       QLatin1String(identity::kClassObjectPath),
                                                       "org.freedesktop.DBus.Introspectable", "Introspect");
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call);
    return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments().value(0).toString().count("<node name=")
                                                       : -1;
}

bool processEnded(pid_t pid)
{
    if (::kill(pid, 0) != 0) return errno == ESRCH;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    return close != std::string::npos && close + 2 < text.size() && text[close + 2] == 'Z';
}

std::string selfProgram() { return std::filesystem::read_symlink("/proc/self/exe").string(); }

TEST(TernRegistration, RegistersWithoutABusAndEndsWithoutServing)
{
    platform::testing::TempDir registry;
    const std::map<std::string, std::string> env{{"AVIARY_REGISTRY", registry.path()},
                                                 {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus"}};
    for (const char* token : {"/RegServer", "-REGSERVER", "-regserver"}) {
        ChildProcess reg({ternProgram(), "-Embedding", token}, env);
        EXPECT_TRUE(exitedWith(reg.wait(10s), 0)) << token;
    }
    platform::RegistryStore store(registry.path());
    const std::string program = std::filesystem::canonical(ternProgram()).string();
    EXPECT_EQ(store.getString(platform::Hive::ClassesRoot,
                              "CLSID\\{AE405C0B-9D6F-4218-8AA7-BA23C707BB6A}\\LocalServer32", ""),
              program);
    EXPECT_EQ(registry.read("dbus-1/services/org.aviary.Tern.service"), server::activationFileText(program));

    ChildProcess serve({ternProgram()}, env);  // serving needs the bus it cannot reach
    EXPECT_TRUE(exitedWith(serve.wait(10s), 5));

    ChildProcess unreg({ternProgram(), "/UnregServer"}, env);
    EXPECT_TRUE(exitedWith(unreg.wait(10s), 0));
    EXPECT_FALSE(store.keyExists(platform::Hive::ClassesRoot, "Tern.ModBusLink.1"));
    EXPECT_EQ(registry.read("dbus-1/services/org.aviary.Tern.service"), "");
}

TEST(TernServer, AClientStartsTheServerAndReadsAndWritesTheSlaveThroughIt)
{
    PtySlave slave(1);
    ASSERT_TRUE(slave.ok()) << slave.error();
    ModBusLinkClient link;
    open(link, "XYZ", 1);
    EXPECT_TRUE(serverRunning());

    EXPECT_EQ(readRegisters(link, 1, 10, 3), (std::vector<int64_t>{1010, 1011, 1012}));
    EXPECT_EQ(readRegisters(link, 2, 10, 1), std::vector<int64_t>{2010});

    int32_t ret = -1;
    ASSERT_EQ(link.PresetSingleRegister(1, 20, COleVariant::I2(-1), missing(), &ret), S_OK);
    EXPECT_EQ(ret, 0);
    EXPECT_EQ(slave.holding(20), 0xFFFF);
    EXPECT_EQ(readRegisters(link, 1, 20, 1), std::vector<int64_t>{65535});
    EXPECT_EQ(readRegisters(link, 1, 20, 1, COleVariant::I2(2)), std::vector<int64_t>{-1});

    // An array with its own lower bound crosses the bus in its full shape.
    ASSERT_EQ(link.PresetMultipleRegisters(1, 30, 3, intArray(VT_I4, {5, 6, 7}, 1), missing(), &ret), S_OK);
    EXPECT_EQ(readRegisters(link, 1, 30, 3), (std::vector<int64_t>{5, 6, 7}));

    ASSERT_EQ(link.ForceSingleCoil(1, 3, VARIANT_TRUE, &ret), S_OK);
    COleVariant coils;
    ASSERT_EQ(link.ReadOutputStatus(1, 3, 1, &coils, &ret), S_OK);
    EXPECT_EQ(coils.vt(), VT_ARRAY | VT_BOOL);
    EXPECT_EQ(integersOf(coils), std::vector<int64_t>{VARIANT_TRUE});
}

TEST(TernServer, FailuresReachTheClientWithTheirHResultAndDescription)
{
    PtySlave slave(1);
    ASSERT_TRUE(slave.ok()) << slave.error();
    ModBusLinkClient link;
    open(link, "XYZ", 1, 100);
    slave.runner().faults().add(*sim::parseFault("noreply"));
    COleVariant values;
    int32_t ret = 0;
    ASSERT_EQ(link.ReadOutputRegisters(1, 0, 1, &values, missing(), missing(), &ret), S_OK);
    EXPECT_EQ(ret, kTimeOutResult);
    ASSERT_EQ(link.put_RaiseError(VARIANT_TRUE), S_OK);
    EXPECT_EQ(link.ReadOutputRegisters(1, 0, 1, &values, missing(), missing(), &ret), kTimeOutResult);
    const auto info = GetErrorInfo();
    ASSERT_TRUE(info);
    EXPECT_EQ(info->description, "Time Out Error");
    EXPECT_EQ(info->interfaceGuid, identity::kErrorInterfaceGuid);
    EXPECT_EQ(info->source, "");
    slave.runner().faults().clear();

    EXPECT_EQ(link.PresetSingleRegister(1, 0, COleVariant::String("7"), missing(), &ret), makeHResult(0x80049204));
    EXPECT_EQ(description(), "TYPE MISMACTH Error");
    const COleVariant twoByTwo = COleVariant::Array(COleSafeArray(VT_I4, {{2, 0}, {2, 0}}));
    EXPECT_EQ(link.PresetMultipleRegisters(1, 0, 4, twoByTwo, missing(), &ret), makeHResult(0x80049205));
    EXPECT_EQ(description(), "Error building  Array ");

    ModBusLinkClient unopened;
    ASSERT_EQ(unopened.CreateInstance(), S_OK);
    int16_t port = 0;
    EXPECT_EQ(unopened.get_ComPort(&port), makeHResult(0x80049201));
    EXPECT_EQ(description(), "Connection not opened");
}

TEST(TernServer, ObjectsOfOneNameShareTheirConnectionUntilTheLastGoes)
{
    PtySlave slave(1);
    ASSERT_TRUE(slave.ok()) << slave.error();
    ModBusLinkClient first, second, third;
    open(first, "XYZ", 1);
    ASSERT_EQ(second.CreateInstance(), S_OK);
    VARIANT_BOOL ok = VARIANT_FALSE;
    ASSERT_EQ(second.OpenConnection("XYZ", 2, &ok), S_OK);  // joins the serial connection
    std::string host;
    EXPECT_EQ(second.get_Host(&host), makeHResult(0x80049203));
    ASSERT_EQ(first.put_Retries(4), S_OK);
    int16_t retries = 0;
    ASSERT_EQ(second.get_Retries(&retries), S_OK);
    EXPECT_EQ(retries, 4);

    first.Release();
    VARIANT_BOOL active = VARIANT_FALSE;
    ASSERT_EQ(second.get_IsActive(&active), S_OK);
    EXPECT_EQ(active, VARIANT_TRUE);
    EXPECT_EQ(readRegisters(second, 1, 5, 1), std::vector<int64_t>{1005});

    ASSERT_EQ(second.CloseConnection(), S_OK);
    ASSERT_EQ(third.CreateInstance(), S_OK);
    ASSERT_EQ(third.OpenConnection("XYZ", 1, &ok), S_OK);
    ASSERT_EQ(third.get_Retries(&retries), S_OK);
    EXPECT_EQ(retries, 1);  // a new connection: the old one closed with its last object
    ASSERT_EQ(third.get_IsActive(&active), S_OK);
    EXPECT_EQ(active, VARIANT_FALSE);
}

// Run as a child: holds an object on "HELD" until it is killed.
TEST(TernServerHelper, HoldsAnObject)
{
    if (std::string(std::getenv("TERN_TEST_ROLE") ? std::getenv("TERN_TEST_ROLE") : "") != "holder")
        GTEST_SKIP() << "runs as a child of AClientThatLeavesTheBusReleasesItsObjects";
    ModBusLinkClient link;
    ASSERT_EQ(link.CreateInstance(), S_OK);
    VARIANT_BOOL ok = VARIANT_FALSE;
    ASSERT_EQ(link.OpenConnection("HELD", 1, &ok), S_OK);
    ASSERT_EQ(link.put_BaudRate(4800), S_OK);
    std::printf("ready\n");
    std::fflush(stdout);
    std::this_thread::sleep_for(30s);
}

TEST(TernServer, AClientThatLeavesTheBusReleasesItsObjects)
{
    ModBusLinkClient observer;
    ASSERT_EQ(observer.CreateInstance(), S_OK);
    ChildProcess holder({selfProgram(), "--gtest_filter=TernServerHelper.HoldsAnObject"},
                        {{"TERN_TEST_ROLE", "holder"}});
    ASSERT_TRUE(eventually([&] { return holder.output().find("ready") != std::string::npos; }, 8s))
        << holder.output();
    VARIANT_BOOL ok = VARIANT_FALSE;
    ASSERT_EQ(observer.OpenConnection("HELD", 1, &ok), S_OK);
    int32_t baud = 0;
    ASSERT_EQ(observer.get_BaudRate(&baud), S_OK);
    EXPECT_EQ(baud, 4800);
    EXPECT_EQ(liveObjects(), 2);

    holder.kill(SIGKILL);  // no chance to release anything itself
    EXPECT_TRUE(eventually([] { return liveObjects() == 1; }));
    ASSERT_EQ(observer.OpenConnection("HELD", 1, &ok), S_OK);  // closes first: the last reference
    ASSERT_EQ(observer.get_BaudRate(&baud), S_OK);
    EXPECT_EQ(baud, 9600);
}

TEST(TernServer, AnObjectSharedWithAnotherClientLivesUntilBothHaveLetGo)
{
    ModBusLinkClient owner;
    ASSERT_EQ(owner.CreateInstance(), S_OK);
    const QString server = owner.serverName(), path = owner.objectPath();
    {
        QDBusConnection other = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "other-client");
        ASSERT_TRUE(other.isConnected());
        auto call = [&](const char* interface, const char* member) {
            return other.call(
                QDBusMessage::createMethodCall(server, path, QLatin1String(interface), QLatin1String(member)));
        };
        const QDBusMessage added = call(identity::kUnknownInterface, "AddRef");
        ASSERT_EQ(added.type(), QDBusMessage::ReplyMessage) << added.errorMessage().toStdString();
        EXPECT_EQ(added.arguments().value(0).toUInt(), 2u);
        owner.Release();
        EXPECT_EQ(liveObjects(), 1);
        EXPECT_EQ(call(identity::kModBusLinkInterface, "get_RaiseError").type(), QDBusMessage::ReplyMessage);
    }
    QDBusConnection::disconnectFromBus("other-client");  // leaving is letting go
    EXPECT_TRUE(eventually([] { return liveObjects() == 0; }));
}

TEST(TernServer, ASlowExchangeHoldsUpNeitherAnotherConnectionNorPropertyReads)
{
    PtySlave slow(1), fast(2);
    ASSERT_TRUE(slow.ok() && fast.ok());
    ModBusLinkClient a, b;
    open(a, "SLOW", 1, 4000);
    open(b, "FAST", 2);
    slow.runner().faults().add(*sim::parseFault("delay:1500"));
    const uint64_t before = slow.runner().requests();
    std::atomic<bool> done{false};
    std::vector<int64_t> slowValues;
    std::thread slowReader([&] {
        slowValues = readRegisters(a, 1, 40, 1);
        done = true;
    });
    ASSERT_TRUE(eventually([&] { return slow.runner().requests() > before; }));
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(readRegisters(b, 1, 50 + i, 1), std::vector<int64_t>{1050 + i});
        int32_t timeOut = 0;
        EXPECT_EQ(a.get_TimeOut(&timeOut), S_OK);
        EXPECT_EQ(timeOut, 4000);
    }
    EXPECT_FALSE(done) << "the fast calls waited for the slow exchange";
    slowReader.join();
    EXPECT_EQ(slowValues, std::vector<int64_t>{1040});
}

TEST(TernServer, AnIndependentPythonClientReadsRegisters)
{
    PtySlave slave(3);
    ASSERT_TRUE(slave.ok()) << slave.error();
    slave.model().setValue(sim::ModbusTable::HoldingRegisters, 1, 101, 0xFFFF);
    ChildProcess python({"/usr/bin/python3", testsDir() + "/tern_client.py", "3", "1", "100", "3"});
    EXPECT_TRUE(exitedWith(python.wait(20s), 0)) << python.output();
    EXPECT_EQ(python.finalOutput(), "1100\n65535\n1102\n");
}

// Arrays as other automation clients pass them, wrapped once in a
// by-reference VARIANT; and a raw frame without bytes.
TEST(TernServer, APythonClientPassesArraysByReference)
{
    PtySlave slave(4);
    ASSERT_TRUE(slave.ok()) << slave.error();
    ChildProcess python({"/usr/bin/python3", testsDir() + "/tern_byref_client.py", "4"});
    ASSERT_TRUE(exitedWith(python.wait(20s), 0)) << python.output();
    // 1.5 and -2.0 as singles, high word first; the integer array is refused.
    EXPECT_EQ(python.finalOutput(), "PresetMultipleRegisters(doubles) 00000000\n"
                               "PresetMultipleRegisters(integers) error: Error building  Array \n"
                               "ForceMultipleCoils 00000000\n"
                               "TxRxMessage 00000000 01 03 08 3F C0 00 00 C0 00 00 00\n"
                               "TxRxMessage(empty) error: Error building  Array \n");
    EXPECT_EQ(slave.holding(20), 0x3FC0);
    EXPECT_EQ(slave.holding(22), 0xC000);
    EXPECT_EQ(slave.holding(30), 1030) << "a refused write reached the slave";
    EXPECT_EQ(slave.model().value(sim::ModbusTable::Coils, 1, 4), 1);
    EXPECT_EQ(slave.model().value(sim::ModbusTable::Coils, 1, 5), 0);
    EXPECT_EQ(slave.model().value(sim::ModbusTable::Coils, 1, 6), 1);
}

TEST(TernClient, FindsNothingForAClassThatIsNotRegistered)
{
    ModBusLinkClient link;
    EXPECT_EQ(link.CreateInstance("Tern.Nothing.1"), CO_E_CLASSSTRING);
    platform::RegistryStore::instance().setString(platform::Hive::ClassesRoot, "Other.Thing.1\\CLSID", "",
                                                  "{00000000-1111-2222-3333-444444444444}");
    EXPECT_EQ(link.CreateInstance("Other.Thing.1"), REGDB_E_CLASSNOTREG);
    EXPECT_FALSE(link.isAttached());
    int16_t retries = 0;
    EXPECT_EQ(link.get_Retries(&retries), CO_E_OBJNOTCONNECTED);
}

// Run as a child on a bus without activation files.
TEST(TernServerHelper, StartsTheRegisteredProgram)
{
    if (std::string(std::getenv("TERN_TEST_ROLE") ? std::getenv("TERN_TEST_ROLE") : "") != "starter")
        GTEST_SKIP() << "runs as a child of WithoutAnActivationFileTheClientStartsTheRegisteredProgram";
    ModBusLinkClient link;
    ASSERT_EQ(link.CreateInstance(), S_OK) << description();
    VARIANT_BOOL raise = VARIANT_TRUE;
    ASSERT_EQ(link.get_RaiseError(&raise), S_OK);
    std::printf("created by %s\n", link.serverName().toStdString().c_str());
}

TEST(TernServer, WithoutAnActivationFileTheClientStartsTheRegisteredProgram)
{
    platform::testing::TempDir dir;
    const std::string config = busConfigWithoutActivation(dir);
    ChildProcess session({"/usr/bin/dbus-run-session", "--config-file=" + config, "--", selfProgram(),
                          "--gtest_filter=TernServerHelper.StartsTheRegisteredProgram"},
                         {{"TERN_TEST_ROLE", "starter"}});
    EXPECT_TRUE(exitedWith(session.wait(20s), 0)) << session.output();
    EXPECT_NE(session.finalOutput().find("created by :"), std::string::npos) << session.output();
}

TEST(TernServer, EndsOnceIdleAfterItsLastObjectIsReleased)
{
    {
        ModBusLinkClient link;
        ASSERT_EQ(link.CreateInstance(), S_OK);
        ASSERT_TRUE(serverRunning());
    }
    EXPECT_TRUE(eventually([] { return !serverRunning(); }));
    ModBusLinkClient again;  // and comes back on demand
    EXPECT_EQ(again.CreateInstance(), S_OK);
}

TEST(TernServer, EndsWhenItsBusGoesAway)
{
    const std::string config = binDir() + "/../dbus-session.conf";
    ChildProcess session({"/usr/bin/dbus-run-session", "--config-file=" + config, "--", "/bin/sh", "-c",
                          "\"$0\" & echo $!; sleep 1", ternProgram()},
                         {{"AVIARY_TERN_IDLE_MS", "60000"}});
    ASSERT_TRUE(session.wait(15s)) << "the private session did not end";
    const pid_t tern = static_cast<pid_t>(std::atoi(session.output().c_str()));
    ASSERT_GT(tern, 0) << session.output();
    EXPECT_TRUE(eventually([tern] { return processEnded(tern); }));
    if (!processEnded(tern)) ::kill(tern, SIGKILL);
}

}  // namespace
}  // namespace tern
