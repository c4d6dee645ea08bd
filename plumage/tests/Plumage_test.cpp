#include <plumage/plumage.h>

#include <gtest/gtest.h>

#include <set>

TEST(Plumage, TextsAreTheMakersNames)
{
    // The company name is also a registry key and every message box's
    // caption: written out here, not taken from the library.
    EXPECT_EQ(getCompanyName(), "Aviary Drives");
    EXPECT_EQ(getInverterName(), "RQ9000");
    EXPECT_FALSE(getCompanyName().empty());
    EXPECT_FALSE(getInverterName().empty());
    // The test program is neither Kestrel nor Merlin: it gets the suite name,
    // which keeps it from colliding with a running program's instance lock.
    EXPECT_EQ(getSoftwareName(), "Aviary");
}

TEST(Plumage, LogoAndIconArePictures)
{
    plumage::Bitmap a, b;
    ASSERT_TRUE(getLogo(a));
    ASSERT_TRUE(getLogo(b));
    EXPECT_EQ(a.pixels, b.pixels);
    ASSERT_EQ(a.pixels.size(), size_t(a.width) * a.height);
    // A real picture, not a flat fill: several distinct colours.
    std::set<uint32_t> colours(a.pixels.begin(), a.pixels.end());
    EXPECT_GT(colours.size(), 20u);

    const plumage::Icon* icon = getParIcon();
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon, getParIcon());
    EXPECT_EQ(icon->large.width, 32);
    EXPECT_EQ(icon->small.width, 16);
    EXPECT_EQ(icon->large.pixels.size(), 32u * 32u);
}
