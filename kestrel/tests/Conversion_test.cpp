// List conversion between software versions: the two passes, the case of
// every parameter, the entry checks, abort, the report and the new file.
#include "FilesTesting.h"
#include "ListFixture.h"

#include <kestrel/core/ListConversion.h>

#include <algorithm>

using namespace kestrel;
using namespace kestrel::testing;
using platform::MsgAnswer;
using platform::MsgIcon;

namespace {

std::vector<TvkFields> without(std::vector<TvkFields> fields, std::uint16_t number)
{
    fields.erase(std::remove_if(fields.begin(), fields.end(), [&](const TvkFields& f) { return f.number == number; }),
                 fields.end());
    return fields;
}

TvkFields& at(std::vector<TvkFields>& fields, std::uint16_t number)
{
    return *std::find_if(fields.begin(), fields.end(), [&](const TvkFields& f) { return f.number == number; });
}

// 12.34 without the header of group 5; 12.40 changes the limits of 0013
// and adds 0050, and carries its own software version in 00E4.
std::vector<TvkFields> source1234() { return without(catalogue1234(), 0x0050); }

std::vector<TvkFields> target1240()
{
    auto t = source1234();
    at(t, 0x0013).maximum = 20000;
    at(t, 0x00E4).value = 0x04D8;
    auto pos = std::find_if(t.begin(), t.end(), [](const TvkFields& f) { return f.number == 0x0060; });
    t.insert(pos, paramFields(0x0050, "Boost", 0x4000, 1, 0, 500, 100, 100));
    return t;
}

class Conversion : public ::testing::Test {
protected:
    Install install;
    Messages messages;
    Launches launches;
    std::vector<TvkFields> src = source1234();
    std::string srcDb = install.writeDatabase("1234", src);
    std::string tgtDb = install.writeDatabase("1240", target1240());
    std::string sourcePath = install.write("parameter/motor.par", listFileBytes("12.34", fullWorkBytes(src)));
    std::string workPath = install.write("parameter/motor.~pa", fullWorkBytes(src));
    std::string newPath = install.file("parameter/motor40.par");
    std::string reportPath = install.file("parameter/Report.txt");

    std::vector<ConversionQuestion> asked;
    std::deque<ConversionAnswer> answers;

    // What the user sees, in order: "list <work path>" for a new list window.
    std::vector<std::string> seen;

    ListConversion conversion(ListKind kind = ListKind::ParameterFile)
    {
        return ListConversion(install.path(), {kind, sourcePath, workPath, "/tvk/RQ-1234.tvk"},
                              [this](const ConversionQuestion& q) {
                                  asked.push_back(q);
                                  if (answers.empty()) {
                                      ADD_FAILURE() << "unexpected question " << q.parameter;
                                      return ConversionAnswer{true, ""};
                                  }
                                  auto a = answers.front();
                                  answers.pop_front();
                                  return a;
                              },
                              [this](const OpenedList& opened) {
                                  seen.push_back("list " + opened.workPath);
                                  EXPECT_TRUE(launches.requests.empty()) << "the report came first";
                              });
    }
    void answer(std::string entry) { answers.push_back({false, std::move(entry)}); }
    void expectNextStep() { messages.expect("In the next step, you should provide a file name.", MsgIcon::Information); }
};

}  // namespace

TEST_F(Conversion, SameVersionIsNotConverted)
{
    messages.expect("Conversion not required !", MsgIcon::None);
    EXPECT_FALSE(conversion().run("12.34", newPath));
    EXPECT_FALSE(exists(newPath));
}

TEST_F(Conversion, AsksForTheRedefinedThenTheNewParameterAndCarriesTheRest)
{
    ASSERT_TRUE(CWorkFile(workPath).writeValue(0x0011, 0x0100));  // a value the list changed
    expectNextStep();
    answer("250.00");  // 0013: above the new maximum of 200.00
    messages.expect("Value exceeds upper limit", MsgIcon::Stop);
    answer("12.34");
    answer("10.0");    // 0050: its default
    auto conv = conversion();
    const auto opened = conv.run("12.40", newPath);
    ASSERT_TRUE(opened);
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0].parameter, "0013 - Accel time     ");
    EXPECT_EQ(asked[0].heading, "List Conversion from A12.34  to  A12.40");
    EXPECT_EQ(asked[0].caseText,
              "\n\nThis parameter is not identical in both versions !\nPlease enter a value for this parameter.");
    EXPECT_EQ(asked[0].entry, "10.00");  // the list's value, proposed
    EXPECT_EQ(asked[1].entry, "250.00");  // after the refusal: what the user typed
    EXPECT_EQ(asked[0].source.maximum, "300.00");
    EXPECT_EQ(asked[0].target.maximum, "200.00");
    EXPECT_EQ(asked[0].source.setValue, "10.00");
    EXPECT_EQ(asked[2].parameter, "0050 - Boost          ");
    EXPECT_EQ(asked[2].caseText,
              "\n\nThis is a new parameter in version A12.40\nPlease enter a value for this parameter.");
    EXPECT_FALSE(asked[2].source.present);
    EXPECT_EQ(asked[2].defaultEntry, "10.0");
    EXPECT_EQ(asked[2].target.unit, "%");

    const std::string converted = readBytes(newPath);
    expectGolden("converted_1240.par", converted);
    expectGolden("converted_report.txt", replaceAll(readBytes(reportPath), install.path(), "/opt/aviary"));
    CWorkFile work(opened->workPath);
    EXPECT_EQ(work.findValue(0x0013), 0x04D2);
    EXPECT_EQ(work.findValue(0x0050), 0x0064);
    EXPECT_EQ(work.findValue(0x0011), 0x0100);  // carried over
    EXPECT_EQ(work.findValue(0x00E4), 0x04D8);  // the target's version, not the source's
    EXPECT_EQ(opened->databaseFileName, "/tvk/RQ-1240.tvk");
    EXPECT_EQ(seen, std::vector<std::string>{"list " + opened->workPath});
    ASSERT_EQ(launches.requests.size(), 1u);
    EXPECT_EQ(launches.requests[0].kind, platform::LaunchKind::TextViewer);
    EXPECT_EQ(launches.requests[0].arguments, std::vector<std::string>{reportPath});
}

