// The custom list window's view: which row of each grid is marked, and when
// "Delete parameter" may be pressed.
#include "FilesTesting.h"

#include <kestrel/core/CustomListModel.h>

using namespace kestrel;
using namespace kestrel::testing;
using platform::MsgIcon;

namespace {

int rowOf(const std::vector<EditorRow>& rows, const std::string& no)
{
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].no == no) return static_cast<int>(i);
    return -1;
}

class CustomListView : public ::testing::Test {
protected:
    Install install;
    Messages messages;
    std::string db = install.writeDatabase("1234", catalogue1234());
};

}  // namespace

TEST_F(CustomListView, SelectionFollowsAddsAndDeletes)
{
    auto model = CustomListModel::create(install.path(), "12.34");
    ASSERT_TRUE(model);
    EXPECT_EQ(model->view().selectedCustom, -1);
    EXPECT_FALSE(model->view().deleteEnabled);

    // The added row is marked where the sort put it, and may be deleted.
    model->selectStandard(rowOf(model->view().standard, "0013"));
    model->add();
    EXPECT_EQ(model->view().selectedCustom, 0);
    EXPECT_TRUE(model->view().deleteEnabled);
    EXPECT_TRUE(model->view().modified);

    // A refused delete keeps the row marked; a done one clears the mark.
    messages.expect("This is a default custom parameter. It cannot be deleted from the list.", MsgIcon::Stop);
    model->selectCustom(rowOf(model->view().custom, "00E4"));
    model->removeSelected();
    EXPECT_EQ(model->view().custom[size_t(model->view().selectedCustom)].no, "00E4");
    model->selectCustom(rowOf(model->view().custom, "002C"));
    model->removeSelected();
    EXPECT_EQ(rowOf(model->view().custom, "002C"), -1);
    EXPECT_EQ(model->view().selectedCustom, -1);
    EXPECT_FALSE(model->view().deleteEnabled);

    // A row out of range marks nothing; ">>" then names the missing choice.
    model->selectStandard(10000);
    EXPECT_EQ(model->view().selectedStandard, -1);
    messages.expect("No parameter selected !", MsgIcon::Stop);
    model->add();
    model->selectCustom(-5);
    EXPECT_FALSE(model->view().deleteEnabled);
}
