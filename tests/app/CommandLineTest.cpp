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
                                 "0°20'",
                                 "--meridian-step",
                                 "0 30'",
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
                                              "yFrom=52", "yTo=56", "ParallelStep=0°20'",
                                              "MeridianStep=0 30'", "xMinute=5", "yMinute=10"}));
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

// A set goes into its folders, its one GeoPackage, or both.
TEST(CommandLine, GeoPackageWithOrWithoutFolders) {
    const struct {
        std::vector<std::string> arguments;
        std::string outFolder;
        std::string geoPackage;
    } cases[] = {
        {{"--sheets", "N-37", "--series", "200", "--gpkg", "set.gpkg"}, "", "set.gpkg"},
        {{"--sheets", "N-37", "--series", "200", "--gpkg=a b.gpkg", "--out", "o"}, "o", "a b.gpkg"},
        {{"--sheets", "N-37", "--series", "200", "--out", "o"}, "o", ""},
    };
    for (const auto& c : cases) {
        const CommandLine parsed = parse(c.arguments);
        ASSERT_EQ(parsed.action, CommandAction::SheetSet) << parsed.error;
        EXPECT_EQ(parsed.outFolder, c.outFolder);
        EXPECT_EQ(parsed.geoPackage, c.geoPackage);
    }
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
        {{"--jobs-from", "list", "--paper", "a3"}, Paper::A3},
        {{"--jobs-from", "list", "--paper", "FIT"}, Paper::Fit},
    };
    for (const Case& c : cases) {
        const CommandLine parsed = parse(c.arguments);
        ASSERT_NE(parsed.action, CommandAction::UsageError) << parsed.error;
        EXPECT_EQ(parsed.paper, c.expected) << c.arguments.back();
    }
    for (const char* wrong : {"A5", "B4", "A3 "}) {
        const CommandLine parsed = parse({"--jobs-from", "list", "--paper", wrong});
        EXPECT_EQ(parsed.action, CommandAction::UsageError) << wrong;
        EXPECT_EQ(parsed.error, "--paper " + std::string(wrong) + ": A0, A1, A2, A3, A4 or fit");
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
        {"--jobs-from", "list", "--gpkg", "set.gpkg"},
        {"--sheets", "N-37", "--series", "200", "--gpkg", ""},
        {"--sheets", "N-37", "--series", "200", "--gpkg", "set.gpkg", "--index"},  // no --out
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

// What the program makes of a command line before it writes anything: the refusal (of the
// options, of the set, or of the first sheet that cannot take the values), or the names of
// the sheets it would generate.
struct Heard {
    std::string refusal;
    std::vector<std::string> sheets;
};

Heard hear(const std::vector<std::string>& arguments) {
    const CommandLine c = parse(arguments);
    if (c.action != CommandAction::SheetSet) return {c.error, {}};
    const SheetSetExpansion set = expandSheetSet(c.sheets, c.setScale);
    if (!set.error.empty()) return {"--sheets: " + set.error, {}};
    Heard heard;
    for (const PreparedSheet& sheet : prepareSheets(set.sheets, c.entries, c.outFolder)) {
        if (heard.refusal.empty()) heard.refusal = sheet.failure.reason;
        heard.sheets.push_back(sheet.label);
    }
    return heard;
}

TEST(CommandLine, RefusalsNameTheValueAsTypedAndWhatIsAllowedAndNamesAreTakenAsTyped) {
    using Args = std::vector<std::string>;
    using Names = std::vector<std::string>;
    const Args set200 = {"--sheets", "N-37-XXXVI", "--series", "200", "--out", "o"};
    const auto with = [](Args args, const Args& more) {
        args.insert(args.end(), more.begin(), more.end());
        return args;
    };
    struct Case {
        Args arguments;
        std::string refusal;
        Names sheets;
    };
    const Case cases[] = {
        {{"--sheet", "N-37"}, "unknown option --sheet; did you mean --sheets", {}},
        {{"--xfrom=36"}, "unknown option --xfrom; did you mean --x-from", {}},
        {{"--frobnicate"}, "unknown option --frobnicate", {}},
        {with(set200, {"--scale", "100"}),
         "--scale 100: the 1:200 000 series draws at 200, 500 or 1000",
         {}},
        {{"--sheets", "N-37", "--series", "1000", "--out", "o", "--scale=200"},
         "--scale 200: the 1:1 000 000 series draws at 1000, 2500 or 5000",
         {}},
        {{"--sheets", "N-37", "--series", "500"},
         "--series 500: 200 (the 1:200 000 series) or 1000 (1:1 000 000)",
         {}},
        {with(set200, {"-j", "0"}), "--jobs 0: a whole number from 1", {}},
        {with(set200, {"--x-minute", "60"}), "--x-minute 60: whole minutes 1..59, such as 5", {}},
        {with(set200, {"--meridian-step", "0"}),
         "--meridian-step 0: an angle other than 0 in whole degrees and minutes, such as 0°20' or "
         "1",
         {}},
        {with(set200, {"--cs", "wgs84"}),
         "--cs wgs84: one of CK-42, CK-95, ГCK-2011, \"ГCK-2011 / СК-42\" (C and K Latin or "
         "Cyrillic) or sk42, sk95, gsk2011, gsk2011-from-sk42",
         {}},
        {with(set200, {"--x-minute", "2;Path=x"}),
         "--x-minute 2;Path=x: a value cannot hold \";\" or a line break",
         {}},
        // The edges depend on the sheet: the first sheet that cannot take them is refused
        // with the range it allows.
        {with(set200, {"--x-from", "52°10'"}),
         "--x-from 52°10': the west edge of N-37-XXXVI must lie strictly between 40°00' and "
         "42°00'",
         {"N-37-XXXVI"}},
        {{"--sheets", "N-37-XXXVII", "--series", "200", "--list"},
         "--sheets: \"N-37-XXXVII\": sheets of a million sheet run I..XXXVI (01..36 without "
         "dashes)",
         {}},
        {{"--sheets", "П-37", "--series", "1000", "--list"},
         "--sheets: \"П-37\": not a sheet name: a row U..K, a column 01, 02 or 33..60 and, for "
         "a sheet of 1:200 000, its number I..XXXVI, such as N-37 or N-37-XXXVI",
         {}},
        {{"--sheets", "N-37", "--series", "200"}, "--sheets needs --out or --gpkg", {}},
        {{"--sheets", "N-37", "--series", "200", "--list", "--index"}, "--index needs --out", {}},
        // Accepted: names in either case and in Cyrillic look-alikes, written canonically; a
        // listing needs no folder.
        {{"--sheets", "n-37-xxxvi, Н-37-ХХХV,т-37-і,іі,ііі", "--series", "200", "--list"},
         "",
         {"N-37-XXXVI", "N-37-XXXV", "T-37-I,II,III"}},
        {{"--sheets", "Р..О:37,н38", "--series", "1000", "--list"}, "", {"P-37", "O-37", "N-38"}},
        {with(set200, {"--cs", "sk95", "--x-from", "40°01'", "--y-to=53 19'"}), "", {"N-37-XXXVI"}},
    };
    for (const Case& c : cases) {
        const Heard heard = hear(c.arguments);
        EXPECT_EQ(heard.refusal, c.refusal) << c.arguments.front() << " " << c.arguments.back();
        EXPECT_EQ(heard.sheets, c.sheets) << c.arguments.front() << " " << c.arguments.back();
    }
}

}  // namespace
}  // namespace sheetbasis
