// The parameter set built from a definition: values and limits as text,
// units, choices, group names, and carrying values over by register.
#include <merlin/core/CDpfParSet.h>

#include <gtest/gtest.h>

#include <clocale>
#include <sstream>

using merlin::CDpfParSet;

namespace {

// Group 1 "Drive": speed (2 decimals, Hz), mode (choice 2..4 of list 5),
// torque (1 decimal), count (no decimals), an undefined parameter.
// Group 2 "Misc": macro at 40010, a choice list shorter than its max.
const char* const kDefinition =
    "[Strings]\n1,Drive\n2,Misc\n3,Speed\n4,Hz\n5,Mode\n6,Torque\n7,%\n8,Count\n"
    "9,Zero\n10,One\n11,Two\n12,Three\n13,Four\n14,Macro\n15,Short list\n\n"
    "[Groups]\n1,1,0, D,0,0\n2,2,0, M,0,0\n\n"
    "[Parameters]\n"
    "1,3,12,0,32000,4,0,40101,1234\n"
    "2,5,1,2,4,5,0,40102,3\n"
    "3,6,11,-1000,1000,7,1,40103,-5\n"
    "4,8,10,0,65535,0,0,40104,1234\n"
    "5,14,1,0,4,5,0,40010,1\n"
    "6,15,1,0,9,6,0,40105,0\n\n"
    "[Parameter List]\n1,1,1\n2,1,2\n3,1,3\n4,1,4\n5,1,77\n6,2,5\n7,2,6\n\n"
    "[Enum]\n1,5,0,9\n2,5,1,10\n3,5,2,11\n4,5,3,12\n5,5,4,13\n6,6,0,9\n7,6,1,10\n[End]\n";

class DpfParSetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        set.SetTrace(nullptr);
        set.ResetTables();
        ASSERT_EQ(set.ParseDefinitionText(kDefinition), merlin::kParseOk);
        set.BuildParameterSet();
    }
    CDpfParSet set;
};

TEST_F(DpfParSetTest, BuildsGroupsInParameterListOrder)
{
    EXPECT_EQ(set.Count(), 7);
    EXPECT_EQ(set.NumberOfGroups(), 2);
    EXPECT_EQ(set.GroupSize(0), 5);
    EXPECT_EQ(set.GroupSize(1), 2);
    EXPECT_EQ(set.GroupCount(), 2);
    EXPECT_EQ(set.GroupName(0), "Drive");
    EXPECT_EQ(set.GroupName(1), "Misc");
    EXPECT_EQ(set.GroupName(2), "");
    EXPECT_EQ(set.GroupName(-1), "");
    const merlin::CPar& speed = set.At(0);
    EXPECT_EQ(speed.name, "Speed");
    EXPECT_EQ(speed.registerNumber, 40101);
    EXPECT_EQ(speed.value, 1234);   // the default
    EXPECT_EQ(speed.selectionFlags, 0);
}

TEST_F(DpfParSetTest, UndefinedParameterBecomesAReadOnlyPlaceholder)
{
    const merlin::CPar& p = set.At(4);
    EXPECT_EQ(p.name, "???");
    EXPECT_EQ(p.registerNumber, 40000);
    EXPECT_EQ(p.access, 1);
    EXPECT_EQ(p.value, 0);
    EXPECT_EQ(set.ValueText(0, 4), "0");
}

struct TextCase {
    int type;
    int raw;
    const char* text;
};

TEST_F(DpfParSetTest, NumericValuesShowTheirDecimals)
{
    const TextCase cases[] = {
        {11, -5, "-0.5"}, {12, 1234, "12.34"}, {10, 1234, "1234"}, {13, 1, "0.001"},
        {12, -1, "-0.01"}, {11, 0, "0.0"}, {12, 32000, "320.00"}, {19, 5, "0.000000005"},
        {10, -2147483647 - 1, "-2147483648"},
    };
    for (const TextCase& c : cases) {
        merlin::CPar par;
        par.type = c.type;
        EXPECT_EQ(set.ValueTextOf(par, c.raw), c.text) << c.type << " " << c.raw;
        EXPECT_EQ(set.LimitTextOf(par, c.raw), c.text);
    }
}

TEST_F(DpfParSetTest, TextsDoNotDependOnTheLocale)
{
    // The windows run with the user's locale; a decimal comma must not leak
    // into values or parsing.
    const char* previous = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    EXPECT_EQ(set.ValueText(0, 0), "12.34");
    EXPECT_EQ(set.SetValueFromText(0, 0, "1.5"), merlin::kValueOk);
    EXPECT_EQ(set.Value(0, 0), 150);
    if (previous)
        std::setlocale(LC_NUMERIC, "C");
}

