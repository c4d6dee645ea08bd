#include "SmallDefinition.h"

#include <merlin/core/ListPrintJob.h>

#include <gtest/gtest.h>

using namespace merlin;

TEST(MerlinListPrintJob, PagesOfTheDocumentCountFromOne)
{
    merlin::testing::DefinitionDir definitions;
    CDpfParSet set;
    definitions.load(set);
    const ListPrintJob job(set, "pump.par");
    ASSERT_EQ(job.pageCount(), 1);
    EXPECT_EQ(job.page(1).footer(), "Page 1");
    EXPECT_EQ(job.page(1).lines.front().text, "Group  1: Motor  (3)");
}
