// Print files of a list window and of the custom list editor, byte for byte.
#include "FilesTesting.h"
#include "ListFixture.h"

#include <kestrel/core/CustomListEditor.h>
#include <kestrel/core/PrintFile.h>

#include <sstream>

using namespace kestrel;
using namespace kestrel::testing;
using platform::MsgIcon;

namespace {

const PrintStamp kStamp{7, 3, 2024, 9, 5};

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    for (std::size_t at = 0; at < text.size();) {
        const auto end = text.find("\r\n", at);
        out.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end + 2 - at));
        if (end == std::string::npos) break;
        at = end + 2;
    }
    return out;
}

class PrintFile : public CatalogueTest {
protected:
    Launches launches;
};

}  // namespace

TEST_F(PrintFile, OnlineListAtAddress3)
{
    const std::string work = install.write("parameter/List-3.~pa", fullWorkBytes(cat));
    ASSERT_TRUE(printList(work, db, "", "3", "Pump", kStamp));
    const std::string path = install.file("parameter/List-3.txt");
    ASSERT_TRUE(exists(path));
    const std::string text = readBytes(path);
    expectGolden("online_list3.txt", text);
    ASSERT_EQ(launches.requests.size(), 1u);
    EXPECT_EQ(launches.requests[0].arguments, std::vector<std::string>{path});

    const auto all = lines(text);
    EXPECT_EQ(all[0], " \tFileName                   \t\r\n");
    EXPECT_EQ(all[1], " \tInverter Address           \t3\r\n");
    EXPECT_EQ(all[4], " \tInverter Software Version  \t12.34\r\n");
    EXPECT_EQ(all[5], " \tRated Power                \t3.75  kW\r\n");
    EXPECT_EQ(all[6], " \tDate                       \t7.3.2024   (dd.mm.yyyy)\r\n");
    EXPECT_EQ(all[7], " \tTime                       \t9:05\r\n");
    // Every group title is framed by two separators; every parameter line
    // is 48 characters.
    for (std::size_t i = 10; i < all.size(); ++i) {
        const bool isSeparator = all[i] == "     \t                   \t                    \r\n";
        const bool isTitle = all[i].substr(0, 7) == "     \t " && !isSeparator;
        if (isTitle) {
            EXPECT_EQ(all[i - 1], all[8]) << i;
            EXPECT_EQ(all[i + 1], all[8]) << i;
        }
        if (!isSeparator) {
            EXPECT_EQ(all[i].size(), 48u) << i << ": " << all[i];
        }
    }
}

TEST_F(PrintFile, ValuesUnitsAndFittedNames)
{
    const std::string work = install.write(
        "parameter/x.~pa",
        workBytes({{0x0002, 0xFFF6}, {0x0013, 0xFFF6}, {0x0014, 0x00FF}, {0x00A8, 0xFFF6}, {0x00E9, 2},
                   {0x0142, 0xFFF6}}));
    const std::string expected[] = {
        "0002 \t Rated current     \t      -0.1  A       \r\n",  // scale 1
        "0013 \t Accel time        \t     -0.10  sec     \r\n",
        "0014 \t Control word      \t      00FF  HEX     \r\n",
        "00A8 \t Baud rate         \t       -10          \r\n",
        "00E9 \t Parameter set     \t         2  Hz      \r\n",
        "0142 \t Trim gain         \t      -1.0          \r\n",  // scale 0, 1 decimal
    };
    auto changed = cat;
    for (auto& f : changed)
        if (f.number == 0x00E9) f.attribute = 0x1040;  // unit index 1
    const std::string text = listPrintText(work, install.writeDatabase("1234", changed), {}, kStamp);
    const auto all = lines(text);
    ASSERT_GE(all.size(), 10u + 5u);
    std::vector<std::string> params;
    for (std::size_t i = 10; i < all.size(); ++i)
        if (all[i][0] == '0') params.push_back(all[i]);
    ASSERT_EQ(params.size(), 6u);
    for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(params[i], expected[i]);
    EXPECT_EQ(all[5], " \tRated Power                \t--\r\n");
    EXPECT_EQ(all[2], " \tInverter Name              \t--\r\n");

    // A converted name longer than 17 characters and an over-long value are cut.
    EXPECT_EQ(printLine("0022", "\x81\x81\x81\x81\x81\x81\x81\x81\x81" "abc", "1234567890", "per min"),
              "0022 \t \x81\x81\x81\x81\x81\x81\x81\x81\x81" "abc      \t 123456789  per min \r\n");
    const std::string longName = printLine("0022", "Ueberwachungszeitgrenze", "12", "Hz");
    EXPECT_EQ(longName, "0022 \t Ueberwachungszeit \t        12  Hz      \r\n");
    EXPECT_EQ(longName.size(), 48u);
}

TEST_F(PrintFile, CustomListEditorPrint)
{
    auto editor = CustomListEditor::create(install.path(), "12.34");
    ASSERT_TRUE(editor);
    // Unsaved: Untitled.txt, no rated power.
    ASSERT_TRUE(printCustomList(install.path(), *editor, kStamp));
    const std::string untitled = readBytes(install.file("custom/Untitled.txt"));
    expectGolden("custom_untitled.txt", untitled);
    EXPECT_NE(untitled.find(" \tDate                       \t7.3.2024\r\n"), std::string::npos);
    EXPECT_NE(untitled.find(" \tRated Power                \t--\r\n"), std::string::npos);

    const std::string saved = install.write(
        "custom/motor.ctm", listFileBytes("12.34", workBytes({{0x00E4, 0x04D2}, {0x00E9, 1}, {0x00F1, 1500}})));
    auto loaded = CustomListEditor::modify(install.path(), saved);
    ASSERT_TRUE(loaded);
    ASSERT_TRUE(printCustomList(install.path(), *loaded, kStamp));
    const std::string text = readBytes(install.file("custom/motor.txt"));
    EXPECT_NE(text.find(" \tRated Power                \t15.00  kW\r\n"), std::string::npos);
    EXPECT_NE(text.find("00F1 \t Rated power       \t     15.00  kW      \r\n"), std::string::npos) << text;
}

TEST_F(PrintFile, MissingViewerAndUnwritableFile)
{
    Launches failing(2);
    const std::string work = install.write("parameter/motor.~pa", fullWorkBytes(cat));
    messages.expect("NOTEPAD application not found !", MsgIcon::None);
    messages.expect("The software created a print file :\n" + install.file("parameter/motor.txt"), MsgIcon::None);
    EXPECT_TRUE(printList(work, db, install.file("parameter/motor.par"), "", "", kStamp));
    EXPECT_TRUE(exists(install.file("parameter/motor.txt")));

    const std::string gone = install.file("nowhere/x.~pa");
    messages.expect("The file could not be written :\n" + install.file("nowhere/x.txt"), MsgIcon::Stop);
    EXPECT_FALSE(printList(gone, db, "", "", "", kStamp));
}
