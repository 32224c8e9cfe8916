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
    Series setScale;
    std::int32_t yZone, xZone, sheetNumber;
    SheetType sheetType;
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
        expectIdentity(name, {Series::Scale1m, ROW_N, 37, 0, SheetType::Standard});
    }
    const SheetParameters p = readName("N-37");
    EXPECT_EQ(p.base.edges.west, 36.0);
    EXPECT_EQ(p.base.edges.east, 42.0);
    EXPECT_EQ(p.base.edges.south, 52.0);
    EXPECT_EQ(p.base.edges.north, 56.0);
    EXPECT_EQ(p.base.meridianStep, 1.0);
    EXPECT_EQ(p.base.parallelStep, 2.0 / 3.0);
    EXPECT_EQ(p.base.xMinute, 10);
    EXPECT_EQ(p.base.yMinute, 10);
}

TEST(ReadNomenclature, RowsAndColumnsAtTheEndsOfTheOfferedLists) {
    expectIdentity("U-01", {Series::Scale1m, 1, 1, 0, SheetType::Standard});
    expectIdentity("k-60", {Series::Scale1m, 11, 60, 0, SheetType::Standard});
    expectIdentity("P-02-XXXVI", {Series::Scale200k, 6, 2, 36, SheetType::Standard});
    expectIdentity("M33", {Series::Scale1m, 9, 33, 0, SheetType::Standard});
}

TEST(ReadNomenclature, DashedAndUndashedSheetNumbersGiveTheSame200kSheet) {
    expectIdentity("N-37-XII", {Series::Scale200k, ROW_N, 37, 12, SheetType::Standard});
    expectIdentity("N3712", {Series::Scale200k, ROW_N, 37, 12, SheetType::Standard});
    expectIdentity("N3701", {Series::Scale200k, ROW_N, 37, 1, SheetType::Standard});
    expectIdentity("N-37-I", {Series::Scale200k, ROW_N, 37, 1, SheetType::Standard});
    expectIdentity("N-37-XXXVI", {Series::Scale200k, ROW_N, 37, 36, SheetType::Standard});
    // The sheet number of the undashed spelling is read from the left-adjusted rest.
    expectIdentity("N37 12", {Series::Scale200k, ROW_N, 37, 12, SheetType::Standard});
    const SheetParameters p = readName("N-37-XII");
    EXPECT_EQ(p.base.edges.west, 41.0);
    EXPECT_EQ(p.base.edges.east, 42.0);
    EXPECT_DOUBLE_EQ(p.base.edges.south, 54.0 + 2.0 / 3.0);
    EXPECT_DOUBLE_EQ(p.base.edges.north, 55.0 + 1.0 / 3.0);
    EXPECT_EQ(p.base.meridianStep, 0.25);
    EXPECT_EQ(p.base.xMinute, 1);
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
                       {Series::Scale200k, ROW_N, 37, number, SheetType::Standard});
    }
}

TEST(ReadNomenclature, SheetTypeSuffixWithOrWithoutBlanks) {
    for (const char* name : {"P-37(2)", "P-37 (2)", "P-37( 2 )", "p37  ( 2)"}) {
        expectIdentity(name, {Series::Scale1m, 6, 37, 0, SheetType::Double});
    }
    expectIdentity("T-37-I ( 3 )", {Series::Scale200k, 2, 37, 1, SheetType::Triple});
    expectIdentity("T3701(3)", {Series::Scale200k, 2, 37, 1, SheetType::Triple});
    // Not checked against the row: N has no quadruple sheets in the dialog's lists.
    expectIdentity("N-37(4)", {Series::Scale1m, ROW_N, 37, 0, SheetType::Quadruple});
    EXPECT_EQ(readName("N-37(4)").base.edges.east, 36.0 + 24.0);
    // "(3)" in the million series is an 18-degree sheet.
    EXPECT_EQ(readName("T-37(3)").base.edges.east, 36.0 + 18.0);
}

TEST(ReadNomenclature, RejectedSpellingsLeaveTheRecordUntouched) {
    const char* const rejected[] = {
        "",          "   ",         "N-",         "N3",          "N-3712",
        "N37-XII",   "N-37-xxxvii", "N-37 -XII",  "N-37-XXXVII", "N-37-IIII",
        "N3737",     "N3700",       "N-03",       "N-32",        "N-61",
        "N-7",       "N-00",        "V-37",       "J-37",        "A-37",
        "Z-37",      "-37",         "37",         "N--37",       "P-37(5)",
        "P-37(1)",   "P-37(2",      "P-37(2)x",   "P-37()",      "P-37 2",
        "N-37-XII-", "N-37-",       "N-37-XIIa",  "N37XII",      "N-37-IL",
        "N\xC3-37",  "N-37\t",      "N-37(2)(2)", "N3712(2)x",   "N 37"};
    for (const char* name : rejected) {
        SheetParameters p;
        p.yZone = 77;
        p.base.edges.west = -1.0;
        EXPECT_EQ(applySheetName(name, p), ValueStatus::Rejected) << "«" << name << "»";
        EXPECT_EQ(p.yZone, 77) << name;
        EXPECT_EQ(p.base.edges.west, -1.0) << name;
    }
    SheetParameters p;
    EXPECT_EQ(applySheetName(std::string("N-37\0", 5), p), ValueStatus::Rejected);
}