TEST_F(Conversion, AbortLeavesNoFileBehind)
{
    expectNextStep();
    answer("12.34");
    answers.push_back({true, "7.5"});  // Abort, then Cancel: the dialog stays
    messages.expect("This will end the conversion process.", MsgIcon::Information, MsgAnswer::Cancel);
    answers.push_back({true, ""});
    messages.expect("This will end the conversion process.", MsgIcon::Information, MsgAnswer::Ok);
    messages.expect("Conversion process terminated before completion.", MsgIcon::None);
    EXPECT_FALSE(conversion().run("12.40", newPath));
    EXPECT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[1].entry, "10.0");
    EXPECT_EQ(asked[2].entry, "7.5");  // the Abort question cancelled: the entry as the user left it
    EXPECT_FALSE(exists(newPath));
    EXPECT_FALSE(exists(reportPath));
    EXPECT_TRUE(launches.requests.empty());
}

TEST_F(Conversion, DroppedParameterIsReportedAndLeftOut)
{
    auto target = without(source1234(), 0x0088);
    install.writeDatabase("1240", target);
    expectNextStep();
    answer("");  // case 2 only informs
    ASSERT_TRUE(conversion().run("12.40", newPath));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].caseText, "\n\nThis parameter was not found in version A12.40");
    EXPECT_FALSE(asked[0].asksValue);
    EXPECT_FALSE(CWorkFile(install.file("parameter/motor40.~pa")).findValue(0x0088));
    const std::string report = readBytes(reportPath);
    EXPECT_NE(report.find("\r\n\r\n0088 - not found in A12.40\r\n\r\n\r\nEND OF REPORT"), std::string::npos) << report;
}

TEST_F(Conversion, ViewOnlyTargetTakesTheProposedValueWithoutCheck)
{
    auto target = source1234();
    at(target, 0x00E8).maximum = 100;  // view-only, redefined; the list's 2005 is above it
    install.writeDatabase("1240", target);
    expectNextStep();
    answer("not a number");
    ASSERT_TRUE(conversion().run("12.40", newPath));
    EXPECT_EQ(CWorkFile(install.file("parameter/motor40.~pa")).findValue(0x00E8), 0x2005);
}

TEST_F(Conversion, CustomListKeepsItsOwnNumbers)
{
    const std::string body = workBytes({{0x0013, 0x0050}, {0x0088, 1}, {0x00E4, 0x04D2}, {0x00E9, 2}});
    sourcePath = install.write("custom/pump.ctm", listFileBytes("12.34", body));
    workPath = install.write("custom/pump.~ct", body);
    newPath = install.file("custom/pump40.ctm");
    install.writeDatabase("1240", without(target1240(), 0x0088));
    expectNextStep();
    answer("1.00");  // 0013
    answer("");      // 0088 not found
    const auto opened = conversion(ListKind::CustomList).run("12.40", newPath);
    ASSERT_TRUE(opened);
    EXPECT_EQ(readBytes(newPath), listFileBytes("12.40", "00130064\r\n00E404D8\r\n00E90002\r\n"));
    EXPECT_EQ(opened->workPath, install.file("custom/pump40.~ct"));
    const std::string report = readBytes(install.file("custom/Report.txt"));
    EXPECT_NE(report.find("0013 - Not identical\r\n0088 - not found in A12.40\r\n"), std::string::npos) << report;
}

TEST_F(Conversion, RefusalsWriteNothing)
{
    expectNextStep();
    messages.expect("You have selected the same file. No conversion allowed !", MsgIcon::None);
    EXPECT_FALSE(conversion().run("12.40", sourcePath));

    install.write("parameter/motor40.par", "keep");
    expectNextStep();
    messages.expect("This file already exists. Overwrite ?", MsgIcon::None, MsgAnswer::No);
    EXPECT_FALSE(conversion().run("12.40", newPath));
    EXPECT_EQ(readBytes(newPath), "keep");

    install.write("parameter/motor40.~pa", "open");
    expectNextStep();
    messages.expect("This file already exists. Overwrite ?", MsgIcon::None, MsgAnswer::Yes);
    messages.expect("You are already connected to this file. Conversion not allowed !", MsgIcon::None);
    EXPECT_FALSE(conversion().run("12.40", newPath));
    EXPECT_EQ(readBytes(newPath), "keep");
    EXPECT_FALSE(exists(reportPath));

    Dialogs dialogs;
    dialogs.answer(std::nullopt);
    expectNextStep();
    EXPECT_FALSE(conversion().run("12.40"));
    EXPECT_EQ(dialogs.requests[0].fileName, "*.par");
}

TEST_F(Conversion, MissingTextViewerNamesTheReport)
{
    Launches failing(2);
    auto target = without(source1234(), 0x0088);
    install.writeDatabase("1240", target);
    expectNextStep();
    answer("");
    messages.expect("NOTEPAD application not found !", MsgIcon::None);
    messages.expect("The software created a file : Report.txt", MsgIcon::None);
    EXPECT_TRUE(conversion().run("12.40", newPath));
    EXPECT_TRUE(exists(reportPath));
}
