// The definition-file reader: what each construct stores, and the trace it
// writes, line by line.
#include <merlin/core/CDpfParSet.h>

#include <platform/testing/TempDir.h>

#include <gtest/gtest.h>

#include <sstream>

using merlin::CDpfParSet;

namespace {

struct Parsed {
    int result = -99;
    std::string trace;
};

Parsed Parse(CDpfParSet& set, const std::string& text)
{
    std::ostringstream trace;
    set.SetTrace(&trace);
    set.ResetTables();
    Parsed p;
    p.result = set.ParseDefinitionText(text);
    p.trace = trace.str();
    return p;
}

const char* const kNoErrors = "************* 0 Errors ***************\n";
const char* const kOneError = "************* 1 Errors ***************\n";

TEST(DpfReader, FileWithoutEndParsesAfterACompleteSection)
{
    CDpfParSet set;
    const Parsed p = Parse(set, "[Strings]\n1,abc\n");
    EXPECT_EQ(p.result, merlin::kParseOk);
    EXPECT_EQ(p.trace, std::string("   2DefKey:    1 Field  0: abcEntry1\n"
                                   "StringTable: \n") + kNoErrors);
    EXPECT_EQ(set.StringText(1), "abc");
}

TEST(DpfReader, NothingAfterEndIsRead)
{
    CDpfParSet set;
    // [End] needs no newline; what follows it would be a syntax error.
    const Parsed p = Parse(set, "[Strings]\n1,a\n[End][Strings]\n2,b\n,,,\n");
    EXPECT_EQ(p.result, merlin::kParseOk);
    EXPECT_EQ(p.trace, std::string("   2DefKey:    1 Field  0: aEntry1\n"
                                   "StringTable: \n"
                                   "EndTable\n") + kNoErrors);
    EXPECT_EQ(set.StringText(2), "");
}

TEST(DpfReader, TwoCommasInARowGiveNoEmptyField)
{
    CDpfParSet set;
    const Parsed p = Parse(set, "[Strings]\n5,abc,,def\n\n[Parameters]\n1,7,,12,0,99\n[End]\n");
    EXPECT_EQ(p.result, merlin::kParseOk);
    // The swallowed comma goes to the trace as it is.
    EXPECT_NE(p.trace.find("   2DefKey:    5 Field  0: abc, Field  1: defEntry1\n"), std::string::npos) << p.trace;
    EXPECT_EQ(set.StringText(5), "abc");
    // The fields after the double comma move one place to the left.
    const merlin::ParamEntry& par = set.ParamTable()[1];
    EXPECT_EQ(par.nameKey, 7);
    EXPECT_EQ(par.type, 12);
    EXPECT_EQ(par.min, 0);
    EXPECT_EQ(par.max, 99);
}

TEST(DpfReader, LeadingBlankKeptInStringsAndTrimmedInGroups)
{
    CDpfParSet set;
    const Parsed p = Parse(set, "[Strings]\n12, Motor speed\n\n[Groups]\n1,12,0, Motor speed,3,4\n[End]\n");
    ASSERT_EQ(p.result, merlin::kParseOk);
    EXPECT_EQ(set.StringText(12), " Motor speed");
    const merlin::GroupEntry& group = set.GroupTable()[1];
    EXPECT_EQ(group.nameKey, 12);
    EXPECT_EQ(group.f2, "Motor speed");
    EXPECT_EQ(group.f3, 3);
    EXPECT_EQ(group.f4, 4);
    EXPECT_EQ(set.GroupName(0), " Motor speed");
}

TEST(DpfReader, TrailingCommaIsAcceptedInStringsButAbortsGroups)
{
    CDpfParSet strings;
    const Parsed ok = Parse(strings, "[Strings]\n3,abc,\n4,def\n[End]\n");
    EXPECT_EQ(ok.result, merlin::kParseOk);
    EXPECT_EQ(ok.trace, std::string("   2DefKey:    3 Field  0: abcEntry1\n"
                                    "   3DefKey:    4 Field  0: defEntry2\n"
                                    "StringTable: \n"
                                    "EndTable\n") + kNoErrors);
    EXPECT_EQ(strings.StringText(4), "def");

    CDpfParSet groups;
    const Parsed bad = Parse(groups, "[Groups]\n1,12,\n2,3\n[End]\n");
    EXPECT_EQ(bad.result, merlin::kParseAborted);
    EXPECT_EQ(bad.trace, std::string("   2DefKey:    1 Field  0: 12"
                                     "************ parse error at line 2 ************\n"
                                     "Error Field: Group\n") + kOneError);
    // What was stored before the abort stays; the section was not closed.
    EXPECT_EQ(groups.GroupTable()[1].nameKey, 12);
    EXPECT_EQ(groups.GroupTable()[2].nameKey, 0);
}

TEST(DpfReader, BlankLineEndsTheSectionAndTheRestIsNotStored)
{
    CDpfParSet set;
    const Parsed p = Parse(set, "[Strings]\n1,abc\n\n2,def\n3,ghi\n[End]\n");
    EXPECT_EQ(p.result, merlin::kParseOk);
    EXPECT_EQ(p.trace, std::string("   2DefKey:    1 Field  0: abcEntry1\n"
                                   "StringTable: \n"
                                   "************ parse error at line 4 ************\n"
                                   "Error TableKey:  Common Table\n"
                                   "   4DefKey:    2 Field  0: defEntry1\n"
                                   "   5DefKey:    3 Field  0: ghiEntry2\n"
                                   "Table-2: \n"
                                   "EndTable\n") + kOneError);
    EXPECT_EQ(set.StringText(1), "abc");
    EXPECT_EQ(set.StringText(2), "");
    EXPECT_EQ(set.StringText(3), "");
}

TEST(DpfReader, LineOfIgnoredCharactersIsDroppedBeforeTheUnnamedSection)
{
    CDpfParSet set;
    const Parsed p = Parse(set, "[Strings]\n1,abc\nxyz\n2,def\n[End]\n");
    EXPECT_EQ(p.trace, std::string("   2DefKey:    1 Field  0: abcEntry1\n"
                                   "StringTable: \n"
                                   "************ parse error at line 2 ************\n"
                                   "Error Comment:\n"
                                   "Error TableKey:  Common Table\n"
                                   "   4DefKey:    2 Field  0: defEntry1\n"
                                   "Table-2: \n"
                                   "EndTable\n") + kOneError);
    EXPECT_EQ(set.StringText(2), "");
}

TEST(DpfReader, SecondOfTwoHeadersIsDiscarded)
{
    CDpfParSet set;
    const Parsed p = Parse(set, "[Strings]\n[Groups]\n1,abc\n[End]\n");
    EXPECT_EQ(p.result, merlin::kParseOk);
    // One "Error Comment:" for each discarded token: error, header, newline.
    EXPECT_EQ(p.trace, std::string("************ parse error at line 0 ************\n"
                                   "Error Comment:\n"
                                   "Error Comment:\n"
                                   "Error Comment:\n"
                                   "   3DefKey:    1 Field  0: abcEntry1\n"
                                   "StringTable: \n"
                                   "EndTable\n") + kOneError);
    EXPECT_EQ(set.StringText(1), "abc");
    EXPECT_EQ(set.GroupTable()[1].nameKey, 0);
}

TEST(DpfReader, KeyAloneOnTheFirstDataLineIsDropped)
{
    CDpfParSet set;
    const Parsed p = Parse(set, "[Strings]\n5\n6,abc\n[End]\n");
    EXPECT_EQ(p.result, merlin::kParseOk);
    EXPECT_EQ(p.trace, std::string("   2DefKey:    5"
                                   "************ parse error at line 2 ************\n"
                                   "Error Comment:\n"
                                   "Error Comment:\n"
                                   "   3DefKey:    6 Field  0: abcEntry1\n"
                                   "StringTable: \n"
                                   "EndTable\n") + kOneError);
    EXPECT_EQ(set.StringText(6), "abc");
}

TEST(DpfReader, RevisionTextsLoseBlanksAndApostrophes)
{
    CDpfParSet set;
    const Parsed p = Parse(set, "[Revision]\n1, 8, 'LM3 '\n2,1,'Normal'\n3,12,'V 12'\n4,'a b',x\n"
                                "5,'x'\n6,'y'\n7,'z'\n[End]\n");
    ASSERT_EQ(p.result, merlin::kParseOk);
    EXPECT_EQ(set.DeviceType(), 8);
    EXPECT_EQ(set.deviceTypeText, "LM3");
    EXPECT_EQ(set.Application(), 1);
    EXPECT_EQ(set.applicationText, "Normal");
    EXPECT_EQ(set.Version(), 12);
    EXPECT_EQ(set.versionText, "V12");
    EXPECT_EQ(set.revisionDate, "ab");
    EXPECT_EQ(set.revisionAuthor, "x");
    EXPECT_EQ(set.revisionName, "y");
    EXPECT_NE(p.trace.find("RevTable: \n"), std::string::npos);
}

TEST(DpfReader, FaultCodeLinesNeedExactlyFiveFields)
{
    const std::string strings = "[Strings]\n7,Overcurrent\n\n[Fault Code]\n";
    CDpfParSet five;
    EXPECT_EQ(Parse(five, strings + "1,2,7,3, F02,9\n[End]\n").result, merlin::kParseOk);
    ASSERT_EQ(five.FaultCodeTable().size(), 1u);
    const merlin::FaultCode& fault = five.FaultCodeTable()[0];
    EXPECT_EQ(fault.code, 2);
    EXPECT_EQ(fault.text, "Overcurrent");
    EXPECT_EQ(fault.cause, 3);
    EXPECT_EQ(fault.label, " F02");
    EXPECT_EQ(fault.reserved, 9);

    for (const char* line : {"1,2,7,3,4\n", "1,2,7,3,4,5,6\n"}) {
        CDpfParSet set;
        const Parsed p = Parse(set, strings + line + "[End]\n");
        EXPECT_EQ(p.result, merlin::kParseAborted) << line;
        EXPECT_NE(p.trace.find("Error Fields: FaultCode\n"), std::string::npos) << p.trace;
        EXPECT_EQ(p.trace.find("FaultCodeTable: "), std::string::npos);
    }
}

TEST(DpfReader, FaultRegisterLinesTakeOneFieldAndResolveTheParameter)
{
    const std::string head = "[Strings]\n4,Active fault 1\n\n[Parameters]\n3,4,10,0,255,0,1,40060,0\n\n";
    CDpfParSet set;
    ASSERT_EQ(Parse(set, head + "[Active Faults]\n1,3\n\n[Fault History]\n1,3\n2,1999\n[End]\n").result,
              merlin::kParseOk);
    ASSERT_EQ(set.ActiveFaults().size(), 1u);
    EXPECT_EQ(set.ActiveFaults()[0].registerNumber, 40060);
    EXPECT_EQ(set.ActiveFaults()[0].name, "Active fault 1");
    ASSERT_EQ(set.FaultHistory().size(), 2u);
    EXPECT_EQ(set.FaultHistory()[1].registerNumber, 0);

    CDpfParSet two;
    const Parsed p = Parse(two, head + "[Active Faults]\n1,3,4\n[End]\n");
    EXPECT_EQ(p.result, merlin::kParseAborted);
    EXPECT_NE(p.trace.find("Error Field: Faults\n"), std::string::npos) << p.trace;
}

TEST(DpfReader, OtherSectionsAreTracedButNotStored)
{
    CDpfParSet set;
    const Parsed p = Parse(set, "[Language]\n1,English,\n\n[Foo Bar]\n1,x,y\nEOF[End]\n");
    EXPECT_EQ(p.result, merlin::kParseOk);
    EXPECT_EQ(p.trace, std::string("   2DefKey:    1 Field  0: EnglishEntry1\n"
                                   "LangTable: \n"
                                   "TableKey: [Foo Bar]"
                                   "   5DefKey:    1 Field  0: x Field  1: yEntry1\n"
                                   "Table-2: \n"
                                   "Error End of file:\n"
                                   "EndTable\n") + kNoErrors);
    EXPECT_EQ(set.StringText(1), "");
}

TEST(DpfReader, BracketsThatAreNoHeaderAreDroppedUpToTheNextHeader)
{
    CDpfParSet set;
    // [A] and [A B C] are no headers: their characters are ignored, and the
    // newlines and the EOF word after them are discarded by the recovery.
    const Parsed p = Parse(set, "[A]\n[A B C]\nEOF\n[Strings]\n1,x\n[End]\n");
    EXPECT_EQ(p.result, merlin::kParseOk);
    EXPECT_EQ(p.trace, std::string("************ parse error at line 0 ************\n"
                                   "Error Comment:\n"
                                   "Error Comment:\n"
                                   "Error Comment:\n"
                                   "Error Comment:\n"
                                   "Error Comment:\n"
                                   "   5DefKey:    1 Field  0: xEntry1\n"
                                   "StringTable: \n"
                                   "EndTable\n") + kOneError);
    EXPECT_EQ(set.StringText(1), "x");
}

TEST(DpfReader, KeysOutsideATableAreIgnoredAndReported)
{
    CDpfParSet set;
    const Parsed p = Parse(set, "[Strings]\n1999,last\n2000,beyond\n99999999999,huge\n\n"
                                "[Groups]\n99,1999\n100,1\n\n[Parameters]\n2000,1,10,0,1,0,0,40001,0\n[End]\n");
    EXPECT_EQ(p.result, merlin::kParseOk);
    EXPECT_EQ(set.StringText(1999), "last");
    EXPECT_NE(p.trace.find("   3DefKey: 2000 Key 2000 out of range: line ignored\n Field  0: beyond"),
              std::string::npos) << p.trace;
    EXPECT_NE(p.trace.find("Key 2147483647 out of range: line ignored\n"), std::string::npos);
    EXPECT_NE(p.trace.find("Key 100 out of range: line ignored\n"), std::string::npos);
    EXPECT_EQ(set.GroupTable()[99].nameKey, 1999);
    for (const merlin::ParamEntry& entry : set.ParamTable())
        EXPECT_EQ(entry.key, -1);
}

TEST(DpfReader, SectionCloseWritesTheEndMarkers)
{
    CDpfParSet set;
    // The second [Groups] section ends after key 1: key 2 becomes the end of
    // the group list although the first section defined it.
    const Parsed p = Parse(set, "[Strings]\n1,A\n2,B\n3,C\n\n[Groups]\n1,1\n2,2\n3,3\n\n[Groups]\n1,3\n\n"
                                "[Parameter List]\n1,1,1\n2,1,1\n3,1,1\n\n[Parameter List]\n1,1,1\n[End]\n");
    ASSERT_EQ(p.result, merlin::kParseOk);
    std::vector<std::string> names;
    EXPECT_EQ(set.CollectGroupNames(names), 1);
    EXPECT_EQ(names, std::vector<std::string>{"C"});
    EXPECT_EQ(set.GroupCount(), 1);
    EXPECT_EQ(set.BuildParameterSet(), 1);
}

TEST(DpfReader, ChoiceTextsFormListsInFileOrder)
{
    CDpfParSet set;
    const Parsed p = Parse(set, "[Strings]\n1,Off\n2,On\n3,Slow\n4,Fast\n\n"
                                "[Enum]\n1,3,0,3\n2,3,1,4\n3,1,0,1\n4,1,1,2\n[End]\n");
    ASSERT_EQ(p.result, merlin::kParseOk);
    const merlin::CEnumTable& enums = set.EnumTable();
    EXPECT_EQ(enums.Text(3, 1), "Fast");
    EXPECT_EQ(enums.Text(1, 0), "Off");
    EXPECT_EQ(enums.ListLength(3), 2);
    EXPECT_EQ(enums.ListLength(1), 2);
    EXPECT_EQ(enums.ListLength(2), 0);
}

TEST(DpfReader, ErrorsAreCountedAndTheLineIsThatOfTheLastKey)
{
    CDpfParSet set;
    // The second error comes after the recovery from the first has ended;
    // a key alone before [End] makes the recovery swallow [End] and reach
    // the end of the input, which aborts.
    const Parsed p = Parse(set, "[Strings]\n1,a\n\n7\n\n9,b\n10,c\n\n11\n[End]\n");
    EXPECT_EQ(p.result, merlin::kParseAborted);
    EXPECT_NE(p.trace.find("************ parse error at line 4 ************\n"), std::string::npos) << p.trace;
    EXPECT_NE(p.trace.find("************ parse error at line 9 ************\n"), std::string::npos) << p.trace;
    EXPECT_NE(p.trace.find("************* 2 Errors ***************\n"), std::string::npos) << p.trace;
}

TEST(DpfReader, FileWithWindowsLineEndsReadsLikeOneWithNewlines)
{
    platform::testing::TempDir dir;
    const std::string path = dir.write("crlf.dpf", "[Strings]\r\n1,abc\r\n\r\n[Groups]\r\n1,1\r\n[End]\r\n");
    CDpfParSet set;
    std::ostringstream trace;
    set.SetTrace(&trace);
    set.ResetTables();
    EXPECT_EQ(set.ParseDefinition(path), merlin::kParseOk);
    EXPECT_EQ(set.StringText(1), "abc");
    EXPECT_EQ(set.GroupName(0), "abc");
    EXPECT_NE(trace.str().find(kNoErrors), std::string::npos);
    EXPECT_EQ(set.ParseDefinition(dir.file("missing.dpf")), merlin::kParseNoFile);
}

TEST(DpfReader, TraceCanBeDropped)
{
    CDpfParSet set;
    set.SetTrace(nullptr);
    set.ResetTables();
    EXPECT_EQ(set.ParseDefinitionText("[Strings]\n1,abc\n\n2,x\n[End]\n"), merlin::kParseOk);
    EXPECT_EQ(set.StringText(1), "abc");
}

}  // namespace