TEST(ReadNomenclature, JoinedSheetsAsTheProgramNamesThem) {
    expectIdentity("T-37-I,II,III", {Series::Scale200k, 2, 37, 1, SheetType::Triple});
    expectIdentity("q-37-V, VI", {Series::Scale200k, 5, 37, 5, SheetType::Double});
    expectIdentity("P-37-VI,38-I", {Series::Scale200k, 6, 37, 6, SheetType::Double});
    expectIdentity("T-60-V,VI,01-I", {Series::Scale200k, 2, 60, 5, SheetType::Triple});
    expectIdentity("T-37,38,39,40", {Series::Scale1m, 2, 37, 0, SheetType::Quadruple});
    expectIdentity("U-60 , 01", {Series::Scale1m, 1, 60, 0, SheetType::Double});
    // Parts that are not the eastern neighbours in turn, or more than four of them.
    for (const char* name :
         {"T-37-I,III", "T-37-II,I", "P-37-VI,II", "P-37-V,37-VI", "P-37-VI,39-I",
          "T-37-I,II,III,IV,V", "T-37,39", "U-60,61", "T-37-I,II(2)", "T-37-I,", "T-37-I,,II",
          "P-37-vi,39-i", "T3701,II", "T37,38", "T-37-I;II"}) {
        SheetParameters p;
        EXPECT_EQ(applySheetName(name, p), ValueStatus::Rejected) << name;
    }
}

TEST(ReadNomenclature, SheetsOfTheMapOutsideTheCoveredRowsAndColumnsAreToldApart) {
    const std::pair<const char*, SheetNameStatus> cases[] = {
        {"N-31", SheetNameStatus::OutsideCoverage},
        {"A-37", SheetNameStatus::OutsideCoverage},
        {"v-37", SheetNameStatus::OutsideCoverage},
        {"J-37-XII", SheetNameStatus::OutsideCoverage},
        {"N3212", SheetNameStatus::OutsideCoverage},
        {"N-03,04", SheetNameStatus::OutsideCoverage},
        {"N-00", SheetNameStatus::NotASheetName},
        {"N-61", SheetNameStatus::NotASheetName},
        {"W-37", SheetNameStatus::NotASheetName},
        {"Z-37", SheetNameStatus::NotASheetName},
        {"N-31-XXXVII", SheetNameStatus::NoSuchSheetNumber},
        {"K-02", SheetNameStatus::Read}};
    for (const auto& [name, status] : cases) {
        EXPECT_EQ(readSheetIdentity(name).status, status) << name;
    }
}

TEST(ReadNomenclature, LettersInEitherCaseAndCyrillicLookAlikesCountAsTheLatinCapitals) {
    struct Case {
        const char* typed;  // UTF-8, read as its Windows-1251 bytes
        Identity sheet;
    };
    const Case cases[] = {
        {"N-37-xii", {Series::Scale200k, ROW_N, 37, 12, SheetType::Standard}},
        {"n-37-xxxvi", {Series::Scale200k, ROW_N, 37, 36, SheetType::Standard}},
        {"N-37-ХХХVI", {Series::Scale200k, ROW_N, 37, 36, SheetType::Standard}},  // Х
        {"Н-37-XXXVI", {Series::Scale200k, ROW_N, 37, 36, SheetType::Standard}},  // Н for N
        {"н-37-ххxvі", {Series::Scale200k, ROW_N, 37, 36, SheetType::Standard}},
        {"Н-37-ІХ", {Series::Scale200k, ROW_N, 37, 9, SheetType::Standard}},
        {"М-33", {Series::Scale1m, 9, 33, 0, SheetType::Standard}},
        {"О-37 (2)", {Series::Scale1m, 7, 37, 0, SheetType::Double}},
        {"К-60", {Series::Scale1m, 11, 60, 0, SheetType::Standard}},
        {"Т-37,38,39,40", {Series::Scale1m, 2, 37, 0, SheetType::Quadruple}},
        {"т-37-і,іі,ііі", {Series::Scale200k, 2, 37, 1, SheetType::Triple}},
        {"Р-37-VІ,38-і", {Series::Scale200k, 6, 37, 6, SheetType::Double}},
        {"p-37-vi,38-i", {Series::Scale200k, 6, 37, 6, SheetType::Double}},
    };
    for (const Case& c : cases) expectIdentity(cp1251(c.typed), c.sheet);
    // Letters that only resemble nothing of a name, or a numeral of no sheet, stay refused.
    const std::pair<const char*, SheetNameStatus> refused[] = {
        {"П-37", SheetNameStatus::NotASheetName},  // П is no N
        {"И-37", SheetNameStatus::NotASheetName},
        {"Н-37-Ш", SheetNameStatus::NotASheetName},
        {"Н-37-ХХХVІІ", SheetNameStatus::NoSuchSheetNumber},
        {"n-37-iiii", SheetNameStatus::NoSuchSheetNumber},
        {"N3737", SheetNameStatus::NoSuchSheetNumber},
        {"N3700", SheetNameStatus::NoSuchSheetNumber},
        {"Н-31", SheetNameStatus::OutsideCoverage},
        {"а-37", SheetNameStatus::OutsideCoverage},  // row A, far south of K
        {"Х-37", SheetNameStatus::NotASheetName},    // X is no row
    };
    for (const auto& [typed, status] : refused) {
        EXPECT_EQ(readSheetIdentity(cp1251(typed)).status, status) << typed;
    }
}

