#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "job/JobText.h"
#include "sheet/Cp1251.h"
#include "sheet/Text.h"

namespace sheetbasis {
namespace {

using Lines = std::vector<std::string>;

TEST(SplitJobText, LineEndsLfAndCrLfAndALastLineWithoutEnd) {
    EXPECT_EQ(splitJobText("a=1;\nb=2;\r\nc=3;"), (Lines{"a=1;", "b=2;", "c=3;"}));
    EXPECT_EQ(splitJobText("a=1;\r\n\r\n  \n"), (Lines{"a=1;", "", "  "}));
    EXPECT_EQ(splitJobText(""), Lines{});
    // Only the CR of the line end goes; one inside the line is content.
    EXPECT_EQ(splitJobText("a\rb\r\r\n"), (Lines{"a\rb\r"}));
}

TEST(SplitJobText, Utf8WithOrWithoutMarkAndWindows1251GiveTheSameBytes) {
    const std::string cp = cp1251("CS=ГCK-2011;xFrom=36°30';");
    const std::string utf8 = "CS=ГCK-2011;xFrom=36°30';";
    EXPECT_EQ(splitJobText(cp), Lines{cp});
    EXPECT_EQ(splitJobText(utf8), Lines{cp});
    EXPECT_EQ(splitJobText("\xEF\xBB\xBF" + utf8), Lines{cp});
    // A mark before plain ASCII is not part of the first entry.
    EXPECT_EQ(splitJobText("\xEF\xBB\xBFNom=N-37;"), Lines{"Nom=N-37;"});
}

TEST(SplitJobText, UnconvertibleUtf8IsTakenAsWindows1251Bytes) {
    // U+4E2D has no Windows-1251 byte: the whole file stays as it is.
    const std::string utf8 =
        "Path=/tmp/\xE4\xB8\xAD;\nCS=\xD0\x93"
        "CK-2011;";
    EXPECT_EQ(splitJobText(utf8), (Lines{"Path=/tmp/\xE4\xB8\xAD;",
                                         "CS=\xD0\x93"
                                         "CK-2011;"}));
    // 0xC3 followed by "C" is no UTF-8 sequence: Windows-1251 "ГC".
    EXPECT_EQ(splitJobText("CS=\xC3"
                           "CK-2011;"),
              Lines{"CS=\xC3"
                    "CK-2011;"});
}

TEST(SplitJobText, LinesAreCutAtTheLineLengthInWindows1251Characters) {
    const std::string longLine(JOB_LINE_LENGTH + 500, 'a');
    EXPECT_EQ(splitJobText(longLine + "\nb"), (Lines{std::string(JOB_LINE_LENGTH, 'a'), "b"}));
    // 1000 Cyrillic letters are 2000 UTF-8 bytes but one full line.
    std::string cyrillic;
    for (std::size_t i = 0; i <= JOB_LINE_LENGTH; ++i) cyrillic += "Ж";
    const Lines lines = splitJobText(cyrillic + "\r\n");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], std::string(JOB_LINE_LENGTH, '\xC6'));
    // The CR of a line exactly at the limit is the line end, not its 1001st character.
    EXPECT_EQ(splitJobText(std::string(JOB_LINE_LENGTH, 'x') + "\r\n"),
              Lines{std::string(JOB_LINE_LENGTH, 'x')});
}

TEST(SplitJobText, NulAndControlBytesAreKept) {
    const std::string withNul("Nom=N-37;\0\tx", 12);
    EXPECT_EQ(splitJobText(withNul), Lines{withNul});
}

}  // namespace
}  // namespace sheetbasis
