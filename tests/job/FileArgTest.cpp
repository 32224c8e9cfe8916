#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>

#include "job/FileArg.h"
#include "sheet/Cp1251.h"
#include "sheet/Text.h"

namespace sheetbasis {
namespace {

namespace fs = std::filesystem;

// Each test writes its job file and result folders into a folder of its own.
class JobFile : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() /
               ("sheetbasis-job-" + std::string(info->name()) + "-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        result_ = (dir_ / "result").string();
        fs::create_directories(result_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string jobPath() const { return (dir_ / "job.txt").string(); }

    void write(std::string_view bytes) const {
        std::ofstream out(jobPath(), std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

    // Reads the job file holding the given bytes.
    JobStatus run(std::string_view bytes) {
        write(bytes);
        return readJobFileAndMakeFolder(jobPath(), p_);
    }

    // The entry naming the existing result folder.
    std::string pathEntry() const { return "Path=" + result_ + ";"; }

    std::set<std::string> entriesOf(const fs::path& folder) const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename());
        return names;
    }

    fs::path dir_;
    std::string result_;
    SheetParameters p_;
};

void expectSameRecord(const SheetParameters& a, const SheetParameters& b) {
    EXPECT_EQ(a.cs, b.cs);
    EXPECT_EQ(a.setScale, b.setScale);
    EXPECT_EQ(a.mapScale, b.mapScale);
    EXPECT_EQ(a.yZone, b.yZone);
    EXPECT_EQ(a.xZone, b.xZone);
    EXPECT_EQ(a.sheetNumber, b.sheetNumber);
    EXPECT_EQ(a.sheetType, b.sheetType);
    EXPECT_EQ(a.path, b.path);
    EXPECT_TRUE(a.result == b.result);
    EXPECT_TRUE(a.base == b.base);
}

void expectResultIsBase(const SheetParameters& p) {
    EXPECT_TRUE(p.result.edges == p.base.edges);
    EXPECT_EQ(p.result.meridianStep, p.base.meridianStep);
    EXPECT_EQ(p.result.parallelStep, p.base.parallelStep);
}

// --- readJobEntry -------------------------------------------------------------------------

TEST(ReadArg, TakesTheFirstEntryAndLeavesTheRestLeftAdjusted) {
    SheetParameters p;
    setNotGivenMarkers(p);
    std::string text = "  Nom = N-37 ;   CS=CK-95;  ";
    EXPECT_EQ(readJobEntry(text, p), ValueStatus::Accepted);
    EXPECT_EQ(p.xZone, 37);
    EXPECT_EQ(text, "CS=CK-95;  ");
    EXPECT_EQ(readJobEntry(text, p), ValueStatus::Accepted);
    EXPECT_EQ(p.cs, CoordinateSystem::Sk95);
    EXPECT_TRUE(text.empty());
}

TEST(ReadArg, BlanksInsideAValueAndAnEqualsSignInItStay) {
    SheetParameters p;
    setNotGivenMarkers(p);
    std::string text = "Path=  /tmp/a b=c  ;";
    EXPECT_EQ(readJobEntry(text, p), ValueStatus::Accepted);
    EXPECT_EQ(p.path, "/tmp/a b=c/");
}

TEST(ReadArg, MalformedEntriesAreRejected) {
    const char* const rejected[] = {"Nom=N-37",    "Nom;=N-37;", "=N-37;",    "Nom=;", "Nom=  ;",
                                    "  =N-37;",    "a=;",        ";",         "N=;",   "nom=N-37;",
                                    "NOM=N-37;",   "Unknown=1;", "cs=CK-42;", "Path;", "Nom N-37;",
                                    "Nom\t=N-37;", "Nom=N-37\t;"};
    for (const char* entry : rejected) {
        SheetParameters p;
        setNotGivenMarkers(p);
        std::string text = entry;
        EXPECT_EQ(readJobEntry(text, p), ValueStatus::Rejected) << "«" << entry << "»";
    }
}

TEST(ReadArg, RepeatedKeysAndMapScaleBeforeNom) {
    SheetParameters p;
    setNotGivenMarkers(p);
    std::string text = "MapScale=1000;";
    EXPECT_EQ(readJobEntry(text, p), ValueStatus::Rejected);  // the series is not known yet
    for (const char* entry : {"CS=CK-95;", "CS=CK-42;", "Nom=N-37;", "MapScale=1000;",
                              "Path=/tmp/x;", "xFrom=36;", "yFrom=52;", "xTo=42;", "yTo=56;",
                              "ParallelStep=1;", "MeridianStep=1;", "xMinute=5;", "yMinute=5;"}) {
        text = entry;
        EXPECT_EQ(readJobEntry(text, p), ValueStatus::Accepted) << entry;
    }
    EXPECT_EQ(p.cs, CoordinateSystem::Sk42);  // a second CS counts
    for (const char* entry :
         {"Nom=N-38;", "MapScale=1000;", "Path=/tmp/y;", "xFrom=36;", "yFrom=52;", "xTo=42;",
          "yTo=56;", "ParallelStep=1;", "MeridianStep=1;", "xMinute=5;", "yMinute=5;"}) {
        text = entry;
        EXPECT_EQ(readJobEntry(text, p), ValueStatus::Rejected) << entry;
    }
    EXPECT_EQ(p.xZone, 37);
    EXPECT_EQ(p.path, "/tmp/x/");
}

TEST(ReadArg, ZeroStepsAndBadAnglesAreRejected) {
    const char* const rejected[] = {
        "ParallelStep=0;", "MeridianStep=0°00';", "xMinute=0;",   "yMinute=00';", "yMinute=60;",
        "xMinute=x;",      "xFrom=-36;",          "yTo=56° 60';", "xTo=36'x;",    "yFrom=°30';"};
    for (const char* entry : rejected) {
        SheetParameters p;
        setNotGivenMarkers(p);
        std::string text = cp1251(entry);
        EXPECT_EQ(readJobEntry(text, p), ValueStatus::Rejected) << entry;
    }
    SheetParameters p;
    setNotGivenMarkers(p);
    std::string text = cp1251("xFrom=0; ParallelStep=0°20'; MeridianStep=36 30; xMinute=59';");
    while (!text.empty()) ASSERT_EQ(readJobEntry(text, p), ValueStatus::Accepted) << text;
    EXPECT_EQ(p.result.edges.west, 0.0);
    EXPECT_DOUBLE_EQ(p.result.parallelStep, 1.0 / 3.0);
    EXPECT_EQ(p.result.meridianStep, 36.5);
    EXPECT_EQ(p.result.xMinute, 59);
}

TEST(ReadArg, ArbitraryTextEitherShrinksOrIsRejected) {
    // Entries built from keys, values and noise (syntax characters, Windows-1251 bytes, NUL
    // and control bytes): every accepted entry must consume text, or the job-file loop
    // would never end.
    const std::string keys[] = {"Nom", "CS",           "Path",    "MapScale", "xFrom",
                                "yTo", "ParallelStep", "yMinute", "nom",      ""};
    const std::string values[] = {"N-37",
                                  "n3712",
                                  "P-37-XII (2)",
                                  "CK-42",
                                  "1000",
                                  "/tmp/x y",
                                  "36",
                                  "36\xB0"
                                  "30'",
                                  "5'",
                                  "0",
                                  ""};
    const std::string noise[] = {"=",  ";",  " ",  "  ", "\xC3", std::string(1, '\0'),
                                 "\t", "\r", "\\", "x"};
    std::mt19937 random(20240601);  // fixed seed: a failure can be replayed
    const auto any = [&random](const auto& list) {
        return list[std::uniform_int_distribution<std::size_t>(0, std::size(list) - 1)(random)];
    };
    std::bernoulli_distribution noisy(0.2);
    int accepted = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (int entry = 0; entry < 4; ++entry) {
            for (const std::string& part :
                 {any(keys), std::string("="), any(values), std::string(";"), any(noise)}) {
                text += noisy(random) ? any(noise) : part;
            }
        }
        SheetParameters p;
        setNotGivenMarkers(p);
        while (!isBlank(text)) {
            const std::size_t before = text.size();
            if (readJobEntry(text, p) != ValueStatus::Accepted) break;
            ++accepted;
            ASSERT_LT(text.size(), before);
        }
    }
    EXPECT_GT(accepted, 1000);  // the inputs did reach the value readers
}

// --- readJobFileAndMakeFolder
// ---------------------------------------------------------------------

TEST_F(JobFile, TheExampleJob) {
    const std::string folder = (dir_ / "Result").string();
    ASSERT_EQ(run(cp1251("Nom=N-37-XII;\nPath=" + folder +
                         "\\;\nCS=ГCK-2011;MapScale=500;\nxMinute=2';  yMinute=2';\n")),
              JobStatus::Read);
    EXPECT_EQ(p_.setScale, Series::Scale200k);
    EXPECT_EQ(p_.sheetNumber, 12);
    EXPECT_EQ(p_.cs, CoordinateSystem::Gsk2011);
    EXPECT_EQ(p_.mapScale, MapScale::Scale500k);
    EXPECT_EQ(p_.path, folder + "/");
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(p_.result.xMinute, 2);
    EXPECT_EQ(p_.result.yMinute, 2);
    EXPECT_EQ(p_.result.edges.west, 41.0);
    EXPECT_EQ(p_.result.edges.east, 42.0);
    EXPECT_DOUBLE_EQ(p_.result.edges.south, 54.0 + 2.0 / 3.0);
    EXPECT_DOUBLE_EQ(p_.result.edges.north, 55.0 + 1.0 / 3.0);
    EXPECT_EQ(p_.result.meridianStep, 0.25);
    EXPECT_EQ(p_.result.parallelStep, 1.0 / 6.0);
    expectResultIsBase(p_);
}

TEST_F(JobFile, DefaultsOfAMinimalJob) {
    p_.cs = CoordinateSystem::Gsk2011;
    p_.mapScale = MapScale::Scale5m;
    ASSERT_EQ(run("Nom=N-37;" + pathEntry()), JobStatus::Read);
    EXPECT_EQ(p_.cs, CoordinateSystem::Sk42);
    EXPECT_EQ(p_.mapScale, MapScale::Scale1m);
    EXPECT_EQ(p_.path, result_ + "/");
    EXPECT_EQ(p_.result.xMinute, 10);
    EXPECT_EQ(p_.result.yMinute, 10);
    expectResultIsBase(p_);
}

TEST_F(JobFile, OneLineAndOneEntryPerLineGiveTheSameRecord) {
    ASSERT_EQ(run("CS=CK-95; Nom=N-37; MapScale=2500; xFrom=37; yTo=55; xMinute=5; " + pathEntry()),
              JobStatus::Read);
    const SheetParameters oneLine = p_;
    ASSERT_EQ(run("\n  CS=CK-95;\r\nNom=N-37;\n\n MapScale=2500;\nxFrom=37;\nyTo=55;  \n"
                  "xMinute=5;\n" +
                  pathEntry() + "\n"),
              JobStatus::Read);
    expectSameRecord(oneLine, p_);
    EXPECT_EQ(p_.mapScale, MapScale::Scale2500k);
    EXPECT_EQ(p_.result.edges.west, 37.0);
    EXPECT_EQ(p_.result.edges.east, 42.0);
    EXPECT_EQ(p_.result.edges.north, 55.0);
}

TEST_F(JobFile, WhatFollowsTheLastSemicolon) {
    EXPECT_EQ(run("Nom=N-37;  \n" + pathEntry()), JobStatus::Read);
    EXPECT_EQ(run("Nom=N-37\n" + pathEntry()), JobStatus::EntryRejected);
    EXPECT_EQ(run("Nom=N-37; x\n" + pathEntry()), JobStatus::EntryRejected);
    // An entry cannot continue on the next line.
    EXPECT_EQ(run("Nom=\nN-37;\n" + pathEntry()), JobStatus::EntryRejected);
}

TEST_F(JobFile, MalformedAndUnknownEntriesGiveStatus4) {
    for (const char* entry : {"Nom;=N-37;", "=N-37;", "Nom=;", "nom=N-37;", "Comment=x;",
                              "# Nom=N-37;", "CS=GSK-2011;"}) {
        EXPECT_EQ(run(std::string(entry) + "\nNom=N-37;" + pathEntry()), JobStatus::EntryRejected)
            << entry;
    }
}

TEST_F(JobFile, RepeatedKeys) {
    ASSERT_EQ(run("CS=CK-95;Nom=N-37;CS=CK-42;" + pathEntry()), JobStatus::Read);
    EXPECT_EQ(p_.cs, CoordinateSystem::Sk42);
    for (const char* repeated :
         {"Nom=N-38;", "MapScale=1000;", "xFrom=37;", "yTo=55;", "MeridianStep=2;", "yMinute=5;"}) {
        EXPECT_EQ(run("Nom=N-37;MapScale=1000;xFrom=37;yTo=55;MeridianStep=2;yMinute=5;\n" +
                      std::string(repeated) + pathEntry()),
                  JobStatus::EntryRejected)
            << repeated;
    }
    EXPECT_EQ(run("Nom=N-37;" + pathEntry() + pathEntry()), JobStatus::EntryRejected);
}

TEST_F(JobFile, MapScaleMustFollowNomAndFitTheSeries) {
    EXPECT_EQ(run("MapScale=500;Nom=N-37-XII;" + pathEntry()), JobStatus::EntryRejected);
    ASSERT_EQ(run("Nom=N-37-XII;\n" + pathEntry() + "\nMapScale=500;"), JobStatus::Read);
    EXPECT_EQ(p_.mapScale, MapScale::Scale500k);
    EXPECT_EQ(run("Nom=N-37-XII;MapScale=2500;" + pathEntry()), JobStatus::EntryRejected);
    ASSERT_EQ(run("Nom=N-37-XII;MapScale=1000;" + pathEntry()), JobStatus::Read);
    EXPECT_EQ(p_.mapScale, MapScale::Scale1m);
    ASSERT_EQ(run("Nom=N-37;MapScale=1000;" + pathEntry()), JobStatus::Read);
    EXPECT_EQ(p_.mapScale, MapScale::Scale1m);
    EXPECT_EQ(run("Nom=N-37;MapScale=200;" + pathEntry()), JobStatus::EntryRejected);
}

TEST_F(JobFile, MissingNomOrPathGivesStatus5) {
    EXPECT_EQ(run("Nom=N-37; CS=CK-95; MapScale=2500; xFrom=37;\n"), JobStatus::Incomplete);
    EXPECT_EQ(run(pathEntry()), JobStatus::Incomplete);
    EXPECT_EQ(run(""), JobStatus::Incomplete);
    EXPECT_EQ(run("\n   \r\n\n"), JobStatus::Incomplete);
}

TEST_F(JobFile, ResultEdgesUpToOneSheetOutsideTheBase) {
    // N-37: base 36..42 east, 52..56 north; tolerances 6 and 4 degrees.
    EXPECT_EQ(run("Nom=N-37;xFrom=30;" + pathEntry()), JobStatus::OutOfRange);
    ASSERT_EQ(run("Nom=N-37;xFrom=31;" + pathEntry()), JobStatus::Read);
    EXPECT_EQ(p_.result.edges.west, 31.0);
    EXPECT_EQ(run("Nom=N-37;yTo=60;" + pathEntry()), JobStatus::OutOfRange);
    ASSERT_EQ(run("Nom=N-37;yTo=59;" + pathEntry()), JobStatus::Read);
    EXPECT_EQ(p_.result.edges.north, 59.0);
    EXPECT_EQ(run("Nom=N-37;xTo=48;" + pathEntry()), JobStatus::OutOfRange);
    EXPECT_EQ(run("Nom=N-37;xTo=47°59';" + pathEntry()), JobStatus::Read);
    EXPECT_EQ(run("Nom=N-37;yFrom=48;" + pathEntry()), JobStatus::OutOfRange);
    EXPECT_EQ(run("Nom=N-37;yFrom=48 01;" + pathEntry()), JobStatus::Read);
    // N-37-XII: base 41..42, 54 2/3..55 1/3; tolerances 1 degree and 40 minutes.
    EXPECT_EQ(run("Nom=N-37-XII;xFrom=40;" + pathEntry()), JobStatus::OutOfRange);
    EXPECT_EQ(run("Nom=N-37-XII;xFrom=40 01;" + pathEntry()), JobStatus::Read);
    EXPECT_EQ(run("Nom=N-37-XII;yFrom=53 59;" + pathEntry()), JobStatus::OutOfRange);
    EXPECT_EQ(run("Nom=N-37-XII;yFrom=54 01;" + pathEntry()), JobStatus::Read);
    // The first failing field decides, even with a valid field after it.
    EXPECT_EQ(run("Nom=N-37;xFrom=10;yTo=57;" + pathEntry()), JobStatus::OutOfRange);
}

TEST_F(JobFile, InvertedOrEmptyTrapezoidIsOutOfRange) {
    // Each edge is within its allowance, but west lies east of east, or south on north.
    EXPECT_EQ(run("Nom=N-37-XII;xFrom=41 30;xTo=41 30;" + pathEntry()), JobStatus::OutOfRange);
    EXPECT_EQ(run("Nom=N-37-XII;xFrom=41 40;xTo=41 20;" + pathEntry()), JobStatus::OutOfRange);
    EXPECT_EQ(run("Nom=N-37-XII;yFrom=1000;" + pathEntry()), JobStatus::OutOfRange);
    EXPECT_EQ(run("Nom=N-37;xFrom=99999999;" + pathEntry()), JobStatus::OutOfRange);
    EXPECT_EQ(run("Nom=N-37-XII;xFrom=41 20;xTo=41 40;" + pathEntry()), JobStatus::Read);
}

TEST(JobFileSize, EndlessFileIsNotReadToItsEnd) {
    SheetParameters p;
    EXPECT_EQ(readJobFileAndMakeFolder("/dev/zero", p), JobStatus::LineNotRead);
}

TEST_F(JobFile, ZeroStepsAreRejectedAsEntries) {
    EXPECT_EQ(run("Nom=N-37;ParallelStep=0;" + pathEntry()), JobStatus::EntryRejected);
    EXPECT_EQ(run("Nom=N-37;xMinute=0;" + pathEntry()), JobStatus::EntryRejected);
    ASSERT_EQ(run(cp1251("Nom=N-37;ParallelStep=0°20';xMinute=05';") + pathEntry()),
              JobStatus::Read);
    EXPECT_DOUBLE_EQ(p_.result.parallelStep, 1.0 / 3.0);
    EXPECT_EQ(p_.result.xMinute, 5);
}

TEST_F(JobFile, Windows1251AndUtf8FilesGiveTheSameRecord) {
    const std::string job =
        "CS=ГСК-2011 / СК-42;\r\nNom=Q-38,39;\r\nxFrom=43°30';MeridianStep=0°30';\r\n" +
        pathEntry() + "\r\n";
    ASSERT_EQ(run(cp1251(job)), JobStatus::Read);
    const SheetParameters fromCp1251 = p_;
    EXPECT_EQ(p_.cs, CoordinateSystem::Gsk2011FromSk42);
    EXPECT_EQ(p_.sheetType, SheetType::Double);
    EXPECT_EQ(p_.result.edges.west, 43.5);
    EXPECT_EQ(p_.result.meridianStep, 0.5);
    ASSERT_EQ(run(job), JobStatus::Read);
    expectSameRecord(fromCp1251, p_);
    ASSERT_EQ(run("\xEF\xBB\xBF" + job), JobStatus::Read);
    expectSameRecord(fromCp1251, p_);
}

TEST_F(JobFile, AFolderWithCyrillicNameFromEitherEncodingIsTheSameNativePath) {
    const std::string folder = (dir_ / "Карты листа").string();
    ASSERT_EQ(run(cp1251("Nom=N-37;Path=" + folder + ";")), JobStatus::Read);
    EXPECT_EQ(p_.path, folder + "/");
    EXPECT_TRUE(fs::is_directory(fs::path(folder)));
    fs::remove(fs::path(folder));
    ASSERT_EQ(run("Nom=N-37;Path=" + folder + ";"), JobStatus::Read);
    EXPECT_EQ(p_.path, folder + "/");
    EXPECT_TRUE(fs::is_directory(fs::path(folder)));
}

TEST_F(JobFile, Utf8FileWithCharactersOutsideWindows1251StaysUtf8) {
    // "✓" and U+4E2D have no Windows-1251 byte; the file is still UTF-8 as a whole.
    const std::string folder = result_ + "/Лист ✓ N-37 \xE4\xB8\xAD";
    ASSERT_EQ(run("Nom=N-37;Path=" + folder + ";CS=ГCK-2011 / СК-42;xFrom=36°30';"),
              JobStatus::Read);
    EXPECT_EQ(p_.path, folder + "/");
    EXPECT_EQ(p_.cs, CoordinateSystem::Gsk2011FromSk42);
    EXPECT_EQ(p_.result.edges.west, 36.5);
    EXPECT_TRUE(fs::is_directory(fs::path(folder)));
    // Outside a folder such a character belongs to no keyword, sheet name or number.
    EXPECT_EQ(run("Nom=N-37✓;" + pathEntry()), JobStatus::EntryRejected);
    EXPECT_EQ(run("Nom=N-37;xFrom=36°30'✓;" + pathEntry()), JobStatus::EntryRejected);
}

TEST_F(JobFile, FolderLimitInCharacters) {
    std::string letters;
    for (int i = 0; i < 70; ++i) letters += "Д";
    // The longest result folder leaves room for "FRAME" within 260 characters.
    const std::size_t room = RESULT_FOLDER_LENGTH - result_.size() - 144;
    const std::string longest =
        result_ + "/" + letters + "/" + letters + "/" + std::string(room, 'x') + "/";
    ASSERT_EQ(run("Nom=N-37;Path=" + longest + ";"), JobStatus::Read);
    EXPECT_EQ(p_.path, longest);
    ASSERT_EQ(run(cp1251("Nom=N-37;Path=" + longest + ";")), JobStatus::Read);
    EXPECT_EQ(p_.path, longest);
    const auto before = entriesOf(result_);
    const std::string tooLong = longest + "y";
    EXPECT_EQ(run("Nom=N-37;Path=" + tooLong + ";"), JobStatus::EntryRejected);
    EXPECT_EQ(run(cp1251("Nom=N-37;Path=" + tooLong + ";")), JobStatus::EntryRejected);
    EXPECT_EQ(entriesOf(result_), before);
}

TEST_F(JobFile, LinesAreCutAtTheLineLength) {
    // Text beyond the 1000th character is never seen.
    const std::string padded = "Nom=N-37;" + std::string(JOB_LINE_LENGTH - 9, ' ');
    EXPECT_EQ(run(padded + "garbage\n" + pathEntry()), JobStatus::Read);
    EXPECT_EQ(run(padded + pathEntry()), JobStatus::Incomplete);
    // An entry cut by the limit has lost its ";".
    const std::string almost = "Nom=N-37;" + std::string(JOB_LINE_LENGTH - 12, ' ');
    EXPECT_EQ(run(almost + pathEntry()), JobStatus::EntryRejected);
    EXPECT_EQ(run("Path=/" + std::string(100000, 'a') + ";Nom=N-37;"), JobStatus::EntryRejected);
}

TEST_F(JobFile, NulAndControlCharactersAreOrdinaryCharacters) {
    const std::string nul(1, '\0');
    EXPECT_EQ(run("Nom=N-37;" + nul + "\n" + pathEntry()), JobStatus::EntryRejected);
    EXPECT_EQ(run("Nom=N-37" + nul + ";" + pathEntry()), JobStatus::EntryRejected);
    EXPECT_EQ(run(nul + "Nom=N-37;" + pathEntry()), JobStatus::EntryRejected);
    EXPECT_EQ(run("Nom=N-37;\t" + pathEntry()), JobStatus::EntryRejected);
    EXPECT_EQ(run("Nom=N-37;\x1A\n" + pathEntry()), JobStatus::EntryRejected);
    // The operating system would stop reading a folder name at the NUL: another folder.
    const auto before = entriesOf(dir_);
    EXPECT_EQ(run("Nom=N-37;Path=" + (dir_ / "a").string() + nul + "b;"),
              JobStatus::FolderNotAttempted);
    EXPECT_EQ(entriesOf(dir_), before);
}

TEST_F(JobFile, AMissingResultFolderIsCreatedWithItsParents) {
    const fs::path folder = dir_ / "new" / "two words";
    ASSERT_EQ(run("Nom=N-37;Path=" + folder.string() + "\\;"), JobStatus::Read);
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(p_.path, folder.string() + "/");
}

TEST_F(JobFile, ShellCharactersInTheFolderAreJustItsName) {
    const std::string name = "x\" & $(touch pwned) | `touch pwned2` > out 'q' * \\n";
    write("Nom=N-37;Path=" + (dir_ / name).string() + ";");
    const auto before = entriesOf(dir_);
    ASSERT_EQ(readJobFileAndMakeFolder(jobPath(), p_), JobStatus::Read);
    auto after = entriesOf(dir_);
    ASSERT_EQ(after.erase(name), 1u);
    EXPECT_EQ(after, before);
    EXPECT_TRUE(fs::is_empty(dir_ / name));
    EXPECT_FALSE(fs::exists("pwned"));
    EXPECT_FALSE(fs::exists("pwned2"));
}

TEST_F(JobFile, AFolderThatCannotBeMadeIsLeftForTheFolderStep) {
    // A file stands where the folder's parent should be.
    const fs::path blocked = dir_ / "job.txt" / "sub";
    ASSERT_EQ(run("Nom=N-37;Path=" + blocked.string() + ";"), JobStatus::Read);
    EXPECT_TRUE(fs::is_regular_file(dir_ / "job.txt"));
    EXPECT_FALSE(fs::exists(blocked));
}

TEST_F(JobFile, AnExistingFolderIsLeftAsItIsAndTheJobFileUnchanged) {
    std::ofstream(fs::path(result_) / "old.shp") << "x";
    const std::string job = "Nom=N-37;\r\n" + pathEntry() + "\r\n";
    ASSERT_EQ(run(job), JobStatus::Read);
    EXPECT_EQ(entriesOf(result_), std::set<std::string>{"old.shp"});
    std::ifstream in(jobPath(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), job);
}

TEST_F(JobFile, FilesThatCannotBeOpenedOrRead) {
    EXPECT_EQ(readJobFileAndMakeFolder((dir_ / "missing.txt").string(), p_), JobStatus::NotOpened);
    EXPECT_EQ(readJobFileAndMakeFolder(dir_.string(), p_), JobStatus::NotOpened);
    EXPECT_EQ(readJobFileAndMakeFolder("", p_), JobStatus::NotOpened);
    // The process's memory file opens but its first page cannot be read.
    EXPECT_EQ(readJobFileAndMakeFolder("/proc/self/mem", p_), JobStatus::LineNotRead);
}

}  // namespace
}  // namespace sheetbasis
