// CParSet and CEnumTable: groups, limits and the by-index operations.
#include <merlin/core/CEnumTable.h>
#include <merlin/core/CParSet.h>

#include <gtest/gtest.h>

using merlin::CPar;
using merlin::CParSet;

namespace {

CPar Numeric(int type, int min, int max, int def = 0, int reg = 40001)
{
    CPar p;
    p.name = "P" + std::to_string(reg);
    p.type = type;
    p.min = min;
    p.max = max;
    p.defaultValue = def;
    p.value = def;
    p.registerNumber = reg;
    return p;
}

// Groups 0 (three parameters) and 1 (two).
CParSet TwoGroups()
{
    CParSet set;
    for (int k = 0; k < 5; ++k)
        set.AddParameter(Numeric(10, 0, 100, k, 40001 + k), k < 3 ? 0 : 1);
    return set;
}

TEST(ParSet, GroupsStartWhereTheirNumberChanges)
{
    const CParSet set = TwoGroups();
    EXPECT_EQ(set.NumberOfGroups(), 2);
    EXPECT_EQ(set.GroupStart(0), 0);
    EXPECT_EQ(set.GroupStart(1), 3);
    EXPECT_EQ(set.GroupSize(0), 3);
    EXPECT_EQ(set.GroupSize(1), 2);   // the last group counts to the end
    EXPECT_EQ(set.GroupStart(2), -1);
    EXPECT_EQ(set.GroupSize(2), -1);
    EXPECT_EQ(set.GroupSize(-1), -1);
    EXPECT_EQ(set.FlatIndex(1, 1), 4);
    EXPECT_EQ(set.FlatIndex(1, 2), -1);
    EXPECT_EQ(set.FlatIndex(0, -1), -1);
    EXPECT_EQ(set.At(4).group, 1);
    EXPECT_EQ(CParSet().FlatIndex(0, 0), -1);
}

TEST(ParSet, GroupNumbersSkippedOverAreEmptyGroups)
{
    CParSet set;
    set.AddParameter(Numeric(10, 0, 1), 0);
    set.AddParameter(Numeric(10, 0, 1), 3);
    EXPECT_EQ(set.NumberOfGroups(), 4);
    EXPECT_EQ(set.GroupSize(1), 0);
    EXPECT_EQ(set.GroupSize(2), 0);
    EXPECT_EQ(set.GroupSize(3), 1);
    EXPECT_EQ(set.FlatIndex(3, 0), 1);
    EXPECT_EQ(set.AddParameter(Numeric(10, 0, 1), -1), -1);
    EXPECT_EQ(set.Count(), 2);
}

TEST(ParSet, AGroupThatComesBackMovesItsStart)
{
    // Groups must stand together: 1, 1, 2, 2, 1 gives group 1 its start at
    // the fifth entry, and its first parameters are lost to it.
    CParSet set;
    for (int g : {0, 0, 1, 1, 0})
        set.AddParameter(Numeric(10, 0, 1), g);
    EXPECT_EQ(set.GroupStart(0), 4);
    EXPECT_EQ(set.GroupStart(1), 2);
    EXPECT_EQ(set.FlatIndex(0, 0), -1);
}

TEST(ParSet, EmptyRemovesParametersAndGroupsButNotTheHeader)
{
    CParSet set = TwoGroups();
    set.SetDefinitionName("x.dpf");
    set.SetViewFlags(merlin::kFilterActive);
    set.Empty();
    EXPECT_EQ(set.Count(), 0);
    EXPECT_EQ(set.NumberOfGroups(), 0);
    EXPECT_EQ(set.DefinitionName(), "x.dpf");
    EXPECT_EQ(set.ViewFlags(), merlin::kFilterActive);
    // Group numbering starts afresh.
    set.AddParameter(Numeric(10, 0, 1), 0);
    EXPECT_EQ(set.GroupStart(0), 0);
}

struct SetValueCase {
    int type, min, max, n;
    int result, stored;
};

TEST(ParSet, SetValueChecksTheRawValueAgainstTheLimits)
{
    const SetValueCase cases[] = {
        {12, 0, 100, 50, merlin::kValueOk, 50},
        {12, 10, 100, 9, merlin::kValueBelowMin, 7},
        {12, 10, 100, 101, merlin::kValueAboveMax, 7},
        // Choice: n is the position among the offered choices, raw min + n.
        {1, 2, 4, 0, merlin::kValueOk, 2},
        {1, 2, 4, 2, merlin::kValueOk, 4},
        {1, 2, 4, 3, merlin::kValueAboveMax, 7},
        {1, 2, 4, -1, merlin::kValueBelowMin, 7},
        {1, 2, 2147483647, 2147483647, merlin::kValueAboveMax, 7},
    };
    for (const SetValueCase& c : cases) {
        CParSet set;
        set.AddParameter(Numeric(c.type, c.min, c.max, 7), 0);
        EXPECT_EQ(set.SetValue(0, 0, c.n), c.result) << c.type << " " << c.n;
        EXPECT_EQ(set.ValueAt(0), c.stored) << c.type << " " << c.n;
    }
    CParSet set = TwoGroups();
    EXPECT_EQ(set.SetValue(0, 3, 1), merlin::kValueNotFound);
    EXPECT_EQ(set.SetValue(2, 0, 1), merlin::kValueNotFound);
}

struct TextCase {
    int type, min, max;
    const char* text;
    int result, stored;
};

TEST(ParSet, SetValueFromTextRoundsUpAfterScaling)
{
    const TextCase cases[] = {
        {12, 0, 100000, "12.341", merlin::kValueOk, 1235},
        {12, 0, 100000, "0.07", merlin::kValueOk, 8},     // 0.07 * 100 is just above 7
        {12, 0, 100000, "12.34", merlin::kValueOk, 1234},
        {11, -100, 100, "-0.05", merlin::kValueOk, 0},    // ceil(-0.5)
        {12, -1000, 1000, "-0.05", merlin::kValueOk, -5},
        {11, 0, 1000, "  3.5", merlin::kValueOk, 35},
        {11, 0, 1000, "12,5", merlin::kValueOk, 120},     // stops at the comma
        {10, 0, 1000, "1e2", merlin::kValueOk, 100},
        {10, 0, 1000, "2.5e", merlin::kValueOk, 3},
        {10, 0, 1000, "0x10", merlin::kValueOk, 0},       // decimal only
        {10, 0, 1000, "inf", merlin::kValueOk, 0},
        {10, 0, 1000, "abc", merlin::kValueOk, 0},
        {10, 1, 1000, "abc", merlin::kValueBelowMin, 77},
        {10, 0, 1000, "1001", merlin::kValueAboveMax, 77},
        {12, 0, 2147483647, "1e300", merlin::kValueAboveMax, 77},
        {12, -2147483647, 0, "-1e300", merlin::kValueBelowMin, 77},
        {10, 0, 1000, ".5", merlin::kValueOk, 1},
    };
    for (const TextCase& c : cases) {
        CParSet set;
        set.AddParameter(Numeric(c.type, c.min, c.max, 77), 0);
        EXPECT_EQ(set.SetValueFromText(0, 0, c.text), c.result) << c.text;
        EXPECT_EQ(set.ValueAt(0), c.stored) << c.text;
    }
    CParSet set;
    EXPECT_EQ(set.SetValueFromText(0, 0, "1"), merlin::kValueNotFound);
}

TEST(ParSet, NotFoundResultsOfTheGetters)
{
    CParSet set = TwoGroups();
    set.At(1).access = 1;
    set.At(1).value = 99;
    CPar out;
    EXPECT_EQ(set.GetParameter(0, 1, out), 1);
    EXPECT_EQ(out.registerNumber, 40002);
    EXPECT_EQ(set.GetParameter(0, 3, out), 0);
    EXPECT_EQ(set.GetDefault(0, 1), 1);
    EXPECT_EQ(set.GetDefault(5, 0), 0);
    EXPECT_EQ(set.IsAtDefault(0, 0), 1);
    EXPECT_EQ(set.IsAtDefault(0, 1), 0);
    EXPECT_EQ(set.IsAtDefault(9, 9), 0);
    EXPECT_EQ(set.GetAccess(0, 1), 1);
    EXPECT_EQ(set.GetAccess(0, 9), 0);
    int access = -5;
    EXPECT_EQ(set.ValueAt(1, access), 99);
    EXPECT_EQ(access, 1);
    EXPECT_EQ(set.RegisterOffsetAt(4), 5);
}

TEST(ParSet, SelectionFlagsPerParameterAndPerGroup)
{
    CParSet set = TwoGroups();
    EXPECT_EQ(set.SetSelectionFlags(0, 0, 7), 0);
    EXPECT_EQ(set.SetSelectionFlags(0, 1, 3), 0);
    EXPECT_EQ(set.SetSelectionFlags(0, 2, 6), 0);
    EXPECT_EQ(set.GroupSelectionFlags(0), 2);
    EXPECT_EQ(set.GetSelectionFlags(0, 2), 6);
    EXPECT_EQ(set.SelectionFlagsAt(2), 6);
    EXPECT_EQ(set.GroupSelectionFlags(1), 0);
    EXPECT_EQ(set.GroupSelectionFlags(2), -1);
    EXPECT_EQ(set.GetSelectionFlags(0, 3), -1);
    EXPECT_EQ(set.SetSelectionFlags(3, 0, 1), -1);
}

TEST(ParSet, HeaderNumbersLiveInTheHeaderBlock)
{
    CParSet set;
    set.SetDeviceType(8);
    set.SetApplication(0x0102);
    set.SetVersion(65535);
    set.SetViewFlags(0x01020304);
    const auto& block = set.HeaderBlock();
    EXPECT_EQ(block[170], 8);
    EXPECT_EQ(block[172], 0x02);
    EXPECT_EQ(block[173], 0x01);
    EXPECT_EQ(set.Version(), 65535);
    EXPECT_EQ(block[208], 0x04);
    EXPECT_EQ(block[211], 0x01);
    EXPECT_EQ(set.ViewFlags(), 0x01020304u);
}

TEST(EnumTable, ListsAreRunsOfTextsInFileOrder)
{
    merlin::CEnumTable table;
    EXPECT_EQ(table.AddText("Off", 1), 0);
    EXPECT_EQ(table.AddText("On", 1), 1);
    EXPECT_EQ(table.AddText("A", 4), 2);
    EXPECT_EQ(table.AddText("B", 4), 3);
    EXPECT_EQ(table.AddText("C", 4), 4);
    EXPECT_EQ(table.AddText("X", 3), 5);   // lists need not rise
    EXPECT_EQ(table.AddText("bad", -1), -1);
    EXPECT_EQ(table.AddText("bad", merlin::CEnumTable::kMaxLists), -1);
    EXPECT_EQ(table.ListLength(1), 2);
    EXPECT_EQ(table.ListLength(4), 3);
    EXPECT_EQ(table.ListLength(3), 1);
    EXPECT_EQ(table.ListLength(2), 0);      // never defined
    EXPECT_EQ(table.ListStart(2), -1);
    EXPECT_EQ(table.Text(4, 2), "C");
    EXPECT_EQ(table.Text(4, 3), "");
    EXPECT_EQ(table.Text(4, -1), "");
    EXPECT_EQ(table.Text(7, 0), "");
    EXPECT_EQ(table.Text(3, 0), "X");
}

TEST(EnumTable, ChoicesAreTheExistingTextsOfTheRange)
{
    merlin::CEnumTable table;
    for (const char* t : {"a", "b", "c", "d", "e"})
        table.AddText(t, 0);
    EXPECT_EQ(table.BuildChoices(0, 2, 4), (std::vector<std::string>{"c", "d", "e"}));
    // Fewer texts than max + 1: only those that exist.
    EXPECT_EQ(table.BuildChoices(0, 3, 9), (std::vector<std::string>{"d", "e"}));
    EXPECT_TRUE(table.BuildChoices(5, 0, 9).empty());
    EXPECT_TRUE(table.BuildChoices(0, 4, 3).empty());
    EXPECT_TRUE(table.Choices().empty());
    table.Clear();
    EXPECT_EQ(table.TextCount(), 0);
    EXPECT_EQ(table.AddText("again", 0), 0);
    EXPECT_EQ(table.ListLength(0), 1);
}

}  // namespace
