#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "job/JobText.h"
#include "sheet/Cp1251.h"
#include "sheet/Text.h"

namespace sheetbasis {
namespace {

using Lines = std::vector<std::string>;

Lines linesOf(std::string_view bytes) {
    return splitJobText(bytes).lines;
}

TEST(SplitJobText, LineEndsLfAndCrLfAndALastLineWithoutEnd) {
    EXPECT_EQ(linesOf("a=1;\nb=2;\r\nc=3;"), (Lines{"a=1;", "b=2;", "c=3;"}));
    EXPECT_EQ(linesOf("a=1;\r\n\r\n  \n"), (Lines{"a=1;", "", "  "}));
    EXPECT_EQ(linesOf(""), Lines{});
    // Only the CR of the line end goes; one inside the line is content.
    EXPECT_EQ(linesOf("a\rb\r\r\n"), (Lines{"a\rb\r"}));
}

TEST(SplitJobText, Utf8WithOrWithoutMarkStaysUtf8AndWindows1251StaysAsItIs) {
    const std::string cp = cp1251("CS=ГCK-2011;xFrom=36°30';");
    const std::string utf8 = "CS=ГCK-2011;xFrom=36°30';";
    EXPECT_EQ(splitJobText(cp).encoding, JobEncoding::Windows1251);
    EXPECT_EQ(linesOf(cp), Lines{cp});
    for (const std::string& text : {utf8, "\xEF\xBB\xBF" + utf8}) {
        const JobText job = splitJobText(text);
        EXPECT_EQ(job.encoding, JobEncoding::Utf8);
        EXPECT_EQ(job.lines, Lines{utf8});
    }
    // A mark before plain ASCII is not part of the first entry.
    EXPECT_EQ(linesOf("\xEF\xBB\xBFNom=N-37;"), Lines{"Nom=N-37;"});
}

TEST(SplitJobText, Utf8WithCharactersOutsideWindows1251StaysUtf8AsAWhole) {
    // U+4E2D has no Windows-1251 byte; the "Г" of the next line is still UTF-8.
    const std::string utf8 =
        "Path=/tmp/\xE4\xB8\xAD;\nCS=\xD0\x93"
        "CK-2011;";
    const JobText job = splitJobText(utf8);
    EXPECT_EQ(job.encoding, JobEncoding::Utf8);
    EXPECT_EQ(job.lines, (Lines{"Path=/tmp/\xE4\xB8\xAD;", "CS=ГCK-2011;"}));
    // 0xC3 followed by "C" is no UTF-8 sequence: Windows-1251 "ГC".
    EXPECT_EQ(splitJobText("CS=\xC3"
                           "CK-2011;")
                  .encoding,
              JobEncoding::Windows1251);
}

TEST(SplitJobText, LinesAreCutAtTheLineLengthInCharacters) {
    const std::string longLine(JOB_LINE_LENGTH + 500, 'a');
    EXPECT_EQ(linesOf(longLine + "\nb"), (Lines{std::string(JOB_LINE_LENGTH, 'a'), "b"}));
    // 1000 Cyrillic letters are 2000 UTF-8 bytes but one full line, cut after a letter.
    std::string cyrillic;
    for (std::size_t i = 0; i < JOB_LINE_LENGTH; ++i) cyrillic += "Ж";
    EXPECT_EQ(linesOf(cyrillic + "Ж;\r\n"), Lines{cyrillic});
    EXPECT_EQ(linesOf(cp1251(cyrillic) + "\xC6;\r\n"), Lines{cp1251(cyrillic)});
    // The CR of a line exactly at the limit is the line end, not its 1001st character.
    EXPECT_EQ(linesOf(std::string(JOB_LINE_LENGTH, 'x') + "\r\n"),
              Lines{std::string(JOB_LINE_LENGTH, 'x')});
}

TEST(SplitJobText, NulAndControlBytesAreKept) {
    const std::string withNul("Nom=N-37;\0\tx", 12);
    EXPECT_EQ(linesOf(withNul), Lines{withNul});
}

}  // namespace
}  // namespace sheetbasis