TEST_F(DpfParSetTest, ByGroupAccessors)
{
    EXPECT_EQ(set.ValueText(0, 0), "12.34");
    EXPECT_EQ(set.DefaultText(0, 2), "-0.5");
    EXPECT_EQ(set.MinimumText(0, 2), "-100.0");
    EXPECT_EQ(set.MaximumText(0, 0), "320.00");
    EXPECT_EQ(set.Unit(0, 0), "Hz");
    EXPECT_EQ(set.Unit(0, 2), "%");
    EXPECT_EQ(set.Unit(0, 3), "");        // unit key 0
    EXPECT_EQ(set.Value(0, 3), 1234);
    EXPECT_EQ(set.RegisterOffset(0, 3), 104);
    EXPECT_EQ(set.Access(0, 2), 1);
    // Choice parameter: limits as plain numbers, value as the list text of
    // the raw value, no unit.
    EXPECT_EQ(set.MinimumText(0, 1), "2");
    EXPECT_EQ(set.MaximumText(0, 1), "4");
    EXPECT_EQ(set.ValueText(0, 1), "Three");
    EXPECT_EQ(set.ChoiceText(0, 1, false), "Three");
    EXPECT_EQ(set.ChoiceText(0, 0, false), "");
    EXPECT_EQ(set.Unit(0, 1), "");
    // Not found.
    EXPECT_EQ(set.Value(0, 9), -1);
    EXPECT_EQ(set.RegisterOffset(3, 0), -1);
    EXPECT_EQ(set.Access(0, 5), -1);
    EXPECT_EQ(set.ValueText(0, 9), "");
    EXPECT_EQ(set.MinimumText(9, 0), "");
    EXPECT_TRUE(set.Choices(0, 9).empty());
}

TEST_F(DpfParSetTest, ChoicesAreOfferedFromMinToMax)
{
    // min 2, max 4: three texts; choosing the first stores 2.
    EXPECT_EQ(set.Choices(0, 1), (std::vector<std::string>{"Two", "Three", "Four"}));
    EXPECT_EQ(set.SetValue(0, 1, 0), merlin::kValueOk);
    EXPECT_EQ(set.Value(0, 1), 2);
    EXPECT_EQ(set.ValueText(0, 1), "Two");
    // A list with fewer texts than max + 1 offers only those that exist.
    EXPECT_EQ(set.Choices(1, 1), (std::vector<std::string>{"Zero", "One"}));
    EXPECT_TRUE(set.Choices(0, 0).empty());
    set.SetValueAt(6, 7);
    EXPECT_EQ(set.ValueText(1, 1), "");
}

TEST_F(DpfParSetTest, CopyValuesByRegisterSkips40010AndKeepsTheRest)
{
    merlin::CParSet other;
    merlin::CPar p;
    p.registerNumber = 40101; p.value = 999; other.AddParameter(p, 0);
    p.registerNumber = 40101; p.value = 111; other.AddParameter(p, 0);   // only the first counts
    p.registerNumber = 40010; p.value = 4; other.AddParameter(p, 0);
    p.registerNumber = 40999; p.value = 5; other.AddParameter(p, 0);
    set.CopyValuesByRegister(other);
    EXPECT_EQ(set.Value(0, 0), 999);
    EXPECT_EQ(set.Value(1, 0), 1);       // 40010 keeps its value
    EXPECT_EQ(set.Value(0, 3), 1234);    // no counterpart
}

TEST_F(DpfParSetTest, ResetTablesForgetsTheWholeDefinition)
{
    set.ResetTables();
    EXPECT_EQ(set.EnumTable().TextCount(), 0);
    EXPECT_EQ(set.StringText(1), "");
    EXPECT_EQ(set.GroupCount(), 0);
    EXPECT_EQ(set.BuildParameterSet(), 0);
    EXPECT_EQ(set.Count(), 0);
}

TEST(DpfParSet, ParamListEntriesOutsideTheGroupsAreSkipped)
{
    CDpfParSet set;
    set.SetTrace(nullptr);
    set.ResetTables();
    ASSERT_EQ(set.ParseDefinitionText("[Parameters]\n1,0,10,0,9,0,0,40001,0\n\n"
                                      "[Parameter List]\n1,0,1\n2,2,1\n3,-4,1\n4,101,1\n5,2001,1\n[End]\n"),
              merlin::kParseOk);
    EXPECT_EQ(set.BuildParameterSet(), 5);
    // Group 101 has no title slot but keeps its parameter; 0, -4 and 2001
    // are no groups and are noted for the message.
    ASSERT_EQ(set.Count(), 2);
    EXPECT_EQ(set.At(0).group, 1);
    EXPECT_EQ(set.At(1).group, 100);
    EXPECT_EQ(set.GroupSize(0), 0);
    EXPECT_EQ(set.GroupSize(100), 1);
    EXPECT_EQ(set.LeftOut(), (std::vector<int>{1, 3, 5}));
}

TEST(DpfParSet, NumbersOfTheDefinitionFiles)
{
    EXPECT_EQ(merlin::DpfNumber("  42abc"), 42);
    EXPECT_EQ(merlin::DpfNumber("\t-17"), -17);
    EXPECT_EQ(merlin::DpfNumber("+5"), 5);
    EXPECT_EQ(merlin::DpfNumber("abc"), 0);
    EXPECT_EQ(merlin::DpfNumber(""), 0);
    EXPECT_EQ(merlin::DpfNumber("99999999999999999999"), 2147483647);
    EXPECT_EQ(merlin::DpfNumber("-99999999999999999999"), -2147483647 - 1);
}

}  // namespace
