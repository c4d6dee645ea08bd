// Value entry of the list window: hexadecimal and decimal checks with their
// messages, the device value sent, and the online write sequence.
#include "FilesTesting.h"
#include "ListFixture.h"

#include <kestrel/core/ParameterSelection.h>
#include <kestrel/core/ValueEntry.h>
#include <kestrel/core/WritePlan.h>

using namespace kestrel;
using namespace kestrel::testing;
using platform::MsgIcon;

namespace {

const char* kInvalid = "Invalid Value !";
const char* kUpper = "Value exceeds upper limit";
const char* kLower = "Value exceeds lower limit";
const char* kBelow = "Value is below lower limit";

struct Case {
    const char* text;
    int expected;            // device value, or -1 when refused
    const char* message;     // nullptr when accepted
};

void expectCases(const std::vector<Case>& cases, const std::function<EntryResult(const char*)>& check)
{
    for (const auto& c : cases) {
        const EntryResult r = check(c.text);
        if (c.expected >= 0) {
            EXPECT_TRUE(r.accepted()) << '"' << c.text << '"';
            EXPECT_EQ(r.value.value_or(0), c.expected) << '"' << c.text << '"';
            EXPECT_FALSE(r.notice) << '"' << c.text << '"';
        } else {
            EXPECT_FALSE(r.accepted()) << '"' << c.text << '"';
            ASSERT_TRUE(r.notice) << '"' << c.text << '"';
            EXPECT_EQ(r.notice->text, c.message) << '"' << c.text << '"';
            EXPECT_EQ(r.notice->icon, MsgIcon::Stop);
        }
    }
}

}  // namespace

TEST(ValueEntry, HexadecimalEntries)
{
    // Limits -100 .. 0x7000.
    expectCases({{"-5", -1, kInvalid},
                 {"8000", -1, kLower},
                 {"FF9C", 0xFF9C, nullptr},   // -100 exactly
                 {"FF9B", -1, kLower},
                 {"7000", 0x7000, nullptr},
                 {"7001", -1, kUpper},
                 {"10000", -1, kUpper},
                 {"FFFFFFFFFFFFFFFFFFFF", -1, kUpper},
                 {"", 0, nullptr},
                 {"  +0x1a", 0x1A, nullptr},
                 {"1A ", -1, kInvalid},
                 {"0x", -1, kInvalid},
                 {"+", -1, kInvalid},
                 {"12G", -1, kInvalid},
                 {"abc", 0xABC, nullptr}},
                [](const char* t) { return checkHexEntry(t, -100, 0x7000); });
}

TEST(ValueEntry, DecimalEntries)
{
    // Two decimals, scale digit 1: device limits -5000 .. 30000 are -500 ..
    // 3000 after scaling, shown as -5.00 .. 30.00.
    expectCases({{"12.34", 0x3034, nullptr},  // 1234, times 10 for the scale: 12340
                 {"30", 30000, nullptr},
                 {"30.01", -1, kUpper},
                 {"-5", 0x10000 - 5000, nullptr},
                 {"-5.01", -1, kBelow},
                 {"-0.001", 0, nullptr},  // rounds to zero, which is 0000 and not 10000
                 {" 7.5 ", 7500, nullptr},
                 {"abc", -1, kInvalid},
                 {"", -1, kInvalid},
                 {"0x10", -1, kInvalid},
                 {"inf", -1, kInvalid},
                 {"1.2.3", -1, kInvalid}},
                [](const char* t) { return checkDecimalEntry(t, 2, 1, -500, 3000); });
    // No decimals, no scale: the number is rounded to an integer.
    expectCases({{"100", 100, nullptr},
                 {"101", -1, kUpper},
                 {"-32768", 0x8000, nullptr},
                 {"2.6", 3, nullptr}},
                [](const char* t) { return checkDecimalEntry(t, 0, 0, -32768, 100); });
}

TEST(ValueEntry, CheckEntryTakesKindAndScaledLimitsFromTheRecord)
{
    const auto hex = TvkRecord::fromFields(paramFields(0x0014, "Control word", 0x0220, 0, -100, 0x7FFF));
    EXPECT_EQ(checkEntry(hex, "-5").notice->text, kInvalid);
    EXPECT_EQ(checkEntry(hex, "8000").notice->text, kLower);
    const auto scaled = TvkRecord::fromFields(paramFields(0x0013, "Accel", 0x2001, 2, -5000, 30000));
    EXPECT_EQ(checkEntry(scaled, "12.34").value, 0x3034);
    EXPECT_EQ(checkEntry(scaled, "30.01").notice->text, kUpper);
}

