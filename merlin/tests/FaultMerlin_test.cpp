#include "SmallDefinition.h"

#include <merlin/testing/CFakeLink.h>
#include <merlin/core/CFaultList.h>

#include <gtest/gtest.h>

using namespace merlin;

TEST(MerlinFaultList, RegisterValuesPickFaultCodesByPosition)
{
    merlin::testing::DefinitionDir definitions;
    CDpfParSet set;
    definitions.load(set);
    CFakeLink link;
    link.OpenLink();
    link.setRegister(5, 120, 1);
    link.setRegister(5, 121, 0);
    link.setRegister(5, 122, 3);  // one past the last fault code

    auto rows = CFaultList::read(set, link, 5);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], (FaultRow{"12", "Overcurrent", "3", "Active Fault 1"}));
    EXPECT_EQ(rows[1], (FaultRow{"0", "No fault", "0", "Fault History 1"}));
    EXPECT_EQ(rows[2], (FaultRow{"", "", "", "Fault History 2"}));

    link.setReadResult(5, 120, kLinkTimeout);
    rows = CFaultList::read(set, link, 5);
    EXPECT_EQ(rows[0], (FaultRow{"", "", "", "Active Fault 1"}));
    EXPECT_EQ(CFaultList::title(5), "Faults : 5");
    EXPECT_EQ(CFaultList::columns()[2].title, std::string("CAUSE"));
}
