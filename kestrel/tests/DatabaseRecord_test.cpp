#include <kestrel/core/TvkRecord.h>
#include <kestrel/core/WorkRecord.h>

#include <gtest/gtest.h>

using kestrel::TvkFields;
using kestrel::TvkRecord;
using kestrel::WorkRecord;

namespace {

// A record as a drive delivers it, written out by hand.
const std::string kDriveRecord = std::string("U00A8012CBaudrate\x81 xyz  ", 24) +
                                 "FF9C03E82" + "0064" + "ABCD" + "1041" + "\x03\r\n";

}  // namespace

TEST(DatabaseRecord, ParsesEveryFieldOfAHandWrittenRecord)
{
    ASSERT_EQ(kDriveRecord.size(), 48u);
    const auto r = TvkRecord::parse(kDriveRecord);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->number(), 0x00A8);
    EXPECT_EQ(r->value(), 0x012C);
    EXPECT_EQ(r->name(), "Baudrateue xyz  ");  // padding is part of the name
    EXPECT_EQ(r->minimum(), -100);
    EXPECT_EQ(r->maximum(), 1000);
    EXPECT_EQ(r->decimals(), 2);
    EXPECT_EQ(r->defaultValue(), 0x0064);
    EXPECT_EQ(r->extraText(), "ABCD");
    EXPECT_EQ(r->attribute(), 0x1041);
    EXPECT_EQ(r->unitIndex(), 1);
    EXPECT_EQ(r->scaleExponent(), 1);
    EXPECT_TRUE(r->isProgramAlways());
    EXPECT_FALSE(r->isGroupHeader());
    EXPECT_EQ(r->bytes(), kDriveRecord);
}

TEST(DatabaseRecord, FieldsRoundTripThroughTheBytes)
{
    TvkFields f;
    f.number = 0x0130;
    f.value = 0xFFFF;
    f.name = "Group title that is too long";
    f.minimum = -32768;
    f.maximum = 32767;
    f.decimals = 3;
    f.defaultValue = 0x8000;
    f.extra = "x";
    f.attribute = 0xF203;
    const TvkRecord r = TvkRecord::fromFields(f);
    ASSERT_EQ(r.bytes().size(), 48u);
    EXPECT_EQ(r.bytes().substr(0, 9), "U0130FFFF");
    EXPECT_EQ(r.bytes().substr(45), "\x03\r\n");
    const auto back = TvkRecord::parse(r.bytes());
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, r);
    EXPECT_EQ(back->nameBytes(), "Group title tha");
    EXPECT_EQ(back->minimum(), -32768);
    EXPECT_EQ(back->maximum(), 32767);
    EXPECT_EQ(back->extraText(), "x   ");
    EXPECT_TRUE(back->isGroupHeader());
    EXPECT_TRUE(back->isHexadecimal());
    EXPECT_EQ(back->unitIndex(), 15);
    EXPECT_EQ(back->scaleExponent(), 3);
}

TEST(DatabaseRecord, BlockReplyKeepsTheFirst46CharactersAndAddsCrLf)
{
    const std::string reply = kDriveRecord.substr(0, 46) + "B";  // BCC after ETX
    const TvkRecord r = TvkRecord::fromBlockReply(reply);
    EXPECT_EQ(r.bytes(), kDriveRecord);
    const TvkRecord shortOne = TvkRecord::fromBlockReply("U0000");
    EXPECT_EQ(shortOne.bytes(), "U0000" + std::string(41, ' ') + "\r\n");
}

TEST(DatabaseRecord, RefusesRecordsItCannotRead)
{
    const struct {
        const char* what;
        std::size_t offset;
        char c;
    } damages[] = {
        {"number", 2, 'G'}, {"value", 8, ' '},     {"minimum", 24, '-'}, {"maximum", 31, 'x'},
        {"decimals", 32, '4'}, {"default", 33, 'Z'}, {"attribute", 44, '\0'},
        {"CR", 46, '\n'},      {"LF", 47, ' '},
    };
    for (const auto& d : damages) {
        std::string bad = kDriveRecord;
        bad[d.offset] = d.c;
        EXPECT_FALSE(TvkRecord::parse(bad)) << d.what;
    }
    EXPECT_FALSE(TvkRecord::parse(kDriveRecord.substr(0, 47)));
    EXPECT_FALSE(TvkRecord::parse(kDriveRecord + "U"));
}

TEST(DatabaseRecord, AttributeDigitsDecideScaleAndListLock)
{
    const struct {
        std::uint16_t attribute;
        int scale;
        bool locked;
    } cases[] = {
        {0x0000, 0, false}, {0x0011, 1, false}, {0x0002, 2, false}, {0x0003, 3, false},
        {0x0004, 0, false}, {0x000F, 0, false}, {0x0800, 0, true},  {0x0A00, 0, true},
        {0x0C00, 0, true},  {0x0900, 0, false}, {0x0E00, 0, false},
    };
    for (const auto& c : cases) {
        TvkFields f;
        f.attribute = c.attribute;
        const auto r = TvkRecord::fromFields(f);
        EXPECT_EQ(r.scaleExponent(), c.scale) << std::hex << c.attribute;
        EXPECT_EQ(r.isLockedInList(), c.locked) << std::hex << c.attribute;
    }
}

TEST(DatabaseRecord, NameConversionSpellsOutCodePage437)
{
    const struct {
        std::string raw;
        std::string text;
    } cases[] = {
        {"Dr\x81""ck", "Drueck"},       {"M\x84""x", "Maex"},
        {"\x8E""\x94""\x99""\x9A", "AeoeOeUe"}, {"Ma\xE1", "Mass"},
        {"m\xFD", "m2"},               {std::string("A\0B", 3), "AB"},
        {"x\x80\xFF\xB0y", "xy"},       {"tab\there", "tabhere"},
    };
    for (const auto& c : cases) EXPECT_EQ(TvkRecord::convertName(c.raw), c.text) << c.raw;
}

TEST(WorkFileRecord, ParsesAndSerialisesTenBytes)
{
    const auto r = WorkRecord::parse("00e9fffe\r\n");
    ASSERT_TRUE(r);
    EXPECT_EQ(r->number(), 0x00E9);
    EXPECT_EQ(r->value(), 0xFFFE);
    EXPECT_EQ(r->serialise(), "00E9FFFE\r\n");
    for (const char* bad : {"00E9FFFE\n\r", "00E9FFF\r\n", "00E9FFFE\r\nX", "0 E9FFFE\r\n", ""})
        EXPECT_FALSE(WorkRecord::parse(bad)) << bad;
}
