// The parameter file (.par): layout, round trips of both formats, and every
// way reading a header can fail.
#include "DpfTestSupport.h"

#include <merlin/core/CDpfParSet.h>
#include <merlin/core/ParFileMessages.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

using merlin::CDpfParSet;
using merlin::testing::FailTest;
using merlin::testing::InstallDir;
using platform::MsgIcon;
using platform::testing::ScriptedResponder;

namespace {

uint32_t Le32(const std::string& bytes, size_t offset)
{
    uint32_t v = 0;
    for (int b = 3; b >= 0; --b)
        v = v << 8 | static_cast<uint8_t>(bytes[offset + b]);
    return v;
}

void PutLe32(std::string& bytes, size_t offset, uint32_t v)
{
    for (int b = 0; b < 4; ++b)
        bytes[offset + b] = static_cast<char>(v >> (8 * b));
}

// A document made from the small definition, with some values and flags
// changed, saved as a current-format file.
class ParameterFileTest : public ::testing::Test {
protected:
    CDpfParSet Loaded()
    {
        CDpfParSet set(install.path());
        set.SetTrace(nullptr);
        EXPECT_EQ(set.LoadDefinition("LM3_Normal_V3.dpf"), merlin::kLoadOk);
        return set;
    }
    std::string GoodBytes()
    {
        CDpfParSet set = Loaded();
        return Saved(set);
    }
    std::string Saved(CDpfParSet& set)
    {
        std::ostringstream out;
        EXPECT_EQ(set.WriteFile(out), 0);
        return out.str();
    }
    CDpfParSet Opened(const std::string& bytes, int expected = 0)
    {
        CDpfParSet set(install.path());
        set.SetTrace(nullptr);
        std::istringstream in(bytes);
        EXPECT_EQ(set.LoadParameterFile(in), expected);
        EXPECT_EQ(set.LoadState(), expected);
        return set;
    }
    InstallDir install;
};

TEST_F(ParameterFileTest, HeaderAndRecordsHaveTheirFixedLayout)
{
    CDpfParSet set = Loaded();
    set.SetValueAt(2, -7);
    set.At(2).selectionFlags = 6;
    set.SetViewFlags(merlin::kHideReadOnly | merlin::kFilterActive);
    const std::string bytes = Saved(set);
    ASSERT_EQ(bytes.size(), 1000u + 64u * 6);
    EXPECT_EQ(Le32(bytes, 0) & 0xFFFF, 712u);
    EXPECT_EQ(Le32(bytes, 0) >> 16, std::strlen("LM3_Normal_V3.dpf"));
    EXPECT_EQ(std::string(bytes.data() + 4), "LM3_Normal_V3.dpf");
    EXPECT_EQ(Le32(bytes, 128) & 0xFFFF, 40u);
    EXPECT_EQ(Le32(bytes, 132), 0x40425u);
    EXPECT_EQ(Le32(bytes, 136), 1u);
    EXPECT_EQ(Le32(bytes, 140), 1u);
    EXPECT_EQ(Le32(bytes, 168), 40u | 8u << 16);                // 40, device type
    EXPECT_EQ(Le32(bytes, 172), 1u | 3u << 16);                 // application, version
    EXPECT_EQ(Le32(bytes, 208), 6u);
    EXPECT_EQ(bytes.substr(712, 288), std::string(288, '\0'));
    const size_t record = 1000 + 2 * 64;                         // "Current"
    EXPECT_EQ(Le32(bytes, record + 4), 1u);                      // group
    EXPECT_EQ(Le32(bytes, record + 16), 11u);                    // type
    EXPECT_EQ(Le32(bytes, record + 24), 9999u);                  // max
    EXPECT_EQ(Le32(bytes, record + 32), 10u);                    // unit key
    EXPECT_EQ(Le32(bytes, record + 40), 40111u);                 // register
    EXPECT_EQ(Le32(bytes, record + 44), 95u);                    // default
    EXPECT_EQ(Le32(bytes, record + 56), 6u);                     // selection flags
    EXPECT_EQ(static_cast<int32_t>(Le32(bytes, record + 60)), -7);
    EXPECT_EQ(Le32(bytes, record + 12), 0u);                     // the name is not stored
}

TEST_F(ParameterFileTest, CurrentFormatRoundTrip)
{
    CDpfParSet set = Loaded();
    for (int k = 0; k < set.Count(); ++k) {
        set.SetValueAt(k, 100 + k);
        set.At(k).selectionFlags = k % 8;
    }
    set.SetViewFlags(merlin::kHideDefaults);
    ScriptedResponder quiet(FailTest());
    const CDpfParSet back = Opened(Saved(set));
    ASSERT_EQ(back.Count(), set.Count());
    for (int k = 0; k < set.Count(); ++k) {
        EXPECT_EQ(back.ValueAt(k), 100 + k);
        EXPECT_EQ(back.SelectionFlagsAt(k), k % 8);
        EXPECT_EQ(back.NameAt(k), set.NameAt(k));
    }
    EXPECT_EQ(back.ViewFlags(), merlin::kHideDefaults);
    EXPECT_EQ(back.DefinitionName(), "lm3_normal_v3.dpf");   // names travel in lower case
    EXPECT_EQ(back.DeviceType(), 8);
    EXPECT_EQ(back.GroupNames(), (std::vector<std::string>{"Basic", "Motor", "Faults"}));
    EXPECT_EQ(back.ActiveFaults().size(), 1u);
}

TEST_F(ParameterFileTest, SavingThroughAFileWritesTheSameBytes)
{
    CDpfParSet set = Loaded();
    const std::string path = install.file("pump.par");
    ASSERT_EQ(set.SaveParameterFile(path), 0);
    EXPECT_EQ(install.read("pump.par"), Saved(set));
    CDpfParSet back(install.path());
    back.SetTrace(nullptr);
    EXPECT_EQ(back.LoadParameterFile(std::filesystem::path(path)), 0);
    EXPECT_EQ(back.Count(), set.Count());
    EXPECT_EQ(set.SaveParameterFile(install.file("no/such/dir/x.par")), -1);
}

std::string OlderFile(const std::string& name, const std::vector<int>& values)
{
    std::string bytes(4, '\0');
    PutLe32(bytes, 0, static_cast<uint32_t>(name.size()));
    bytes += name;
    std::string numbers(12, '\0');
    PutLe32(numbers, 0, 8);
    PutLe32(numbers, 4, 1);
    PutLe32(numbers, 8, 3);
    bytes += numbers;
    bytes.resize(1000, '\0');
    bytes += "**********";
    for (int v : values) {
        std::string record(64, '\0');
        PutLe32(record, 56, 1);
        PutLe32(record, 60, static_cast<uint32_t>(v));
        bytes += record;
    }
    return bytes;
}

TEST_F(ParameterFileTest, OlderFormatIsReadAndSavedAsTheCurrentOne)
{
    ScriptedResponder responder(FailTest());
    responder.expect(merlin::kMsgOlderParFile, MsgIcon::Information);
    CDpfParSet set = Opened(OlderFile("C:\\Drives\\LM3_NORMAL_V3.dpf", {11, 22, 33, 44, 55, 66}));
    EXPECT_TRUE(responder.verify());
    EXPECT_EQ(set.DefinitionName(), "lm3_normal_v3.dpf");
    EXPECT_EQ(set.ValueAt(0), 11);
    EXPECT_EQ(set.ValueAt(5), 66);
    EXPECT_EQ(set.SelectionFlagsAt(5), 1);
    const std::string saved = Saved(set);
    EXPECT_EQ(saved.size(), 1000u + 6 * 64);
    EXPECT_NE(saved.substr(1000, 10), "**********");
    EXPECT_EQ(static_cast<int32_t>(Le32(saved, 1000 + 60)), 11);   // records start at 1000
    EXPECT_EQ(std::string(saved.data() + 4), "lm3_normal_v3.dpf");
}

TEST_F(ParameterFileTest, FileOfExactly1010BytesOpensWithNoRecords)
{
    std::string bytes = GoodBytes();
    bytes.resize(1010);
    ScriptedResponder quiet(FailTest());
    const CDpfParSet set = Opened(bytes);
    ASSERT_EQ(set.Count(), 6);
    for (int k = 0; k < set.Count(); ++k)
        EXPECT_EQ(set.ValueAt(k), set.At(k).defaultValue);
}

TEST_F(ParameterFileTest, ShortFileLeavesTheRemainingParametersAtTheirDefaults)
{
    CDpfParSet set = Loaded();
    for (int k = 0; k < set.Count(); ++k)
        set.SetValueAt(k, 1);
    std::string bytes = Saved(set);
    bytes.resize(1000 + 2 * 64);
    ScriptedResponder quiet(FailTest());
    const CDpfParSet two = Opened(bytes);
    EXPECT_EQ(two.ValueAt(1), 1);
    EXPECT_EQ(two.ValueAt(2), 95);

    // A cut record ends the records like the end of the file does.
    bytes = Saved(set);
    bytes.resize(1000 + 3 * 64 + 20);
    const CDpfParSet cut = Opened(bytes);
    EXPECT_EQ(cut.ValueAt(2), 1);
    EXPECT_EQ(cut.ValueAt(3), 0);
    EXPECT_EQ(cut.ValueAt(5), 0);
}

TEST_F(ParameterFileTest, ReadErrorInARecordShowsFileErrorAndKeepsTheDefinitionValues)
{
    CDpfParSet set = Loaded();
    for (int k = 0; k < set.Count(); ++k)
        set.SetValueAt(k, 1);
    // The stream breaks at the third record.
    class BreakingBuffer : public std::stringbuf {
    public:
        using std::stringbuf::stringbuf;
    protected:
        std::streamsize xsgetn(char* s, std::streamsize n) override
        {
            if (gptr() - eback() >= 1000 + 2 * 64)
                throw std::ios_base::failure("device error");
            return std::stringbuf::xsgetn(s, n);
        }
    } buffer(Saved(set));
    std::istream in(&buffer);
    CDpfParSet back(install.path());
    back.SetTrace(nullptr);
    ScriptedResponder responder(FailTest());
    responder.expect(merlin::kMsgFileError, MsgIcon::Exclamation);
    EXPECT_EQ(back.LoadParameterFile(in), 0);
    EXPECT_TRUE(responder.verify());
    EXPECT_EQ(back.ValueAt(1), 1);
    EXPECT_EQ(back.ValueAt(2), 95);
}

TEST_F(ParameterFileTest, LongerFileIsReadForAsManyParametersAsTheDefinitionHas)
{
    install.write("DeviceData/big.dpf", merlin::testing::SmallDefinition(4));
    CDpfParSet big(install.path());
    big.SetTrace(nullptr);
    ASSERT_EQ(big.LoadDefinition("big.dpf"), merlin::kLoadOk);
    ASSERT_EQ(big.Count(), 10);
    for (int k = 0; k < big.Count(); ++k)
        big.SetValueAt(k, 300 + k);
    big.SetDefinitionName("LM3_Normal_V3.dpf");
    ScriptedResponder quiet(FailTest());
    const CDpfParSet small = Opened(Saved(big));
    ASSERT_EQ(small.Count(), 6);
    EXPECT_EQ(small.ValueAt(5), 305);
}

struct HeaderFailure {
    const char* what;
    std::function<void(std::string&)> damage;
    const char* message;
    int result;
};

TEST_F(ParameterFileTest, EveryHeaderFailureHasItsMessageAndResult)
{
    const std::string good = GoodBytes();
    const HeaderFailure failures[] = {
        {"1009 bytes", [](std::string& b) { b.resize(1009); }, merlin::kMsgInvalidParFile, merlin::kHeaderInvalid},
        {"empty", [](std::string& b) { b.clear(); }, merlin::kMsgInvalidParFile, merlin::kHeaderInvalid},
        {"size field", [](std::string& b) { b[0] = 1; }, merlin::kMsgInvalidParFile, merlin::kHeaderInvalid},
        {"format mark", [](std::string& b) { b[132] = 0x26; }, merlin::kMsgInvalidParFile, merlin::kHeaderInvalid},
        {"no .dpf", [](std::string& b) { std::memcpy(&b[4], "LM3_Normal_V3.txt", 17); },
         merlin::kMsgNoDpfName, merlin::kHeaderNoDpfName},
        {"name cut before .dpf", [](std::string& b) { b[2] = 13; }, merlin::kMsgNoDpfName, merlin::kHeaderNoDpfName},
        {"name length beyond the field", [](std::string& b) { b[2] = static_cast<char>(0xFF); b[3] = 0x7F; },
         nullptr, 0},
    };
    for (const HeaderFailure& f : failures) {
        SCOPED_TRACE(f.what);
        std::string bytes = good;
        f.damage(bytes);
        ScriptedResponder responder(FailTest());
        if (f.message)
            responder.expect(f.message, MsgIcon::Exclamation);
        const CDpfParSet set = Opened(bytes, f.result);
        EXPECT_TRUE(responder.verify());
        if (f.result != 0) {
            EXPECT_EQ(set.Count(), 0);   // no values are read
        }
    }
}

TEST_F(ParameterFileTest, OlderFormatNameLengthMustStayBelow120)
{
    for (size_t length : {size_t{119}, size_t{120}}) {
        std::string name(length - 4, 'x');
        name += ".dpf";
        ScriptedResponder responder(FailTest());
        responder.expect(merlin::kMsgOlderParFile, MsgIcon::Information);
        if (length == 120) {
            responder.expect(merlin::kMsgInvalidParFile, MsgIcon::Exclamation);
        } else {
            const std::string path = (std::filesystem::path(install.path()) / "DeviceData" / name).string();
            responder.expect("'" + path + "'\n not found !", MsgIcon::Exclamation);
        }
        Opened(OlderFile(name, {}), length == 120 ? merlin::kHeaderInvalid : merlin::kLoadMissing);
        EXPECT_TRUE(responder.verify());
    }
}

// A stream that fails while the header is read.
class FailingBuffer : public std::stringbuf {
public:
    explicit FailingBuffer(const std::string& s) : std::stringbuf(s) {}
protected:
    std::streamsize xsgetn(char* s, std::streamsize n) override
    {
        if (gptr() - eback() < 1000 && n == 712)
            throw std::ios_base::failure("device error");
        return std::stringbuf::xsgetn(s, n);
    }
};

TEST_F(ParameterFileTest, ReadErrorInTheHeaderIsAFileError)
{
    FailingBuffer buffer(GoodBytes());
    std::istream in(&buffer);
    CDpfParSet set(install.path());
    ScriptedResponder responder(FailTest());
    responder.expect(merlin::kMsgInvalidParFile, MsgIcon::Exclamation);
    EXPECT_EQ(set.LoadParameterFile(in), merlin::kHeaderFileError);
    EXPECT_TRUE(responder.verify());

    ScriptedResponder missing(FailTest());
    missing.expect(merlin::kMsgInvalidParFile, MsgIcon::Exclamation);
    EXPECT_EQ(set.LoadParameterFile(std::filesystem::path(install.file("none.par"))), merlin::kHeaderFileError);
}

TEST_F(ParameterFileTest, WindowsPathInTheHeaderLoadsTheDefinitionFromDeviceData)
{
    CDpfParSet set = Loaded();
    set.SetDefinitionName("Drives\\LM3_Normal_V3.DPF");
    set.SetValueAt(0, 4321);
    ScriptedResponder quiet(FailTest());
    const CDpfParSet back = Opened(Saved(set));
    EXPECT_EQ(back.DefinitionName(), "lm3_normal_v3.dpf");
    EXPECT_EQ(back.ValueAt(0), 4321);
}

TEST_F(ParameterFileTest, MissingDefinitionReportsTheFullPath)
{
    CDpfParSet set = Loaded();
    set.SetDefinitionName("LT4_Vexal_V2.dpf");
    const std::string bytes = Saved(set);
    ScriptedResponder responder(FailTest());
    const std::string path = (std::filesystem::path(install.path()) / "DeviceData" / "lt4_vexal_v2.dpf").string();
    responder.expect("'" + path + "'\n not found !", MsgIcon::Exclamation);
    const CDpfParSet back = Opened(bytes, merlin::kLoadMissing);
    EXPECT_TRUE(responder.verify());
    EXPECT_EQ(back.Count(), 0);
}

TEST_F(ParameterFileTest, OverlongDefinitionNameIsCutToTheNameField)
{
    CDpfParSet set = Loaded();
    set.SetDefinitionName(std::string(200, 'n') + ".dpf");
    const std::string bytes = Saved(set);
    EXPECT_EQ(Le32(bytes, 0) >> 16, 123u);
    EXPECT_EQ(std::string(bytes.data() + 4).size(), 123u);
    EXPECT_EQ(Le32(bytes, 128) & 0xFFFF, 40u);   // nothing beyond the field was touched
}

}  // namespace
