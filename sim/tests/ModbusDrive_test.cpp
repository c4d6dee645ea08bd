// The simulated Merlin drive: registers from the definition files of
// DeviceData, identification, limits, password lock, control and status
// words, faults; and the model and command-line pieces around it.
#include <sim/modbusdrive/MerlinDriveLoader.h>
#include <sim/modbusdrive/MerlinDriveModel.h>
#include <sim/modbusdrive/MerlinSimCli.h>
#include <sim/modbusdrive/SlaveLink.h>
#include <sim/modbus/ModbusSlave.h>

#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

#include <array>

using namespace sim;

namespace {

std::unique_ptr<MerlinDrive> load(const std::string& file, uint16_t password = 0)
{
    std::string error;
    auto drive = loadDrive(defaultDefinitionDirectory(), file, password, error);
    EXPECT_TRUE(drive) << error;
    EXPECT_EQ(error, "") << file;
    return drive;
}

merlin::CDpfParSet definition(const std::string& file)
{
    merlin::CDpfParSet set(std::filesystem::path(defaultDefinitionDirectory()).parent_path());
    set.SetTrace(nullptr);
    EXPECT_EQ(set.LoadDefinition(file), merlin::kLoadOk) << file;
    return set;
}

// A parameter the user may set, away from the fixed registers.
merlin::CPar writableParameter(const merlin::CDpfParSet& set)
{
    for (const merlin::CPar& par : set.Parameters())
        if (!par.IsChoice() && par.access == 0 && par.max < 30000 && par.min >= 0 && par.max > par.min &&
            par.RegisterOffset() > 300 && par.RegisterOffset() < 900)
            return par;
    ADD_FAILURE() << "no writable parameter";
    return {};
}

// A network with one LM3 Normal V3 drive at unit 5, reached through a link.
struct MerlinDriveRegisters : ::testing::Test {
    explicit MerlinDriveRegisters(uint16_t password = 0)
    {
        model.addDrive(5, load("LM3_Normal_V3.dpf", password));
        link.OpenLink();
    }
    uint16_t read(int offset)
    {
        uint16_t value = 0xDEAD;
        EXPECT_EQ(link.ReadRegister(5, offset, value), 0) << offset;
        return value;
    }
    MerlinDriveModel model;
    SlaveLink link{model};
};

struct MerlinLockedDrive : MerlinDriveRegisters {
    MerlinLockedDrive() : MerlinDriveRegisters(1234) {}
};

}  // namespace

TEST(MerlinDrive, IdentifiesItselfAsItsDefinitionSays)
{
    const struct { const char* file; uint16_t version, application, type; } cases[] = {
        {"LM3_Normal_V3.dpf", 3, 1, 8},
        {"LM3 Dorrin_Sequencer_V12.dpf", 12, 2, 7},
        {"LT4_Vexal_V2.dpf", 2, 0, 6},
    };
    for (const auto& c : cases) {
        MerlinDriveModel model;
        ASSERT_TRUE(model.addDrive(9, load(c.file)));
        std::array<uint16_t, 4> id{};
        ASSERT_EQ(model.readHoldingRegisters(9, 995, id), 0) << c.file;
        EXPECT_EQ(id, (std::array<uint16_t, 4>{c.version, c.application, c.type, 1})) << c.file;
    }
}

TEST(MerlinDrive, EveryParameterStartsAtItsDefault)
{
    for (const char* file : {"LM3_Normal_V3.dpf", "LM3 Dorrin_Sequencer_V12.dpf", "LT4_Vexal_V2.dpf"}) {
        const merlin::CDpfParSet set = definition(file);
        auto drive = load(file);
        ASSERT_GT(set.Count(), 150) << file;
        for (const merlin::CPar& par : set.Parameters()) {
            const int offset = par.RegisterOffset();
            if (offset == MerlinDrive::kPassword || (offset >= 50 && offset <= 52) || offset >= 996)
                continue;  // set by the drive itself
            if (offset >= 1 && drive->has(offset)) {
                EXPECT_EQ(drive->value(offset), static_cast<uint16_t>(par.defaultValue)) << file << " " << par.name;
            }
        }
    }
}