TEST(ValueEntry, SelectionFieldsByKind)
{
    const auto hex = TvkRecord::fromFields(paramFields(0x0014, "Control word", 0x0220, 0, -100, 0x7FFF));
    auto s = selectParameter(hex, 0x00FF, true);
    EXPECT_EQ(s.editBox, EditBox::Hexadecimal);
    EXPECT_EQ(s.displayed, "00FF");
    EXPECT_EQ(s.maximum, "7FFF");
    EXPECT_EQ(s.minimum, "FF9C");
    EXPECT_EQ(s.unit, "HEX");
    EXPECT_EQ(s.prompt, "Enter  HEXADECIMAL value");

    const auto dec = TvkRecord::fromFields(paramFields(0x0013, "Accel", 0x2001, 2, -5000, 30000));
    s = selectParameter(dec, 12340, true);
    EXPECT_EQ(s.editBox, EditBox::Decimal);
    EXPECT_EQ(s.displayed, "12.34");
    EXPECT_EQ(s.maximum, "30.00");
    EXPECT_EQ(s.minimum, "-5.00");
    EXPECT_EQ(s.unit, "sec");
    EXPECT_EQ(s.prompt, "Enter  DECIMAL value");
    EXPECT_EQ(selectParameter(dec, 12340, false).editBox, EditBox::None);

    const auto plain = TvkRecord::fromFields(paramFields(0x0011, "Max", 0x1000, 0, -10, 500));
    s = selectParameter(plain, 0xFFFF, true);
    EXPECT_EQ(s.displayed, "-1");
    EXPECT_EQ(s.minimum, "-10");

    // View-only in the list: fields cleared, no edit box.
    const auto locked = TvkRecord::fromFields(paramFields(0x0021, "Power", 0x0A00, 0, 0, 10));
    s = selectParameter(locked, 1, true);
    EXPECT_EQ(s.editBox, EditBox::None);
    EXPECT_EQ(s.maximum, "");
    EXPECT_EQ(s.unit, "");
    EXPECT_EQ(s.prompt, "");
    // Baud rate, address and group 0 are never edited from the list.
    for (std::uint16_t n : {0x00A8, 0x00A9, 0x0003})
        EXPECT_EQ(selectParameter(TvkRecord::fromFields(paramFields(n, "x", 0, 0, 0, 10)), 1, true).editBox, EditBox::None)
            << n;
}

TEST(ValueEntry, OnlineWriteSequence)
{
    ScriptedDrive drive;
    drive.replies["00AC"] = {"00AC", "0000"};
    const WritePlan plan = planWrite(0x0013, 0x3034);
    EXPECT_FALSE(plan.before);
    EXPECT_FALSE(plan.warmUpAfter);
    EXPECT_TRUE(runWrite(drive, plan));
    EXPECT_EQ(drive.sent, (std::vector<std::string>{"R00AC", "W00133034", "R00AC"}));

    drive.sent.clear();
    drive.acknowledge = false;
    EXPECT_FALSE(runWrite(drive, plan));
    EXPECT_EQ(drive.sent.size(), 3u);

    ScriptedDrive silent;  // the error register does not answer: nothing is written
    EXPECT_FALSE(runWrite(silent, plan));
    EXPECT_EQ(silent.sent, std::vector<std::string>{"R00AC"});
}

TEST(ValueEntry, ParameterSetAndWarmUpWrites)
{
    const WritePlan set = planWrite(0x00E9, 2);
    ASSERT_TRUE(set.before);
    EXPECT_EQ(set.before->text, "This will change the whole parameter set in the connected inverter.");
    EXPECT_EQ(set.warmUpTitle, "Parameter Set Changed");
    EXPECT_TRUE(set.showsParameterSet);
    EXPECT_FALSE(set.warmUpAfter);
    EXPECT_EQ(set.writeText, "00E90002");
    EXPECT_EQ(parameterSetText(2), "2");
    const WritePlan warm = planWrite(0x002D, 1);
    EXPECT_TRUE(warm.warmUpAfter);
    EXPECT_FALSE(warm.before);
}
