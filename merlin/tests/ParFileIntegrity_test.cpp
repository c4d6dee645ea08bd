// A parameter file is trusted only as far as it reaches: how many of the
// set's parameters it held, whether it ends inside a record, whether its
// values may be written to a drive; a document opened from a cut file says
// so and is not downloaded; and a definition's parameters are never dropped
// without a word.
#include "DpfTestSupport.h"
#include "SmallDefinition.h"

#include <merlin/core/DownloadCheck.h>
#include <merlin/core/MerlinDocument.h>
#include <merlin/core/ParFileMessages.h>

#include <gtest/gtest.h>

#include <sstream>

using namespace merlin;
using merlin::testing::FailTest;
using platform::MsgAnswer;
using platform::MsgIcon;
using platform::testing::ScriptedResponder;

namespace {

class ParFileIntegrity : public ::testing::Test {
protected:
    // A file of the small definition (8 parameters) with its own values.
    std::string SavedFile()
    {
        CDpfParSet set;
        definitions.load(set);
        for (int k = 0; k < set.Count(); ++k)
            set.SetValueAt(k, set.At(k).min + 1);
        std::ostringstream out;
        EXPECT_EQ(set.WriteFile(out), 0);
        return out.str();
    }
    CDpfParSet Opened(const std::string& bytes)
    {
        CDpfParSet set(definitions.dir.path());
        set.SetTrace(nullptr);
        std::istringstream in(bytes);
        EXPECT_EQ(set.LoadParameterFile(in), 0);
        return set;
    }
    std::string WithValue(std::string bytes, int k, int32_t value)
    {
        std::string word(4, '\0');
        for (int b = 0; b < 4; ++b)
            word[b] = static_cast<char>(static_cast<uint32_t>(value) >> (8 * b));
        return bytes.replace(CParSet::kRecordsOffset + k * CParSet::kRecordSize + 60, 4, word);
    }

    merlin::testing::DefinitionDir definitions;
};

}  // namespace

TEST_F(ParFileIntegrity, EveryCutIsCountedAndOnlyTheWholeFilePasses)
{
    const std::string whole = SavedFile();
    const int n = 8;
    ASSERT_EQ(whole.size(), 1000u + 64u * n);
    for (size_t size = CParSet::kOldRecordsOffset; size <= whole.size() + 1; ++size) {
        const std::string bytes = size <= whole.size() ? whole.substr(0, size) : whole + '\0';
        const CDpfParSet set = Opened(bytes);
        const ParFileReading& r = set.FileReading();
        const int records = static_cast<int>(std::min(size, whole.size()) - 1000) / 64;
        const bool atBoundary = (std::min(size, whole.size()) - 1000) % 64 == 0;
        EXPECT_EQ(r.expected, n);
        EXPECT_EQ(r.read, records) << size;
        EXPECT_EQ(r.cut, !atBoundary) << size;
        EXPECT_EQ(r.surplus, size > whole.size()) << size;
        const DownloadCheck check = CheckForDownload(set);
        EXPECT_EQ(check.Passed(), size == whole.size()) << size;
        // Values after the cut keep the definition's defaults and are not read.
        for (int k = records; k < n; ++k)
            EXPECT_EQ(set.ValueAt(k), set.At(k).defaultValue) << size << " " << k;
    }
}

TEST_F(ParFileIntegrity, RefusalNamesWhatTheFileLacksAndWhatLiesOutsideItsLimits)
{
    const std::string whole = SavedFile();
    const CDpfParSet cut = Opened(whole.substr(0, 1000 + 64 * 2 + 30));
    const std::string lacking = DescribeRefusal(CheckForDownload(cut), cut, 2);
    EXPECT_NE(lacking.find("the file holds 2 of 8 parameters, then part of a record"), std::string::npos) << lacking;
    EXPECT_NE(lacking.find("not in the file: 40105 Mode, 40298 Password and 4 more"), std::string::npos) << lacking;

    const CDpfParSet empty = Opened(whole.substr(0, 1010));
    EXPECT_NE(DescribeRefusal(CheckForDownload(empty), empty).find("the file holds no parameter"), std::string::npos);

    // Speed (0..32500), Accel time (1..600), Mode (choice 0..2).
    const CDpfParSet outside = Opened(WithValue(WithValue(WithValue(whole, 0, 32501), 1, 0), 2, 0x10001));
    const DownloadCheck check = CheckForDownload(outside);
    EXPECT_EQ(check.outOfLimits, (std::vector<int>{0, 1, 2}));
    const std::string text = DescribeRefusal(check, outside);
    EXPECT_NE(text.find("3 values outside their limits: 40203 Speed = 32501 (0 to 32500), 40104 Accel time = 0 "
                        "(1 to 600), 40105 Mode = 65537 (0 to 2)"),
              std::string::npos)
        << text;
    EXPECT_TRUE(check.reading.Whole());

    // Read-only parameters and the password register are never written.
    const CDpfParSet readOnly = Opened(WithValue(WithValue(whole, 4, -5), 3, 99999));
    EXPECT_TRUE(CheckForDownload(readOnly).Passed());
}