TEST_F(MerlinDriveRegisters, WritesAreCheckedAgainstTheDefinition)
{
    const merlin::CDpfParSet set = definition("LM3_Normal_V3.dpf");
    const merlin::CPar parameter = writableParameter(set);
    const merlin::CPar* numeric = &parameter;
    const merlin::CPar* readOnly = nullptr;
    for (const merlin::CPar& par : set.Parameters())
        if (!readOnly && par.access == 1 && par.RegisterOffset() > 100 && par.RegisterOffset() < 900)
            readOnly = &par;
    ASSERT_TRUE(readOnly);
    const int offset = numeric->RegisterOffset();
    EXPECT_EQ(link.WriteRegister(5, offset, static_cast<uint16_t>(numeric->max)), 0);
    EXPECT_EQ(read(offset), numeric->max);
    EXPECT_EQ(link.WriteRegister(5, offset, static_cast<uint16_t>(numeric->max + 1)), merlin::linkException(3));
    EXPECT_EQ(read(offset), numeric->max);
    EXPECT_EQ(link.WriteRegister(5, readOnly->RegisterOffset(), 1), merlin::linkException(2));
    EXPECT_EQ(link.WriteRegister(5, 996, 1), merlin::linkException(2));
    EXPECT_EQ(link.WriteRegister(5, 60000, 1), merlin::linkException(2));
    uint16_t value = 0;
    EXPECT_EQ(link.ReadRegister(5, 60000, value), merlin::linkException(2));
}

TEST_F(MerlinDriveRegisters, RefusedMultipleWriteChangesNothing)
{
    const uint16_t before = read(203);
    const std::array<uint16_t, 3> values{1000, 0, 40000};  // 203 ok, 204 (absent?), 205 too fast
    bool refused = false;
    model.withDrive(5, [&](MerlinDrive& d) { refused = d.write(202, values) != 0; });
    EXPECT_TRUE(refused);
    EXPECT_EQ(read(203), before);
}

TEST_F(MerlinLockedDrive, PasswordUnlocksParameterWrites)
{
    const merlin::CPar par = writableParameter(definition("LM3_Normal_V3.dpf"));
    const int p = par.RegisterOffset();
    const auto lo = static_cast<uint16_t>(par.min);
    EXPECT_EQ(link.WriteRegister(5, p, lo), merlin::kLinkWriteRefused);
    EXPECT_EQ(link.WriteRegister(5, 201, 0x0005), 0) << "control words stay writable";
    EXPECT_EQ(link.WriteRegister(5, 203, 1000), 0) << "speed references stay writable";
    EXPECT_EQ(link.WriteRegister(5, 298, 4321), 0);
    EXPECT_EQ(link.WriteRegister(5, p, lo), merlin::kLinkWriteRefused);
    EXPECT_EQ(link.WriteRegister(5, 298, 1234), 0);
    EXPECT_EQ(link.WriteRegister(5, p, lo), 0);
    EXPECT_EQ(link.WriteRegister(5, 298, 0), 0);
    EXPECT_EQ(link.WriteRegister(5, p, lo), merlin::kLinkWriteRefused) << "a wrong password locks again";
}

TEST_F(MerlinDriveRegisters, StatusWordsFollowTheControlWord)
{
    const struct { uint16_t control; uint16_t status1; uint16_t status2; } cases[] = {
        {0x0000, 0x0001, 0x0000},  // ready, not enabled
        {0x0005, 0x0003, 0x0002},  // forward: running
        {0x0009, 0x0007, 0x0002},  // reverse: running backwards
        {0x0001, 0x0001, 0x0002},  // stop: enabled, standing
        {0x000D, 0x0001, 0x0002},  // both directions: standing
    };
    for (const auto& c : cases) {
        ASSERT_EQ(link.WriteRegister(5, 201, c.control), 0);
        EXPECT_EQ(read(50), c.status1) << std::hex << c.control;
        EXPECT_EQ(read(52), c.status2) << std::hex << c.control;
    }
    EXPECT_EQ(link.WriteRegister(5, 50, 0), merlin::linkException(2)) << "status words are read only";
}

