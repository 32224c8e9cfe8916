#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace sheetbasis {
namespace {

CommandLine parse(std::vector<std::string> arguments) {
    return parseCommandLine(arguments);
}

TEST(CommandLine, SheetSetWithEveryJobOptionInOrder) {
    const CommandLine c = parse({"--sheets",
                                 "N-37",
                                 "--series",
                                 "1000",
                                 "--cs=CK-95",
                                 "--scale",
                                 "2500",
                                 "--out",
                                 "o",
                                 "-j",
                                 "3",
                                 "-q",
                                 "--x-from",
                                 "36°30'",
                                 "--x-to",
                                 "42",
                                 "--y-from",
                                 "52",
                                 "--y-to",
                                 "56",
                                 "--parallel-step",
                                 "20'",
                                 "--meridian-step",
                                 "30'",
                                 "--x-minute",
                                 "5",
                                 "--y-minute",
                                 "10"});
    ASSERT_EQ(c.action, CommandAction::SheetSet) << c.error;
    EXPECT_EQ(c.sheets, "N-37");
    EXPECT_EQ(c.setScale, Series::Scale1m);
    EXPECT_EQ(c.outFolder, "o");
    EXPECT_EQ(c.threads, 3u);
    EXPECT_TRUE(c.quiet);
    std::vector<std::string> keys;
    for (const JobEntry& e : c.entries) keys.push_back(e.key + "=" + e.value);
    EXPECT_EQ(keys, (std::vector<std::string>{"CS=CK-95", "MapScale=2500", "xFrom=36°30'", "xTo=42",
                                              "yFrom=52", "yTo=56", "ParallelStep=20'",
                                              "MeridianStep=30'", "xMinute=5", "yMinute=10"}));
}

TEST(CommandLine, CoordinateSystemsInAnyLettersAndByAsciiNames) {
    const std::pair<const char*, const char*> taken[] = {
        {"sk42", "СК-42"},       {"sk95", "СК-95"},
        {"gsk2011", "ГСК-2011"}, {"gsk2011-from-sk42", "ГСК-2011 / СК-42"},
        {"СК-95", "СК-95"},      {"ГCK-2011 / CK-42", "ГCK-2011 / CK-42"}};
    for (const auto& [value, entry] : taken) {
        const CommandLine c =
            parse({"--sheets", "N-37", "--series", "200", "--out", "o", "--cs", value});
        ASSERT_EQ(c.action, CommandAction::SheetSet) << value << ": " << c.error;
        ASSERT_EQ(c.entries.size(), 1u);
        EXPECT_EQ(c.entries[0].value, entry);
    }
    for (const char* value : {"wgs84", "SK-42", "gsk2011 from sk42", ""}) {
        const CommandLine c = parse(
            {"--sheets", "N-37", "--series", "200", "--out", "o", std::string("--cs=") + value});
        EXPECT_EQ(c.action, CommandAction::UsageError) << value;
        for (const char* listed : {"CK-42", "CK-95", "ГCK-2011 / СК-42", "sk42", "sk95", "gsk2011,",
                                   "gsk2011-from-sk42"}) {
            EXPECT_NE(c.error.find(listed), std::string::npos) << value << " " << listed;
        }
    }
}

TEST(CommandLine, ListAndIndexAreFlagsOfASheetSet) {
    const CommandLine c =
        parse({"--list", "--sheets", "bbox:36,52,38,53", "--series", "200", "--out", "o"});
    ASSERT_EQ(c.action, CommandAction::SheetSet) << c.error;
    EXPECT_TRUE(c.list);
    EXPECT_FALSE(c.index);
    EXPECT_TRUE(parse({"--sheets", "all", "--series", "200", "--out", "o", "--index"}).index);
}

TEST(CommandLine, PaperOfSheetSetsAndJobListsByName) {
    struct Case {
        std::vector<std::string> arguments;
        Paper expected;
    };
    const Case cases[] = {
        {{"--sheets", "N-37", "--series", "200", "--out", "o"}, Paper::SmallestIso},
        {{"--sheets", "N-37", "--series", "200", "--out", "o", "--paper", "A0"}, Paper::A0},
        {{"--sheets", "N-37", "--series", "200", "--out", "o", "--paper=A4"}, Paper::A4},
        {{"--paper", "fit", "--jobs-from", "list"}, Paper::Fit},
        {{"--jobs-from", "list", "--paper", "A2"}, Paper::A2},
    };
    for (const Case& c : cases) {
        const CommandLine parsed = parse(c.arguments);
        ASSERT_NE(parsed.action, CommandAction::UsageError) << parsed.error;
        EXPECT_EQ(parsed.paper, c.expected) << c.arguments.back();
    }
    for (const char* wrong : {"a3", "A5", "Fit", "", "A3 "}) {
        const CommandLine parsed = parse({"--jobs-from", "list", "--paper", wrong});
        EXPECT_EQ(parsed.action, CommandAction::UsageError) << wrong;
        EXPECT_EQ(parsed.error, "--paper: A0, A1, A2, A3, A4 or fit") << wrong;
    }
}

TEST(CommandLine, HelpVersionAndEndOfOptions) {
    EXPECT_EQ(parse({"--sheets", "all", "--help"}).action, CommandAction::Help);
    EXPECT_EQ(parse({"-V"}).action, CommandAction::Version);
    const CommandLine job = parse({"--", "-odd.job"});
    EXPECT_EQ(job.action, CommandAction::JobFile);
    EXPECT_EQ(job.jobFile, "-odd.job");
    EXPECT_EQ(parse({"--jobs-from", "list", "--jobs=2"}).action, CommandAction::JobList);
}

TEST(CommandLine, MistakesAreUsageErrors) {
    const std::vector<std::vector<std::string>> wrong = {
        {"--bogus"},
        {"--sheets", "N-37", "--series", "200"},                // no --out
        {"--sheets", "N-37", "--out", "o"},                     // no --series
        {"--sheets", "N-37", "--series", "500", "--out", "o"},  // no such series
        {"--sheets", "N-37", "--series", "200", "--out", "o", "--jobs", "0"},
        {"--sheets", "N-37", "--series", "200", "--out", "o", "--cs", "CK-42", "--cs", "CK-95"},
        {"--sheets", "N-37", "--series", "200", "--out", "o", "--x-minute", "2;Path=x"},
        {"--sheets", "N-37", "--series", "200", "--out", "o", "stray"},
        {"--sheets", "N-37", "--series", "200", "--out", ""},
        {"--sheets", "N-37", "--series", "200", "--out"},  // value missing
        {"--jobs-from", "list", "--sheets", "N-37"},
        {"--jobs-from", "list", "--cs", "CK-42"},
        {"--jobs-from", "list", "--out", "o"},
        {"--quiet=yes"},
        {"--sheets", "N-37", "--series", "200", "--out", "o", "--index=yes"},
        {"--jobs-from", "list", "--list"},
        {"--jobs-from", "list", "--index"},
        {"--", "a", "b"},
        {"-"},
    };
    for (const auto& arguments : wrong) {
        const CommandLine c = parse(arguments);
        EXPECT_EQ(c.action, CommandAction::UsageError) << arguments.front();
        EXPECT_NE(c.error, "");
    }
    EXPECT_TRUE(isCommandLineOption("-x"));
    EXPECT_FALSE(isCommandLineOption("job.txt"));
    EXPECT_FALSE(isCommandLineOption(" -x"));
}

}  // namespace
}  // namespace sheetbasis