TEST(ReadCs, TheNamesWithLatinOrCyrillicCAndKInAnyMix) {
    const std::pair<const char*, CoordinateSystem> accepted[] = {
        {"CK-42", CoordinateSystem::Sk42},  // the job files' Latin C and K
        {"СК-42", CoordinateSystem::Sk42},  // the dialog's Cyrillic
        {"CК-42", CoordinateSystem::Sk42},
        {"  CK-95   ", CoordinateSystem::Sk95},
        {"ГCK-2011", CoordinateSystem::Gsk2011},
        {"ГСК-2011", CoordinateSystem::Gsk2011},
        {"ГCK-2011 / СК-42", CoordinateSystem::Gsk2011FromSk42},
        {"ГСК-2011 / СК-42", CoordinateSystem::Gsk2011FromSk42},
        {"ГCK-2011 / CK-42", CoordinateSystem::Gsk2011FromSk42},
        {"ГСК-2011 / CК-42", CoordinateSystem::Gsk2011FromSk42}};
    for (const auto& [text, cs] : accepted) {
        CoordinateSystem got{};
        EXPECT_EQ(parseCoordinateSystem(cp1251(text), got), ValueStatus::Accepted) << text;
        EXPECT_EQ(got, cs) << text;
    }
    // Г has no Latin look-alike; lower case, other spacing and the command line's ASCII
    // names are not job-file names.
    for (const char* text : {"GCK-2011", "ck-42", "ск-42", "CK-42 x", "CK42", "", "1", "sk42",
                             "ГCK-2011/СК-42", "ГСК-2011 /СК-42", "CK-2011", "ГСК-42"}) {
        CoordinateSystem got = CoordinateSystem::Sk95;
        EXPECT_EQ(parseCoordinateSystem(cp1251(text), got), ValueStatus::Rejected) << text;
        EXPECT_EQ(got, CoordinateSystem::Sk95);
    }
}

TEST(ReadScale2, DenominatorsByTheSeries) {
    // What a rejected value leaves in the field: no scale at all.
    constexpr auto UNTOUCHED = static_cast<MapScale>(-1);
    struct Case {
        Series setScale;
        const char* value;
        MapScale mapScale;
    };
    const Case cases[] = {{Series::Scale200k, "200", MapScale::Scale200k},
                          {Series::Scale200k, "500", MapScale::Scale500k},
                          {Series::Scale200k, "1000", MapScale::Scale1m},
                          {Series::Scale200k, "2500", UNTOUCHED},
                          {Series::Scale200k, "5000", UNTOUCHED},
                          {Series::Scale1m, "200", UNTOUCHED},
                          {Series::Scale1m, "500", UNTOUCHED},
                          {Series::Scale1m, "1000", MapScale::Scale1m},
                          {Series::Scale1m, "2500", MapScale::Scale2500k},
                          {Series::Scale1m, "5000", MapScale::Scale5m},
                          {Series::Scale1m, " 5000  ", MapScale::Scale5m},
                          {Series::Scale1m, "05000", UNTOUCHED},
                          {Series::Scale200k, "1 000", UNTOUCHED},
                          {Series::Scale200k, "", UNTOUCHED},
                          {Series::Scale200k, "200000", UNTOUCHED}};
    for (const Case& c : cases) {
        MapScale mapScale = UNTOUCHED;
        const ValueStatus status =
            c.mapScale == UNTOUCHED ? ValueStatus::Rejected : ValueStatus::Accepted;
        EXPECT_EQ(parseMapScale(c.setScale, c.value, mapScale), status)
            << static_cast<int>(c.setScale) << " «" << c.value << "»";
        EXPECT_EQ(mapScale, c.mapScale) << static_cast<int>(c.setScale) << " «" << c.value << "»";
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