TEST_F(MerlinDriveRegisters, FaultsStopTheDriveUntilResetByBit15)
{
    const merlin::CDpfParSet set = definition("LM3_Normal_V3.dpf");
    const int active = set.ActiveFaults().at(0).registerNumber - 40000;
    const int history1 = set.FaultHistory().at(0).registerNumber - 40000;
    const int history2 = set.FaultHistory().at(1).registerNumber - 40000;
    ASSERT_EQ(link.WriteRegister(5, 201, 0x0005), 0);
    model.withDrive(5, [](MerlinDrive& d) { d.raiseFault(4); });
    model.withDrive(5, [](MerlinDrive& d) { d.raiseFault(2); });
    EXPECT_EQ(read(active), 2);
    EXPECT_EQ(read(history1), 2);
    EXPECT_EQ(read(history2), 4);
    EXPECT_EQ(read(50), 0x0008);
    EXPECT_EQ(read(52), 0x0000);

    ASSERT_EQ(link.WriteRegister(5, 201, 0x8005), 0);
    EXPECT_EQ(read(active), 0);
    EXPECT_EQ(read(history1), 2) << "the history stays";
    EXPECT_EQ(read(50), 0x0003);
}

TEST(MerlinDriveModel, OnlyHoldingRegistersOfPresentUnits)
{
    MerlinDriveModel model;
    EXPECT_FALSE(model.addDrive(0, load("LT4_Vexal_V2.dpf")));
    EXPECT_FALSE(model.addDrive(248, load("LT4_Vexal_V2.dpf")));
    ASSERT_TRUE(model.addDrive(2, load("LT4_Vexal_V2.dpf")));
    EXPECT_EQ(model.units(), std::vector<uint8_t>{2});
    std::array<uint16_t, 1> word{};
    std::array<uint8_t, 1> bit{};
    EXPECT_EQ(model.readInputRegisters(2, 995, word), kIllegalFunction);
    EXPECT_EQ(model.readCoils(2, 0, bit), kIllegalFunction);

    SlaveLink link(model);
    uint16_t value = 0;
    EXPECT_EQ(link.ReadRegister(2, 998, value), merlin::kLinkPortNotOpen);
    link.OpenLink();
    EXPECT_EQ(link.ReadRegister(3, 998, value), merlin::kLinkTimeout) << "an absent drive is silent";
    EXPECT_EQ(link.WriteRegister(0, 201, 1), merlin::kLinkTimeout) << "nobody answers a broadcast";
    EXPECT_EQ(link.ReadRegister(2, 998, value), 0);
    EXPECT_EQ(value, 6);
}

