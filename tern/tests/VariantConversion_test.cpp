// The server's VARIANT and SAFEARRAY rules: which shapes and element types
// each use accepts, what the conversions keep, and the optional arguments.
#include <tern/server/COleSafeArrayEx.h>
#include <tern/server/COleVariantEx.h>
#include <tern/tests/ServerVariants.h>

#include <gtest/gtest.h>

#include <cmath>

#include <vector>

namespace tern {
namespace {

using namespace tern::testkit;

TEST(VariantArrays, AreFoundByValueByReferenceAndOneLevelInsideAVariantReference)
{
    const COleSafeArray a = integerElements(VT_I2, {1, 2, 3});
    COleSafeArrayEx out;
    EXPECT_TRUE(COleVariantEx(COleVariant::Array(a)).GetArray(out));
    EXPECT_TRUE(COleVariantEx(COleVariant::Array(a, true)).GetArray(out));
    EXPECT_TRUE(COleVariantEx(COleVariant::RefVariant(COleVariant::Array(a))).GetArray(out));
    EXPECT_EQ(out.size(), 3u);
    // Only one level is unwrapped.
    EXPECT_FALSE(COleVariantEx(COleVariant::RefVariant(COleVariant::RefVariant(COleVariant::Array(a)))).GetArray(out));
    EXPECT_FALSE(COleVariantEx(COleVariant::I2(5)).GetArray(out));
    EXPECT_FALSE(COleVariantEx(COleVariant::Missing()).GetArray(out));
}

TEST(VariantArrays, MustHaveOneDimensionWhateverTheirLowerBound)
{
    COleSafeArrayEx out;
    const COleSafeArray twoByTwo(VT_I4, {{2, 0}, {2, 0}});
    EXPECT_FALSE(COleVariantEx(COleVariant::Array(twoByTwo)).GetArray(out));
    std::vector<uint16_t> words;
    ASSERT_TRUE(COleVariantEx(COleVariant::Array(integerElements(VT_I4, {7, 8}, -5))).GetArray(out));
    ASSERT_TRUE(out.GetRegisterWords(words));
    EXPECT_EQ(words, (std::vector<uint16_t>{7, 8}));
}

struct AcceptCase {
    const char* use;
    VARTYPE element;
    bool registers, singles, coils, bytes;
};

class ElementTypes : public testing::TestWithParam<AcceptCase> {};

TEST_P(ElementTypes, AreAcceptedOnlyWhereTheirUseAllowsThem)
{
    const AcceptCase c = GetParam();
    const COleSafeArrayEx a(COleSafeArray::Vector(c.element, 2));
    std::vector<uint16_t> words;
    std::vector<float> singles;
    std::vector<double> doubles;
    std::vector<uint8_t> bits;
    EXPECT_EQ(a.GetRegisterWords(words), c.registers);
    EXPECT_EQ(a.GetSingles(singles), c.singles);
    EXPECT_EQ(a.GetDoubles(doubles), c.singles);
    EXPECT_EQ(a.GetCoils(bits), c.coils);
    EXPECT_EQ(a.GetBytes(bits), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(Table, ElementTypes,
                         testing::Values(AcceptCase{"I2", VT_I2, true, false, true, true},
                                         AcceptCase{"I4", VT_I4, true, false, true, true},
                                         AcceptCase{"R4", VT_R4, false, true, false, false},
                                         AcceptCase{"R8", VT_R8, false, true, false, false},
                                         AcceptCase{"BOOL", VT_BOOL, false, false, true, false},
                                         AcceptCase{"UI1", VT_UI1, false, false, false, true},
                                         AcceptCase{"BSTR", VT_BSTR, false, false, false, false},
                                         AcceptCase{"VARIANT", VT_VARIANT, false, false, false, false},
                                         AcceptCase{"UI2", VT_UI2, false, false, false, false}),
                         [](const auto& info) { return std::string(info.param.use); });

TEST(VariantConversions, KeepTheLowBitsTheRegistersAndBytesCarry)
{
    std::vector<uint16_t> words;
    ASSERT_TRUE(COleSafeArrayEx(integerElements(VT_I4, {0x12345, -1, 65535})).GetRegisterWords(words));
    EXPECT_EQ(words, (std::vector<uint16_t>{0x2345, 0xFFFF, 0xFFFF}));
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(COleSafeArrayEx(integerElements(VT_I2, {0x1FF, -2})).GetBytes(bytes));
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0xFF, 0xFE}));
    std::vector<uint8_t> coils;
    ASSERT_TRUE(COleSafeArrayEx(integerElements(VT_I4, {0, 5, -1, 0x10000})).GetCoils(coils));
    EXPECT_EQ(coils, (std::vector<uint8_t>{0, 1, 1, 1}));
}

TEST(VariantConversions, ConvertBetweenSingleAndDoublePrecision)
{
    std::vector<float> singles;
    ASSERT_TRUE(COleSafeArrayEx(realElements(VT_R8, {0.1, 1e300})).GetSingles(singles));
    EXPECT_EQ(singles[0], 0.1f);
    EXPECT_TRUE(std::isinf(singles[1]));
    std::vector<double> doubles;
    ASSERT_TRUE(COleSafeArrayEx(realElements(VT_R4, {0.1})).GetDoubles(doubles));
    EXPECT_EQ(doubles[0], static_cast<double>(0.1f));
}

TEST(VariantOutputs, AreOneDimensionalFromZeroWithTheRegisterBitsOrTheirUnsignedValue)
{
    const std::vector<uint16_t> words{0xFFFF, 0x8000, 1};
    const auto shorts = COleSafeArrayEx::FromRegisterWords(words, VT_I2);
    const auto longs = COleSafeArrayEx::FromRegisterWords(words, VT_I4);
    ASSERT_EQ(shorts.GetDim(), 1u);
    EXPECT_EQ(shorts.bounds()[0], (SafeArrayBound{3, 0}));
    EXPECT_EQ(shorts.integerAt(0), -1);
    EXPECT_EQ(shorts.integerAt(1), -32768);
    EXPECT_EQ(longs.integerAt(0), 65535);
    EXPECT_EQ(longs.integerAt(1), 32768);
    const std::vector<uint8_t> coils{0, 1};
    const auto bools = COleSafeArrayEx::FromCoils(coils);
    EXPECT_EQ(bools.elementType(), VT_BOOL);
    EXPECT_EQ(bools.integerAt(1), VARIANT_TRUE);
}

TEST(VariantOptionalArguments, GiveAnIntegerOnlyForNumbersAndTheWordOrderOnlyForTheIntegerOne)
{
    EXPECT_FALSE(COleVariantEx(COleVariant::Missing()).GetInteger());
    EXPECT_FALSE(COleVariantEx(COleVariant::String("2")).GetInteger());
    EXPECT_FALSE(COleVariantEx(COleVariant()).GetInteger());
    EXPECT_EQ(COleVariantEx(COleVariant::I2(2)).GetInteger(), 2);
    EXPECT_EQ(COleVariantEx(COleVariant::R8(4.7)).GetInteger(), 4);
    EXPECT_EQ(COleVariantEx(COleVariant::Integer(VT_I4 | VT_BYREF, 5)).GetInteger(), 5);

    EXPECT_TRUE(COleVariantEx(COleVariant::I4(1)).IsIntegerOne());
    EXPECT_TRUE(COleVariantEx(COleVariant::UI1(1)).IsIntegerOne());
    EXPECT_FALSE(COleVariantEx(COleVariant::Bool(true)).IsIntegerOne());
    EXPECT_FALSE(COleVariantEx(COleVariant::R8(1.0)).IsIntegerOne());
    EXPECT_FALSE(COleVariantEx(COleVariant::I2(0)).IsIntegerOne());
    EXPECT_FALSE(COleVariantEx(COleVariant::Missing()).IsIntegerOne());
}

TEST(VariantClear, RefusesATypeCodeThatIsNoAutomationType)
{
    COleVariant bad = COleVariant::Unsupported(0x0FFF);
    EXPECT_EQ(bad.Clear(), DISP_E_BADVARTYPE);
    EXPECT_EQ(bad.vt(), 0x0FFF);
    COleVariant good = COleVariant::Array(COleSafeArray::Vector(VT_I4, 2));
    EXPECT_EQ(good.Clear(), S_OK);
    EXPECT_EQ(good.vt(), VT_EMPTY);
    EXPECT_FALSE(COleVariant::isValidType(VT_VARIANT));        // only by reference
    EXPECT_TRUE(COleVariant::isValidType(VT_VARIANT | VT_BYREF));
    EXPECT_FALSE(COleVariant::isValidType(VT_ARRAY | VT_EMPTY));
}

TEST(VariantValues, AreHeldInTheRangeOfTheirType)
{
    EXPECT_EQ(COleVariant::Integer(VT_I2, 0x18000).integer(), -32768);
    EXPECT_EQ(COleVariant::Integer(VT_UI1, 300).integer(), 44);
    EXPECT_EQ(COleVariant::Integer(VT_BOOL, 1).integer(), VARIANT_TRUE);
    EXPECT_EQ(COleVariant::Real(VT_R4, 0.1).real(), static_cast<double>(0.1f));
    // A hostile shape does not allocate the impossible.
    const COleSafeArray huge(VT_I4, {{0xFFFFFFFFu, 0}, {0xFFFFFFFFu, 0}, {0xFFFFFFFFu, 0}});
    EXPECT_EQ(huge.elementType(), VT_EMPTY);
    EXPECT_EQ(huge.size(), 0u);
}

}  // namespace
}  // namespace tern
