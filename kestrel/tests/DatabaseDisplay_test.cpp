// How database records are shown: values, units, access categories; the
// window titles; the device status texts.
#include "ListFixture.h"

#include <kestrel/core/DeviceStatus.h>
#include <kestrel/core/KestrelState.h>
#include <kestrel/core/ListTitles.h>
#include <kestrel/core/ValueDisplay.h>

#include <gtest/gtest.h>

using namespace kestrel;
using namespace kestrel::testing;

namespace {

TvkRecord withAttribute(const std::string& attributeDigits, int decimals = 0)
{
    // Built from bytes so that lower-case attribute digits stay as stored.
    std::string bytes = TvkRecord::fromFields(paramFields(0x0011, "x", 0, decimals)).bytes();
    bytes.replace(TvkRecord::kAttributeOffset, 4, attributeDigits);
    return *TvkRecord::parse(bytes);
}

}  // namespace

TEST(DatabaseDisplay, ValuesAndUnits)
{
    const struct {
        const char* attribute;
        int decimals;
        std::uint16_t value;
        const char* shown;
        const char* unit;
    } cases[] = {
        {"1000", 1, 0xFFFF, "-0.1", "Hz"},
        {"0200", 0, 0x12AB, "12AB", "HEX"},
        {"0011", 0, 0x03E8, "100", " "},
        {"0000", 0, 0x8000, "-32768", " "},
        {"a003", 3, 0x7FFF, "0.032", "per min"},  // 32767 / 1000 = 32, shown as 0.032
        {"F002", 2, 0x0064, "0.01", "min"},
        {"5004", 0, 0x0064, "100", "deg C"},      // scale digit 4 means no scale
    };
    for (const auto& c : cases) {
        const TvkRecord r = withAttribute(c.attribute, c.decimals);
        EXPECT_EQ(displayValue(r, c.value), c.shown) << c.attribute;
        EXPECT_EQ(unitText(r), c.unit) << c.attribute;
    }
    const char* units[] = {" ",    "Hz",  "sec",     "hour", "%",   "deg C", "A",    "V",
                           "days", "deg", "per min", "kW",   "kHz", "ohms",  "msec", "min"};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(unitName(i), units[i]);
}

TEST(DatabaseDisplay, AccessCategoriesInOrder)
{
    const struct {
        const char* attribute;
        const char* type;
    } cases[] = {
        {"0860", "View-only"},      {"0060", "Program Always (SIO)"}, {"0020", "SIO control"},
        {"0040", "Program Always"}, {"0000", "Program in STOP"},      {"0100", "Program in STOP"},
    };
    for (const auto& c : cases) EXPECT_EQ(accessCategory(withAttribute(c.attribute)), c.type) << c.attribute;
}

TEST(DatabaseDisplay, WindowLettersAndTitles)
{
    const struct {
        int n;
        const char* code;
    } codes[] = {{0, " A"}, {25, " Z"}, {26, "AA"}, {27, "AB"}, {51, "AZ"}, {52, "BA"}, {26 * 27, "aA"}};
    for (const auto& c : codes) EXPECT_EQ(windowLetterCode(c.n), c.code) << c.n;
    EXPECT_EQ(listTitle(false, 0), "LIST  A");
    EXPECT_EQ(listTitle(true, 1), "CUSTOM LIST  B");
    EXPECT_EQ(windowTitle("LIST  A", "3", "Pump", ""), "LIST  A -- Addr. 3 Pump");
    EXPECT_EQ(windowTitle("LIST  B", "", "", "/x/motor.par"), "LIST  B -- /x/motor.par");
    EXPECT_EQ(listVersionText("/tvk/RQ-1234.tvk"), "A12.34");
}

TEST(DatabaseDisplay, StatusWords)
{
    const struct {
        std::optional<std::string> word;
        char entry;
        const char* text;
    } cases[] = {
        {"2005", '5', "Running in FWD"},
        {"2025", '4', "Running in REV"},
        {"0005", 'F', "Running in FWD  --  Not in SIO mode"},
        {"2805", 'F', "Running in FWD  --  Not in SIO mode"},
        {"2000", '0', "ERROR"},
        {"2001", '1', "STOP"},
        {"6005", '2', "Test Mode Active"},
        {"200D", '3', "DC-Brake"},
        {"0001", 'B', "STOP  --  Not in SIO mode"},
        {std::nullopt, '9', "Communication Error !"},
        {"20G5", '9', "Communication Error !"},
    };
    for (const auto& c : cases) {
        const auto word = c.word ? std::optional<std::string_view>(*c.word) : std::nullopt;
        EXPECT_EQ(statusEntry(word), c.entry) << c.word.value_or("failed");
        EXPECT_EQ(statusText(c.entry), c.text) << c.entry;
    }
    state().reset();
    DecodeStatusWord(31, "2025");
    DecodeStatusWord(32, "2025");  // no such address: nothing happens
    DecodeStatusWord(-1, std::nullopt);
    EXPECT_EQ(state().deviceStatus, std::string(31, '0') + "4");
    EXPECT_EQ(statusFieldText({false, false}, '5'), "Scanning OFF !");
    EXPECT_EQ(statusFieldText({true, true}, '5'), "No device connected !");
    EXPECT_EQ(statusFieldText({true, false}, 'A'), "ERROR  --  Not in SIO mode");
}