TEST(MerlinSimCli, DriveSpecsAndBadCommandLines)
{
    const struct { const char* text; bool ok; const char* file; int unit; } cases[] = {
        {"LM3_Normal_V3.dpf@5", true, "LM3_Normal_V3.dpf", 5},
        {"LM3 Dorrin_Sequencer_V12.dpf@247", true, "LM3 Dorrin_Sequencer_V12.dpf", 247},
        {"a@b.dpf@3", true, "a@b.dpf", 3},
        {"x.dpf@0", false, "", 0},
        {"x.dpf@248", false, "", 0},
        {"x.dpf@", false, "", 0},
        {"@5", false, "", 0},
        {"x.dpf", false, "", 0},
        {"x.dpf@5a", false, "", 0},
    };
    for (const auto& c : cases) {
        const auto spec = parseDriveSpec(c.text);
        ASSERT_EQ(spec.has_value(), c.ok) << c.text;
        if (spec) {
            EXPECT_EQ(spec->file, c.file);
            EXPECT_EQ(spec->unit, c.unit);
        }
    }
    std::string error;
    EXPECT_FALSE(loadDrive(defaultDefinitionDirectory(), "missing.dpf", 0, error));
    EXPECT_NE(error.find("missing.dpf"), std::string::npos);

    const std::vector<std::vector<std::string>> bad = {
        {"merlin", "--pty"},                                        // no drive
        {"merlin", "--drive", "LT4_Vexal_V2.dpf@1"},                // neither --pty nor --tcp
        {"merlin", "--pty", "--tcp", "0", "--drive", "a.dpf@1"},    // both
        {"merlin", "--pty", "--drive", "a.dpf"},                    // no unit
        {"merlin", "--pty", "--baud"},                              // no value
        {"merlin", "--pty", "--frobnicate", "1"},
    };
    for (auto args : bad) {
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        EXPECT_EQ(merlinSimMain(static_cast<int>(argv.size()), argv.data()), 2) << args.back();
    }
    std::vector<std::string> missing = {"merlin", "--pty", "--drive", "missing.dpf@1"};
    std::vector<char*> argv;
    for (auto& a : missing)
        argv.push_back(a.data());
    EXPECT_EQ(merlinSimMain(static_cast<int>(argv.size()), argv.data()), 1);
}

namespace {

// Register numbers and the edit rule straight from a definition's lines,
// checked on the wire: 40001 is address 0, 40257 address 256.
const char* const kEdgeDefinition =
    "[Revision]\n1,8,'LM3 '\n2,1,'Normal'\n3,3,'V3'\n\n"
    "[Strings]\n1,First\n2,Far\n3,Unlisted\n\n"
    "[Groups]\n1,1,0,a,0,0\n\n"
    "[Parameters]\n"
    "1,1,10,-100,100,0,1,40001,-5,x,0,0\n"
    "2,2,10,0,500,0,0,40257,300,x,0,0\n"
    "3,3,10,0,9,0,0,40300,7,x,0,0\n\n"
    "[Parameter List]\n1,1,1\n2,1,2\n\n"
    "[End]\n";

std::vector<uint8_t> frame(std::initializer_list<uint8_t> bytes) { return bytes; }

}  // namespace

TEST(MerlinDrive, RegistersAndEditRuleComeFromTheDefinitionLines)
{
    platform::testing::TempDir dir;
    dir.write("edge.dpf", kEdgeDefinition);
    std::string error;
    auto drive = loadDrive(dir.path(), dir.path() + "/edge.dpf", 0, error);
    ASSERT_TRUE(drive) << error;
    MerlinDriveModel model;
    model.addDrive(3, std::move(drive));
    ModbusSlave slave(model);
    // Read address 0: the default -5 as a two's complement word.
    EXPECT_EQ(slave.handle(frame({3, 3, 0, 0, 0, 1})), frame({3, 3, 2, 0xFF, 0xFB}));
    EXPECT_EQ(slave.handle(frame({3, 3, 1, 0, 0, 1})), frame({3, 3, 2, 0x01, 0x2C}));
    // A register the file defines but does not list is still the drive's.
    EXPECT_EQ(slave.handle(frame({3, 3, 0x01, 0x2B, 0, 1})), frame({3, 3, 2, 0, 7}));
    // Access 1 refuses the write; limits are the line's, signed below zero.
    EXPECT_EQ(slave.handle(frame({3, 6, 0, 0, 0, 1})), frame({3, 0x86, 2}));
    EXPECT_EQ(slave.handle(frame({3, 6, 1, 0, 0x01, 0xF5})), frame({3, 0x86, 3}));
    EXPECT_EQ(slave.handle(frame({3, 6, 1, 0, 0x01, 0xF4})), frame({3, 6, 1, 0, 0x01, 0xF4}));
    EXPECT_EQ(slave.handle(frame({3, 3, 0, 1, 0, 1})), frame({3, 0x83, 2}));
}
