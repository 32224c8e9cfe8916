#include <gtest/gtest.h>

#include <string>

#include "job/ValueReaders.h"
#include "sheet/Cp1251.h"
#include "sheet/Text.h"

namespace sheetbasis {
namespace {

// Row N of the million map.
constexpr std::int32_t ROW_N = 8;

struct Identity {
    std::int32_t setScale, yZone, xZone, sheetNumber, sheetType;
};

SheetParameters readName(const std::string& name) {
    SheetParameters p;
    EXPECT_EQ(applySheetName(name, p), ValueStatus::Accepted) << "«" << name << "»";
    return p;
}

void expectIdentity(const std::string& name, Identity want) {
    const SheetParameters p = readName(name);
    EXPECT_EQ(p.setScale, want.setScale) << name;
    EXPECT_EQ(p.yZone, want.yZone) << name;
    EXPECT_EQ(p.xZone, want.xZone) << name;
    EXPECT_EQ(p.sheetNumber, want.sheetNumber) << name;
    EXPECT_EQ(p.sheetType, want.sheetType) << name;
}

TEST(ReadNomenclature, MillionSheetSpellingsGiveTheSameSheetWithItsBaseTrapezoid) {
    for (const char* name : {"N-37", "N37", "n-37", " N-37 ", "n37"}) {
        expectIdentity(name, {SERIES_1M, ROW_N, 37, 0, SHEET_STANDARD});
    }
    const SheetParameters p = readName("N-37");
    EXPECT_EQ(p.baseXFrom, 36.0);
    EXPECT_EQ(p.baseXTo, 42.0);
    EXPECT_EQ(p.baseYFrom, 52.0);
    EXPECT_EQ(p.baseYTo, 56.0);
    EXPECT_EQ(p.baseMeridianStep, 1.0);
    EXPECT_EQ(p.baseParallelStep, 2.0 / 3.0);
    EXPECT_EQ(p.baseXMinute, 10);
    EXPECT_EQ(p.baseYMinute, 10);
}

TEST(ReadNomenclature, RowsAndColumnsAtTheEndsOfTheOfferedLists) {
    expectIdentity("U-01", {SERIES_1M, 1, 1, 0, SHEET_STANDARD});
    expectIdentity("k-60", {SERIES_1M, 11, 60, 0, SHEET_STANDARD});
    expectIdentity("P-02-XXXVI", {SERIES_200K, 6, 2, 36, SHEET_STANDARD});
    expectIdentity("M33", {SERIES_1M, 9, 33, 0, SHEET_STANDARD});
}

TEST(ReadNomenclature, DashedAndUndashedSheetNumbersGiveTheSame200kSheet) {
    expectIdentity("N-37-XII", {SERIES_200K, ROW_N, 37, 12, SHEET_STANDARD});
    expectIdentity("N3712", {SERIES_200K, ROW_N, 37, 12, SHEET_STANDARD});
    expectIdentity("N3701", {SERIES_200K, ROW_N, 37, 1, SHEET_STANDARD});
    expectIdentity("N-37-I", {SERIES_200K, ROW_N, 37, 1, SHEET_STANDARD});
    expectIdentity("N-37-XXXVI", {SERIES_200K, ROW_N, 37, 36, SHEET_STANDARD});
    // The sheet number of the undashed spelling is read from the left-adjusted rest.
    expectIdentity("N37 12", {SERIES_200K, ROW_N, 37, 12, SHEET_STANDARD});
    const SheetParameters p = readName("N-37-XII");
    EXPECT_EQ(p.baseXFrom, 41.0);
    EXPECT_EQ(p.baseXTo, 42.0);
    EXPECT_DOUBLE_EQ(p.baseYFrom, 54.0 + 2.0 / 3.0);
    EXPECT_DOUBLE_EQ(p.baseYTo, 55.0 + 1.0 / 3.0);
    EXPECT_EQ(p.baseMeridianStep, 0.25);
    EXPECT_EQ(p.baseXMinute, 1);
}

TEST(ReadNomenclature, EveryRomanSheetNumberIsRead) {
    const char* const numerals[] = {
        "I",      "II",   "III", "IV",   "V",     "VI",     "VII",   "VIII", "IX",
        "X",      "XI",   "XII", "XIII", "XIV",   "XV",     "XVI",   "XVII", "XVIII",
        "XIX",    "XX",   "XXI", "XXII", "XXIII", "XXIV",   "XXV",   "XXVI", "XXVII",
        "XXVIII", "XXIX", "XXX", "XXXI", "XXXII", "XXXIII", "XXXIV", "XXXV", "XXXVI"};
    std::int32_t number = 0;
    for (const char* numeral : numerals) {
        ++number;
        expectIdentity(std::string("N-37-") + numeral,
                       {SERIES_200K, ROW_N, 37, number, SHEET_STANDARD});
    }
}

TEST(ReadNomenclature, SheetTypeSuffixWithOrWithoutBlanks) {
    for (const char* name : {"P-37(2)", "P-37 (2)", "P-37( 2 )", "p37  ( 2)"}) {
        expectIdentity(name, {SERIES_1M, 6, 37, 0, SHEET_DOUBLE});
    }
    expectIdentity("T-37-I ( 3 )", {SERIES_200K, 2, 37, 1, SHEET_TRIPLE});
    expectIdentity("T3701(3)", {SERIES_200K, 2, 37, 1, SHEET_TRIPLE});
    // Not checked against the row: N has no quadruple sheets in the dialog's lists.
    expectIdentity("N-37(4)", {SERIES_1M, ROW_N, 37, 0, SHEET_QUADRUPLE});
    EXPECT_EQ(readName("N-37(4)").baseXTo, 36.0 + 24.0);
    // "(3)" in the million series is an 18-degree sheet.
    EXPECT_EQ(readName("T-37(3)").baseXTo, 36.0 + 18.0);
}

TEST(ReadNomenclature, RejectedSpellingsLeaveTheRecordUntouched) {
    const char* const rejected[] = {
        "",          "   ",         "N-",         "N3",        "N-3712",    "N37-XII", "N-37-xii",
        "N-37 -XII", "N-37-XXXVII", "N-37-IIII",  "N3737",     "N3700",     "N-03",    "N-32",
        "N-61",      "N-7",         "N-00",       "V-37",      "J-37",      "A-37",    "Z-37",
        "-37",       "37",          "N--37",      "P-37(5)",   "P-37(1)",   "P-37(2",  "P-37(2)x",
        "P-37()",    "P-37 2",      "N-37-XII-",  "N-37-",     "N-37-XIIa", "N37XII",  "N-37-IL",
        "N\xC3-37",  "N-37\t",      "N-37(2)(2)", "N3712(2)x", "N 37"};
    for (const char* name : rejected) {
        SheetParameters p;
        p.yZone = 77;
        p.baseXFrom = -1.0;
        EXPECT_EQ(applySheetName(name, p), ValueStatus::Rejected) << "«" << name << "»";
        EXPECT_EQ(p.yZone, 77) << name;
        EXPECT_EQ(p.baseXFrom, -1.0) << name;
    }
    SheetParameters p;
    EXPECT_EQ(applySheetName(std::string("N-37\0", 5), p), ValueStatus::Rejected);
}

TEST(ReadCs, OnlyTheJobFileKeywordsWithTheirLatinAndCyrillicLetters) {
    const std::string gsk = cp1251("Г") + "CK-2011";
    const std::pair<std::string, std::int32_t> accepted[] = {
        {"CK-42", CS_SK42},
        {"CK-95", CS_SK95},
        {gsk, CS_GSK2011},
        {gsk + " / " + cp1251("СК-42"), CS_GSK2011_FROM_SK42},
        {"  CK-95   ", CS_SK95}};
    for (const auto& [text, cs] : accepted) {
        std::int32_t got = 0;
        EXPECT_EQ(parseCoordinateSystem(text, got), ValueStatus::Accepted) << cp1251ToUtf8(text);
        EXPECT_EQ(got, cs) << cp1251ToUtf8(text);
    }
    const std::string rejected[] = {cp1251("СК-42"),
                                    cp1251("СК-95"),
                                    cp1251("ГСК-2011"),
                                    "GCK-2011",
                                    gsk + " / CK-42",
                                    cp1251("ГСК-2011 / СК-42"),
                                    "ck-42",
                                    "CK-42 x",
                                    "CK42",
                                    "",
                                    "1",
                                    gsk + "/" + cp1251("СК-42")};
    for (const std::string& text : rejected) {
        std::int32_t got = -5;
        EXPECT_EQ(parseCoordinateSystem(text, got), ValueStatus::Rejected) << cp1251ToUtf8(text);
        EXPECT_EQ(got, -5);
    }
}

TEST(ReadScale2, DenominatorsByTheSeries) {
    struct Case {
        std::int32_t setScale;
        const char* value;
        ValueStatus status;
        std::int32_t mapScale;
    };
    const Case cases[] = {{SERIES_200K, "200", ValueStatus::Accepted, 0},
                          {SERIES_200K, "500", ValueStatus::Accepted, 1},
                          {SERIES_200K, "1000", ValueStatus::Accepted, 2},
                          {SERIES_200K, "2500", ValueStatus::Rejected, -1},
                          {SERIES_200K, "5000", ValueStatus::Rejected, -1},
                          {SERIES_1M, "200", ValueStatus::Rejected, -1},
                          {SERIES_1M, "500", ValueStatus::Rejected, -1},
                          {SERIES_1M, "1000", ValueStatus::Accepted, 0},
                          {SERIES_1M, "2500", ValueStatus::Accepted, 1},
                          {SERIES_1M, "5000", ValueStatus::Accepted, 2},
                          {SERIES_1M, " 5000  ", ValueStatus::Accepted, 2},
                          {SERIES_1M, "05000", ValueStatus::Rejected, -1},
                          {SERIES_200K, "1 000", ValueStatus::Rejected, -1},
                          {SERIES_200K, "", ValueStatus::Rejected, -1},
                          {SERIES_200K, "200000", ValueStatus::Rejected, -1}};
    for (const Case& c : cases) {
        std::int32_t mapScale = -1;
        EXPECT_EQ(parseMapScale(c.setScale, c.value, mapScale), c.status)
            << c.setScale << " «" << c.value << "»";
        EXPECT_EQ(mapScale, c.mapScale) << c.setScale << " «" << c.value << "»";
    }
}

TEST(ReadPath, TheFolderEndsWithTheSeparator) {
    const std::pair<std::string, std::string> accepted[] = {
        {"D:\\", "D:/"},
        {"D:\\Maps", "D:\\Maps/"},
        {"/tmp/out", "/tmp/out/"},
        {"/tmp/out/", "/tmp/out/"},
        {"  /tmp/a b  ", "/tmp/a b/"},
        {"abc", "abc/"},
        {"/tmp/" + cp1251("Карты"), "/tmp/Карты/"}};
    for (const auto& [value, want] : accepted) {
        std::string path;
        EXPECT_EQ(parseResultFolder(value, path), ValueStatus::Accepted) << value;
        EXPECT_EQ(path, want);
    }
    for (const char* value : {"D:", "", "  ", "ab", " x "}) {
        std::string path = "kept";
        EXPECT_EQ(parseResultFolder(value, path), ValueStatus::Rejected) << "«" << value << "»";
        EXPECT_EQ(path, "kept");
    }
}

TEST(ReadPath, AFolderMustLeaveRoomForItsSubFoldersAndItsSeparator) {
    // 254 characters and "/": "FRAME" still fits in the 260 of the folder text.
    const std::string stem = "/tmp/" + std::string(RESULT_FOLDER_LENGTH - 6, 'a');
    std::string path;
    EXPECT_EQ(parseResultFolder(stem, path), ValueStatus::Accepted);
    EXPECT_EQ(path, stem + "/");
    EXPECT_EQ(parseResultFolder(stem + "\\", path), ValueStatus::Accepted);
    EXPECT_EQ(path.size(), RESULT_FOLDER_LENGTH);
    // One more character, with or without its separator, would cut "FRAME" to "FRAM".
    EXPECT_EQ(parseResultFolder(stem + "a", path), ValueStatus::Rejected);
    EXPECT_EQ(parseResultFolder(stem + "a/", path), ValueStatus::Rejected);
    EXPECT_EQ(parseResultFolder(stem + "/b/", path), ValueStatus::Rejected);
}

TEST(ReadPath, CyrillicLettersCountOnceInEitherEncoding) {
    std::string letters;
    for (std::size_t i = 0; i + 1 < RESULT_FOLDER_LENGTH; ++i) letters += "Ж";
    std::string path;
    EXPECT_EQ(readUtf8Path(letters, path), ValueStatus::Accepted);
    EXPECT_EQ(path, letters + "/");
    EXPECT_EQ(parseResultFolder(cp1251(letters), path), ValueStatus::Accepted);
    EXPECT_EQ(path, letters + "/");
    EXPECT_EQ(readUtf8Path(letters + "Ж", path), ValueStatus::Rejected);
    EXPECT_EQ(readUtf8Path("Ж✓", path), ValueStatus::Rejected) << "two characters are too short";
    EXPECT_EQ(readUtf8Path("/✓", path), ValueStatus::Rejected);
    EXPECT_EQ(readUtf8Path("/a✓", path), ValueStatus::Accepted);
    EXPECT_EQ(path, "/a✓/");
}

}  // namespace
}  // namespace sheetbasis