TEST_F(ParFileIntegrity, AValueMustFitItsSixteenBitRegister)
{
    CPar par;
    par.min = 0;
    par.max = 70000;
    EXPECT_TRUE(FitsParameter(par, 65535));
    EXPECT_FALSE(FitsParameter(par, 65536));
    par.min = -40000;
    EXPECT_TRUE(FitsParameter(par, -32768));
    EXPECT_FALSE(FitsParameter(par, -32769));
    EXPECT_FALSE(FitsParameter(par, 40000));   // would read back as a negative number
    EXPECT_FALSE(FitsParameter(par, -40001));
}

TEST_F(ParFileIntegrity, AHeaderThatDisagreesWithItsDefinitionIsRefused)
{
    std::string bytes = SavedFile();
    for (const int offset : {170, 172, 174}) {
        std::string flipped = bytes;
        flipped[offset] = static_cast<char>(flipped[offset] ^ 0x40);
        const CDpfParSet set = Opened(flipped);
        const DownloadCheck check = CheckForDownload(set);
        EXPECT_FALSE(check.identityMatches) << offset;
        EXPECT_NE(DescribeRefusal(check, set).find("small_v3.dpf describes 8, 1, 3"), std::string::npos) << offset;
    }
}

TEST_F(ParFileIntegrity, ACutFileOpensOnlyWhenTheUserSaysSoAndIsNotDownloaded)
{
    const std::string path = definitions.dir.write("cut.par", SavedFile().substr(0, 1000 + 64 * 3));
    const std::string question = platform::strFormat(kMsgIncompleteFile, path.c_str(), 3, 8);
    {
        ScriptedResponder responder(FailTest());
        responder.expect(question, MsgIcon::Question, MsgAnswer::No);
        MerlinDocument refused(definitions.dir.path());
        refused.set().SetTrace(nullptr);
        EXPECT_FALSE(refused.Open(path));
        EXPECT_TRUE(responder.verify());
    }
    ScriptedResponder responder(FailTest());
    responder.expect(question, MsgIcon::Question, MsgAnswer::Yes);
    MerlinDocument doc(definitions.dir.path());
    doc.set().SetTrace(nullptr);
    ASSERT_TRUE(doc.Open(path));
    EXPECT_TRUE(responder.verify());
    EXPECT_EQ(doc.title(), "cut.par [incomplete: 3 of 8]");
    ASSERT_TRUE(doc.RefuseDownload());
    EXPECT_EQ(doc.RefuseDownload()->text, platform::strFormat(kMsgIncompleteDownload, 3, 8));
    // Saving keeps the mark: the file it writes is no more the user's than before.
    ASSERT_TRUE(doc.SaveAs(definitions.dir.file("saved.par")));
    EXPECT_EQ(doc.title(), "saved.par [incomplete: 3 of 8]");
    EXPECT_FALSE(doc.UploadEnded(false));
    EXPECT_TRUE(doc.RefuseDownload());
    EXPECT_TRUE(doc.UploadEnded(true));
    EXPECT_EQ(doc.title(), "saved.par");
    EXPECT_FALSE(doc.RefuseDownload());

    // A whole file asks nothing.
    MerlinDocument whole(definitions.dir.path());
    whole.set().SetTrace(nullptr);
    ASSERT_TRUE(whole.Open(definitions.dir.write("whole.par", SavedFile())));
    EXPECT_FALSE(whole.incomplete());
    EXPECT_EQ(whole.title(), "whole.par");
}

TEST_F(ParFileIntegrity, GroupsPastTheTitledOnesKeepTheirParametersAndImpossibleOnesAreReported)
{
    std::string text = merlin::testing::kSmallDefinition;
    // Parameter 8 moves to group 150, parameter 3 to group 0, 5 to group 5000.
    const size_t list = text.find("[Parameter List]");
    text.replace(list, text.find("\n\n", list) - list,
                 "[Parameter List]\n1,1,1\n2,1,2\n3,0,3\n4,2,4\n5,5000,5\n6,2,6\n7,2,7\n8,150,8");
    definitions.dir.write("DeviceData/far.dpf", text);
    ScriptedResponder responder(FailTest());
    responder.expect(platform::strFormat(kMsgParametersLeftOut, 2, "far.dpf", CDpfParSet::kMaxGroups, "3, 5"),
                     MsgIcon::Exclamation);
    CDpfParSet set;
    definitions.load(set, "far.dpf");
    EXPECT_TRUE(responder.verify());
    EXPECT_EQ(set.Count(), 6);
    EXPECT_EQ(set.LeftOut(), (std::vector<int>{3, 5}));
    ASSERT_EQ(set.NumberOfGroups(), 150);
    EXPECT_EQ(set.GroupSize(1), 3);
    EXPECT_EQ(set.GroupSize(149), 1);
    EXPECT_EQ(set.NameAt(set.GroupStart(149)), "Fault before");
    EXPECT_EQ(set.GroupName(149), "");

    // The parameter of group 150 goes to the file and comes back.
    set.SetValueAt(set.GroupStart(149), 321);
    std::ostringstream out;
    ASSERT_EQ(set.WriteFile(out), 0);
    CDpfParSet back(definitions.dir.path());
    back.SetTrace(nullptr);
    responder.expect(platform::strFormat(kMsgParametersLeftOut, 2, "far.dpf", CDpfParSet::kMaxGroups, "3, 5"),
                     MsgIcon::Exclamation);
    std::istringstream in(out.str());
    ASSERT_EQ(back.LoadParameterFile(in), 0);
    EXPECT_TRUE(back.FileReading().Whole());
    EXPECT_EQ(back.ValueAt(back.GroupStart(149)), 321);
}
