#include <platform/FileDialog.h>
#include <platform/MessageBox.h>
#include <platform/testing/ScriptedFileDialogs.h>
#include <platform/testing/ScriptedResponder.h>

#include <plumage/plumage.h>

#include <gtest/gtest.h>

using namespace platform;
using platform::testing::ScriptedResponder;

TEST(MessageSeam, ScriptedAnswersWithCompanyCaption)
{
    ScriptedResponder r([](const std::string& f) { ADD_FAILURE() << f; });
    r.expect("Network not responding !", MsgIcon::Exclamation)
     .expect("Overwrite ?", MsgIcon::Question, MsgAnswer::No);
    EXPECT_EQ(showMessage("Network not responding !", MsgIcon::Exclamation), MsgAnswer::Ok);
    EXPECT_EQ(showMessage("Overwrite ?", MsgIcon::Question, MsgButtons::YesNo), MsgAnswer::No);
    ASSERT_EQ(r.shown().size(), 2u);
    EXPECT_EQ(r.shown()[0].caption, getCompanyName());
    EXPECT_EQ(r.shown()[1].buttons, MsgButtons::YesNo);
    EXPECT_TRUE(r.verify());
}

TEST(MessageSeam, WrongTextIconOrExtraMessageFails)
{
    std::vector<std::string> seen;
    {
        ScriptedResponder r([&](const std::string& f) { seen.push_back(f); });
        r.expect("A", MsgIcon::Stop).expect("B", MsgIcon::Information).expect("never", MsgIcon::None);
        showMessage("A ", MsgIcon::Stop);           // trailing blank: a different text
        showMessage("B", MsgIcon::Exclamation);     // wrong icon
        EXPECT_EQ(r.pending(), 1u);
    }  // the destructor reports the expectation never met
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_NE(seen[0].find("\"A \""), std::string::npos);
    EXPECT_NE(seen[1].find("icon exclamation"), std::string::npos);
    EXPECT_NE(seen[2].find("never"), std::string::npos);

    std::vector<std::string> extra;
    ScriptedResponder r2([&](const std::string& f) { extra.push_back(f); });
    // An unexpected question is not answered "yes": nothing destructive happens.
    EXPECT_EQ(showMessage("Delete all ?", MsgIcon::Question, MsgButtons::YesNo), MsgAnswer::No);
    EXPECT_EQ(showMessage("Hello", MsgIcon::None), MsgAnswer::Cancel);
    EXPECT_EQ(extra.size(), 2u);
}

TEST(MessageSeam, ResponderRestoresThePreviousHandler)
{
    int outer = 0;
    setMessageHandler([&](const MessageRequest&) { ++outer; return MsgAnswer::Retry; });
    {
        ScriptedResponder inner;
        inner.expect("x", MsgIcon::None);
        showMessage("x");
    }
    EXPECT_EQ(showMessageCaption("Aviary", "y", MsgIcon::Stop, MsgButtons::RetryCancel), MsgAnswer::Retry);
    EXPECT_EQ(outer, 1);
    setMessageHandler({});
}

TEST(FileDialogSeam, HandlerAnswersAndNoHandlerMeansCancel)
{
    EXPECT_FALSE(askFile({}));
    FileDialogRequest seen;
    setFileDialogHandler([&](const FileDialogRequest& r) { seen = r; return std::optional<std::string>("/tmp/a.par"); });
    FileDialogRequest req;
    req.save = true;
    req.filter = "Parameter Files (*.par)|*.par||";
    EXPECT_EQ(askFile(req), "/tmp/a.par");
    EXPECT_TRUE(seen.save);
    EXPECT_EQ(seen.filter, req.filter);
    setFileDialogHandler({});
}

TEST(FileDialogSeam, ScriptedDialogsAnswerInOrderAndFailOnAMissingOrLeftoverAnswer)
{
    std::vector<std::string> failures;
    {
        platform::testing::ScriptedFileDialogs dialogs([&](const std::string& f) { failures.push_back(f); },
                                                       {"/tmp/first.par"});
        dialogs.cancel().answer("/tmp/never.par");
        FileDialogRequest save;
        save.save = true;
        save.title = "Save As";
        EXPECT_EQ(askFile(save), "/tmp/first.par");
        EXPECT_EQ(askFile({}), std::nullopt);  // the cancel
        EXPECT_EQ(dialogs.pending(), 1u);
        ASSERT_EQ(dialogs.requests.size(), 2u);
        EXPECT_TRUE(dialogs.requests[0].save);
        EXPECT_EQ(dialogs.requests[0].title, "Save As");
        EXPECT_TRUE(failures.empty());
    }  // the destructor reports the answer never used
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find("/tmp/never.par"), std::string::npos) << failures[0];
    // The seam is handed back: no handler, no answer.
    EXPECT_EQ(askFile({}), std::nullopt);

    platform::testing::ScriptedFileDialogs none([&](const std::string& f) { failures.push_back(f); });
    FileDialogRequest open;
    open.directory = "/opt/aviary/parameter";
    // A dialog nobody expected is cancelled and reported with where it opened.
    EXPECT_EQ(askFile(open), std::nullopt);
    ASSERT_EQ(failures.size(), 2u);
    EXPECT_NE(failures[1].find("/opt/aviary/parameter"), std::string::npos) << failures[1];
    EXPECT_FALSE(none.verify());
}
