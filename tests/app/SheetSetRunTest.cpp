#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "TempFolder.h"
#include "app/ProgramFlow.h"
#include "app/SheetSetRun.h"

namespace sheetbasis {
namespace {

namespace fs = std::filesystem;

const SheetIdentity N37_XXXVI{Series::Scale200k, 8, 37, 36, SheetType::Standard};
const SheetIdentity T37_TRIPLE{Series::Scale200k, 2, 37, 4, SheetType::Triple};

TEST(SheetSetRun, OutFolderIsUsedByteForByteNeverReadAsJobText) {
    // Blanks, a byte that is no UTF-8, the entry separator and a line break: all are
    // part of a folder's name.
    for (const std::string out : {" out", "caf\xe9", "a;b", "x\ny", "Path=z;"}) {
        const auto sheets = prepareSheets({T37_TRIPLE}, {{"CS", "CK-95"}}, out);
        ASSERT_EQ(sheets.size(), 1u);
        EXPECT_EQ(sheets[0].failure.exitCode, ExitCode::Done) << sheets[0].failure.reason;
        const std::string kept = out.starts_with(' ') ? "./" + out : out;
        EXPECT_EQ(sheets[0].parameters.path, kept + "/T-37-IV,V,VI/");
        EXPECT_EQ(sheets[0].parameters.cs, CoordinateSystem::Sk95);
    }
}

TEST(SheetSetRun, EntriesAreReadAsAJobFileReadsThem) {
    const auto sheets = prepareSheets(
        {N37_XXXVI, T37_TRIPLE},
        {{"CS", "ГCK-2011 / СК-42"}, {"MapScale", "1000"}, {"xMinute", "2"}, {"yFrom", "52°10'"}},
        "/tmp/set");
    ASSERT_EQ(sheets.size(), 2u);
    const SheetParameters& n = sheets[0].parameters;
    EXPECT_EQ(sheets[0].failure.exitCode, ExitCode::Done) << sheets[0].failure.reason;
    EXPECT_EQ(n.cs, CoordinateSystem::Gsk2011FromSk42);
    EXPECT_EQ(n.mapScale, MapScale::Scale1m);
    EXPECT_EQ(n.result.xMinute, 2);
    EXPECT_EQ(n.result.yMinute, n.base.yMinute);
    EXPECT_DOUBLE_EQ(n.result.edges.south, 52.0 + 10.0 / 60.0);
    EXPECT_EQ(n.path, "/tmp/set/N-37-XXXVI/");
    EXPECT_EQ(sheets[0].label, "N-37-XXXVI");
    // 52°10' lies far below the triple sheet of row T: refused as a job file refuses it,
    // with the limits of its range.
    EXPECT_EQ(sheets[1].failure.exitCode, ExitCode::NotDone);
    EXPECT_EQ(sheets[1].failure.reason,
              "yFrom=52°10': the south edge of T-37-IV,V,VI must lie strictly between 78°40' "
              "and 80°00'");
}

TEST(SheetSetRun, AFolderTooLongForAJobFileFailsItsSheet) {
    // A job file takes a result folder of up to 255 characters with its closing separator,
    // so that "FRAME" still fits the folder text: 245 and "/N-37-I/" fit, 245 and
    // "/N-37-XXXVI/" do not.
    const std::string out(245, 'd');
    const auto sheets =
        prepareSheets({{Series::Scale200k, 8, 37, 1, SheetType::Standard}, N37_XXXVI}, {}, out);
    EXPECT_EQ(sheets[0].failure.exitCode, ExitCode::Done);
    EXPECT_EQ(sheets[1].failure.reason, "the result folder is too long for a job file");
}

TEST(SheetSetRun, EntriesRefusedForEverySheetAreFoundBeforeTheRun) {
    EXPECT_EQ(
        refusedEntry({{"CS", "CK-42"}, {"MapScale", "200"}, {"xMinute", "0"}}, Series::Scale200k)
            .key,
        "xMinute");
    EXPECT_EQ(refusedEntry({{"MapScale", "200"}}, Series::Scale1m).key, "MapScale");
    EXPECT_EQ(refusedEntry({{"CS", "CK-2011"}}, Series::Scale1m).key, "CS");
    // Edges fit some sheets and not others: they are left to each sheet.
    EXPECT_EQ(
        refusedEntry({{"MapScale", "2500"}, {"xFrom", "150"}, {"yTo", "10°30'"}}, Series::Scale1m)
            .status,
        JobStatus::Read);
}

TEST(SheetSetRun, EntriesThatNoJobLineCouldHoldAreRefused) {
    EXPECT_EQ(problemWithEntries({{"CS", "CK-42"}, {"xFrom", "36°30'"}}), "");
    EXPECT_NE(problemWithEntries({{"xMinute", "2;Path=/etc"}}), "");
    EXPECT_NE(problemWithEntries({{"CS", "CK-42\nPath=x"}}), "");
}

TEST(SheetSetRun, AValueWithACharacterWindows1251LacksIsRefusedByTheReader) {
    EXPECT_EQ(refusedEntry({{"CS", "CK-42 ✓"}}, Series::Scale200k).key, "CS");
    EXPECT_EQ(refusedEntry({{"CS", "ГCK-2011"}}, Series::Scale200k).status, JobStatus::Read);
}

TEST(SheetSetRun, OneFailureLeavesTheOthersAndGivesTheWorstCode) {
    TempFolder temp;
    // A file where a sheet's folder should be: that sheet cannot get its folders.
    std::ofstream(temp.path() / "N-37-XXXVI") << "in the way";
    auto sheets = prepareSheets({N37_XXXVI, {Series::Scale200k, 8, 37, 35, SheetType::Standard}},
                                {}, temp.path().string());
    std::size_t reports = 0;
    const SetRunReport report =
        generateSheets(std::move(sheets), 2, [&](std::size_t) { ++reports; });
    EXPECT_EQ(report.written, 1u);
    ASSERT_EQ(report.failed.size(), 1u);
    EXPECT_EQ(report.exitCode, ExitCode::NotDone);
    EXPECT_GE(reports, 1u);
    EXPECT_TRUE(fs::exists(temp.path() / "N-37-XXXV" / "FRAME" / "FrameDig.shp"));
    // The system's own words for a file where the folder should be.
    EXPECT_EQ(summaryText(report),
              "sheetbasis: 1 written, 1 failed\n  N-37-XXXVI: " + temp.path().string() +
                  "/N-37-XXXVI/: Not a directory (exit code 8)\n");
}

TEST(SheetSetRun, JobListRunsEachResultFolderOnce) {
    TempFolder temp;
    const auto job = [&](const std::string& name, const std::string& folder) {
        const fs::path file = temp.path() / name;
        std::ofstream(file) << "Nom=N-37-I;\nPath=" << (temp.path() / folder).string() << ";\n";
        return file.string();
    };
    const std::string none = (temp.path() / "none.job").string();
    const std::string text = job("a.job", "a") + "\n" + job("b.job", "b") + "\n" +
                             job("c.job", "a") + "\n" + none + "\n";
    const JobList::Reading reading = JobList::fromText(text, "list");
    ASSERT_EQ(reading.list.size(), 4u);
    // Two threads, so that the later job with the same folder may be taken first.
    FailureRuns failures;
    runJobFiles(reading.list, {2, Paper::SmallestIso, {}}, {}, failures);
    std::vector<std::pair<std::size_t, std::string>> failed;
    failures.forEach([&](std::size_t index, const TaskOutcome& outcome) {
        failed.emplace_back(index, outcome.reason);
    });
    const decltype(failed) expected = {
        {2, "same result folder as " + (temp.path() / "a.job").string()},
        {3, "the job file cannot be opened"}};
    EXPECT_EQ(failed, expected);
    EXPECT_EQ(failures.doneCount(), 2u);
    EXPECT_EQ(failures.worst(), ExitCode::NotDone);
    EXPECT_TRUE(fs::exists(temp.path() / "b" / "HYPS" / "HypsA.shp"));
}

}  // namespace
}  // namespace sheetbasis
