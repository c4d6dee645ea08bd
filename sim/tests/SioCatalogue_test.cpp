// The simulated drives' parameter catalogues.
#include <sim/sio/SioCatalogue.h>

#include <gtest/gtest.h>

#include <set>

namespace sim {
namespace {

TEST(SioCatalogue, EachVersionLooksLikeARealCatalogue)
{
    for (int version : SioCatalogue::versions()) {
        SCOPED_TRACE(version);
        const SioCatalogue* c = SioCatalogue::forVersion(version);
        ASSERT_NE(c, nullptr);
        const auto& r = c->records();
        EXPECT_GE(r.size(), 180u);
        EXPECT_LE(r.size(), 220u);
        std::set<int> groups, units, decimals, scales;
        int hex = 0, viewOnly = 0, service = 0, locked = 0;
        for (size_t i = 0; i < r.size(); ++i) {
            const SioParameter& p = r[i];
            if (i > 0) {
                EXPECT_LT(r[i - 1].number, p.number);  // delivered in number order
            }
            EXPECT_LE(p.name.size(), 15u) << p.name;
            EXPECT_FALSE(p.name.empty());
            if (p.isGroupHeader()) {
                groups.insert(p.number / 16);
                continue;
            }
            EXPECT_TRUE(groups.count(p.number / 16)) << "header before parameter " << p.number;
            EXPECT_LE(p.minimum, p.maximum);
            EXPECT_TRUE(p.inRange(static_cast<uint16_t>(p.defaultValue))) << p.number;
            units.insert(p.attribute >> 12);
            decimals.insert(p.decimals);
            scales.insert(p.attribute & 0x000F);
            hex += p.isHex();
            viewOnly += p.isViewOnly();
            service += (p.attribute & sioattr::kService) != 0;
            locked += (p.attribute & sioattr::kLocked) != 0;
        }
        EXPECT_GE(groups.size(), 18u);
        EXPECT_EQ(units.size(), 16u);
        EXPECT_EQ(decimals, (std::set<int>{0, 1, 2, 3}));
        EXPECT_TRUE(scales.count(1) && scales.count(2) && scales.count(3));
        EXPECT_GT(hex, 3);
        EXPECT_GT(viewOnly, 5);
        EXPECT_GT(service, 3);
        EXPECT_GT(locked, 0);
        for (uint16_t n : {0x000B, 0x000F, 0x0031, 0x003A, 0x0087, 0x00AC, 0x00AD, 0x00E4, 0x00E8, 0x00E9, 0x00F1})
            EXPECT_NE(c->find(n), nullptr) << std::hex << n;
    }
    EXPECT_EQ(SioCatalogue::forVersion(1806), nullptr);
}

TEST(SioCatalogue, VersionsDifferByOneAddedOneDroppedOneChanged)
{
    const SioCatalogue* a = SioCatalogue::forVersion(1808);
    const SioCatalogue* b = SioCatalogue::forVersion(1812);
    std::vector<uint16_t> onlyA, onlyB, changed;
    for (const auto& p : a->records()) {
        const SioParameter* q = b->find(p.number);
        if (!q) onlyA.push_back(p.number);
        else if (q->minimum != p.minimum || q->maximum != p.maximum) changed.push_back(p.number);
    }
    for (const auto& p : b->records())
        if (!a->find(p.number)) onlyB.push_back(p.number);
    EXPECT_EQ(onlyA, std::vector<uint16_t>{0x0144});
    EXPECT_EQ(onlyB, std::vector<uint16_t>{0x0156});
    EXPECT_EQ(changed, std::vector<uint16_t>{0x0021});
}

TEST(SioHex, ParseAndFormat)
{
    EXPECT_EQ(hex4(0xAB), "00AB");
    EXPECT_EQ(parseHex4("fb1E"), 0xFB1E);
    EXPECT_FALSE(parseHex4("12G4"));
    EXPECT_FALSE(parseHex4("123"));
    EXPECT_FALSE(parseHex4("+123"));
}

}  // namespace
}  // namespace sim
