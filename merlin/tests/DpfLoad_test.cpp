// Loading definition files: from DeviceData by name, through the file
// dialog, replacing a document's definition; and the definition files we ship.
#include "DpfTestSupport.h"

#include <merlin/core/CDpfParSet.h>
#include <merlin/core/DefinitionChoice.h>
#include <merlin/core/DeviceNames.h>

#include <platform/testing/ScriptedFileDialogs.h>

#include <gtest/gtest.h>

#include <set>
#include <sstream>

using merlin::CDpfParSet;
using merlin::testing::FailTest;
using merlin::testing::InstallDir;
using platform::MsgIcon;
using platform::testing::ScriptedResponder;

namespace {

// The file dialog answers from a script of paths (nullopt: Cancel) and
// fails the test on a dialog too many or an answer left over.
class ScriptedDialog : public platform::testing::ScriptedFileDialogs {
public:
    explicit ScriptedDialog(std::vector<std::optional<std::string>> answers)
        : ScriptedFileDialogs(FailTest(), std::move(answers))
    {
    }
};

class DpfLoadTest : public ::testing::Test {
protected:
    DpfLoadTest() : set(install.path()) { set.SetTrace(nullptr); }
    std::string NotFound(const std::string& what) { return "'" + what + "'\n not found !"; }
    InstallDir install;
    CDpfParSet set;
};

TEST_F(DpfLoadTest, LoadDefinitionBuildsTheSetFromDeviceData)
{
    EXPECT_EQ(set.LoadDefinition("LM3_Normal_V3.dpf"), merlin::kLoadOk);
    EXPECT_EQ(set.DefinitionName(), "LM3_Normal_V3.dpf");
    EXPECT_EQ(set.Count(), 6);
    EXPECT_EQ(set.GroupNameCount(), 3);
    EXPECT_EQ(set.GroupNames()[2], "Faults");
    EXPECT_EQ(set.DeviceType(), 8);
    EXPECT_EQ(set.deviceTypeText, "LM3");
}

TEST_F(DpfLoadTest, NamesAreMatchedIgnoringCase)
{
    EXPECT_EQ(set.LoadDefinition("lm3_normal_v3.DPF"), merlin::kLoadOk);
    EXPECT_EQ(set.Count(), 6);
    EXPECT_EQ(set.FindDefinitionFile("../LM3_normal_v3.dpf"),
              std::filesystem::path(install.path()) / "DeviceData" / "LM3_Normal_V3.dpf");
}

TEST_F(DpfLoadTest, MissingDefinitionIsReportedWithItsName)
{
    ScriptedResponder responder(FailTest());
    responder.expect(NotFound("X.dpf"), MsgIcon::Exclamation);
    EXPECT_EQ(set.LoadDefinition("X.dpf"), merlin::kLoadMissing);
    EXPECT_EQ(set.LoadState(), merlin::kLoadMissing);
    EXPECT_TRUE(responder.verify());
    EXPECT_EQ(set.Count(), 0);
}

TEST_F(DpfLoadTest, LoadingAgainReplacesEverythingOfTheFirstDefinition)
{
    install.write("DeviceData/other.dpf",
                  "[Strings]\n1,Only\n\n[Parameters]\n1,1,10,0,9,0,0,40001,0\n\n[Parameter List]\n1,1,1\n[End]\n");
    ASSERT_EQ(set.LoadDefinition("LM3_Normal_V3.dpf"), merlin::kLoadOk);
    ASSERT_EQ(set.LoadDefinition("other.dpf"), merlin::kLoadOk);
    EXPECT_EQ(set.Count(), 1);
    EXPECT_EQ(set.GroupNameCount(), 0);
    EXPECT_EQ(set.EnumTable().TextCount(), 0);
    EXPECT_TRUE(set.ActiveFaults().empty());
}

TEST_F(DpfLoadTest, DialogChoiceIsAlwaysReadFromDeviceData)
{
    ScriptedDialog dialog({"/somewhere/else/LM3_Normal_V3.dpf"});
    std::string stored;
    EXPECT_EQ(merlin::LoadNewDefinition(set, stored), merlin::kLoadOk);
    EXPECT_EQ(set.Count(), 6);
    ASSERT_EQ(dialog.requests.size(), 1u);
    const platform::FileDialogRequest& request = dialog.requests[0];
    EXPECT_FALSE(request.save);
    EXPECT_EQ(request.defaultExtension, "dpf");
    EXPECT_EQ(request.filter, "DPF Files(*.dpf) | *.dpf||");
    EXPECT_EQ(request.fileName, (std::filesystem::path(install.path()) / "DeviceData" / "*.dpf").string());
}

TEST_F(DpfLoadTest, DialogChoiceMissingFromDeviceDataIsReportedByName)
{
    ScriptedDialog dialog({"/somewhere/else/X.dpf"});
    ScriptedResponder responder(FailTest());
    responder.expect(NotFound("X.dpf"), MsgIcon::Exclamation);
    std::string stored;
    EXPECT_EQ(merlin::LoadNewDefinition(set, stored), merlin::kLoadMissing);
    EXPECT_TRUE(responder.verify());
}

TEST_F(DpfLoadTest, StoredNameIsUsedOnceAndFallsBackToTheDialog)
{
    {
        std::string stored = "LM3_Normal_V3.dpf";
        EXPECT_EQ(merlin::LoadNewDefinition(set, stored), merlin::kLoadOk);
        EXPECT_TRUE(stored.empty());
    }
    {
        CDpfParSet other(install.path());
        other.SetTrace(nullptr);
        std::string stored = "LT4_Vexal_V2.dpf";
        ScriptedResponder responder(FailTest());
        responder.expect(NotFound("LT4_Vexal_V2.dpf"), MsgIcon::Exclamation);
        ScriptedDialog dialog({std::nullopt});
        EXPECT_EQ(merlin::LoadNewDefinition(other, stored), 0);   // cancelled: no document
        EXPECT_TRUE(stored.empty());
        EXPECT_TRUE(responder.verify());
    }
}

TEST_F(DpfLoadTest, ReplacingTheDefinitionCarriesValuesOverByRegister)
{
    ASSERT_EQ(set.LoadDefinition("LM3_Normal_V3.dpf"), merlin::kLoadOk);
    set.SetValueAt(0, 4000);   // 40101
    set.SetValueAt(3, 3);      // 40010: not carried over
    set.SetValueAt(2, 120);    // 40111: not in the new definition
    install.write("DeviceData/new.dpf",
                  "[Strings]\n1,Speed\n2,Macro\n3,New\n\n"
                  "[Parameters]\n1,1,12,0,32000,0,0,40101,5000\n2,2,10,0,4,0,0,40010,1\n3,3,10,0,9,0,0,40500,7\n\n"
                  "[Parameter List]\n1,1,1\n2,1,2\n3,2,3\n[End]\n");
    ScriptedDialog dialog({"/tmp/new.dpf"});
    EXPECT_EQ(merlin::ReplaceDefinition(set), merlin::kLoadOk);
    ASSERT_EQ(set.Count(), 3);
    EXPECT_EQ(set.DefinitionName(), "new.dpf");
    EXPECT_EQ(set.ValueAt(0), 4000);
    EXPECT_EQ(set.ValueAt(1), 1);
    EXPECT_EQ(set.ValueAt(2), 7);
}

TEST_F(DpfLoadTest, ReplacingWithAMissingFileOrCancellingChangesNothing)
{
    ASSERT_EQ(set.LoadDefinition("LM3_Normal_V3.dpf"), merlin::kLoadOk);
    set.SetValueAt(0, 4000);
    {
        ScriptedDialog dialog({std::nullopt});
        EXPECT_EQ(merlin::ReplaceDefinition(set), 0);
    }
    {
        ScriptedDialog dialog({"/elsewhere/gone.dpf"});
        ScriptedResponder responder(FailTest());
        responder.expect(NotFound("gone.dpf"), MsgIcon::Exclamation);
        EXPECT_EQ(merlin::ReplaceDefinition(set), merlin::kLoadMissing);
        EXPECT_TRUE(responder.verify());
    }
    EXPECT_EQ(set.Count(), 6);
    EXPECT_EQ(set.ValueAt(0), 4000);
    EXPECT_EQ(set.DefinitionName(), "LM3_Normal_V3.dpf");
}

// --- the definition files we ship -------------------------------------------

std::filesystem::path ShippedDeviceData()
{
    return std::filesystem::canonical("/proc/self/exe").parent_path() / "DeviceData";
}

class ShippedDefinition : public ::testing::TestWithParam<const char*> {};

TEST_P(ShippedDefinition, ParsesCleanlyAndCarriesTheRegistersTheProgramUses)
{
    CDpfParSet set(ShippedDeviceData().parent_path());
    std::ostringstream trace;
    set.SetTrace(&trace);
    set.ResetTables();
    ASSERT_EQ(set.ParseDefinition(ShippedDeviceData() / GetParam()), merlin::kParseOk);
    EXPECT_NE(trace.str().find("EndTable\n************* 0 Errors ***************\n"), std::string::npos);
    std::vector<std::string> names;
    EXPECT_GE(set.CollectGroupNames(names), 10);
    set.BuildParameterSet();
    EXPECT_GE(set.Count(), 150);
    EXPECT_EQ(set.NumberOfGroups(), set.GroupCount());
    // The file is named after the device it describes.
    EXPECT_EQ(merlin::definitionFileName(set.DeviceType(), set.Application(), set.Version()), GetParam());

    std::set<int> registers;
    int choices = 0, readOnly = 0, withUnit = 0;
    for (int g = 0; g < set.NumberOfGroups(); ++g)
        for (int i = 0; i < set.GroupSize(g); ++i) {
            const merlin::CPar& p = set.At(set.FlatIndex(g, i));
            EXPECT_TRUE(registers.insert(p.registerNumber).second) << p.registerNumber;
            EXPECT_NE(p.name, "???");
            EXPECT_GE(p.defaultValue, p.min) << p.name;
            EXPECT_LE(p.defaultValue, p.max) << p.name;
            EXPECT_FALSE(set.ValueText(g, i).empty()) << p.name;
            choices += p.IsChoice();
            readOnly += p.access == 1;
            withUnit += !set.Unit(g, i).empty();
        }
    EXPECT_GE(choices, 40);
    EXPECT_GE(readOnly, 20);
    EXPECT_GE(withUnit, 40);
    for (int reg : {40010, 40050, 40052, 40060, 40061, 40201, 40202, 40203, 40205, 40298, 40299, 40981,
                    40996, 40997, 40998, 40999})
        EXPECT_TRUE(registers.count(reg)) << reg;

    // Identification registers answer with the numbers of [Revision].
    auto defaultOf = [&](int reg) {
        for (const merlin::CPar& p : set.Parameters())
            if (p.registerNumber == reg)
                return p.defaultValue;
        return -1;
    };
    EXPECT_EQ(defaultOf(40998), set.DeviceType());
    EXPECT_EQ(defaultOf(40997), set.Application());
    EXPECT_EQ(defaultOf(40996), set.Version());

    ASSERT_EQ(set.ActiveFaults().size(), 2u);
    ASSERT_EQ(set.FaultHistory().size(), 8u);
    EXPECT_EQ(set.ActiveFaults()[0].registerNumber, 40060);
    EXPECT_EQ(set.FaultHistory()[0].name, "Fault history 1");
    EXPECT_EQ(set.FaultHistory()[7].registerNumber, 40268);
    ASSERT_GE(set.FaultCodeTable().size(), 20u);
    EXPECT_EQ(set.FaultCodeTable()[0].code, 0);
    EXPECT_EQ(set.FaultCodeTable()[0].text, "No fault");
}

INSTANTIATE_TEST_SUITE_P(DeviceData, ShippedDefinition,
                         ::testing::Values("LM3_Normal_V3.dpf", "LM3 Dorrin_Sequencer_V12.dpf", "LT4_Vexal_V2.dpf"));

}  // namespace
