#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "app/JobList.h"

namespace sheetbasis {
namespace {

using namespace std::string_literals;

std::vector<std::string> namesOf(const JobList& list) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < list.size(); ++i) names.emplace_back(list.file(i));
    return names;
}

TEST(JobList, LinesBecomeNamesOrTheListIsRefused) {
    struct Case {
        std::string text;
        std::vector<std::string> names;
        std::string error;
    };
    const Case cases[] = {
        {"", {}, ""},
        {"a.job\nb.job\n", {"a.job", "b.job"}, ""},
        {"a.job\r\n\r\n# c.job\n \t\nb.job", {"a.job", "b.job"}, ""},
        // A leading blank is part of a name; only a line of blanks is skipped.
        {" a.job\n\n\n", {" a.job"}, ""},
        // A comment may hold anything; a name may not hold a NUL.
        {"#x\0y\na.job\n"s, {"a.job"}, ""},
        {"a.job\nb\0c.job\n"s, {}, "list: line 2 holds a NUL character, which no file name can"},
        {"\n\na\0"s, {}, "list: line 3 holds a NUL character, which no file name can"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        const JobList::Reading reading = JobList::fromText(c.text, "list");
        EXPECT_EQ(reading.error, c.error);
        EXPECT_EQ(namesOf(reading.list), c.names);
    }
}

TEST(JobList, EveryNameIsFoundBetweenTheMarks) {
    // Names of lengths 1 to 7 among blank and comment lines, across many marks.
    std::string text;
    std::vector<std::string> names;
    for (int i = 0; i < 1000; ++i) {
        names.push_back(std::string(1 + i % 7, static_cast<char>('a' + i % 26)) +
                        std::to_string(i));
        text += names.back() + (i % 3 == 0 ? "\r\n" : "\n");
        if (i % 11 == 0) text += "# between\n\n";
    }
    const JobList::Reading reading = JobList::fromText(text, "list");
    ASSERT_EQ(reading.error, "");
    EXPECT_EQ(namesOf(reading.list), names);
}

TEST(JobList, AListThatCannotBeReadWhole) {
    struct Case {
        std::string file;
        std::string error;
    };
    const Case cases[] = {
        {"/nonexistent/list", "cannot read /nonexistent/list: No such file or directory"},
        {"/dev/zero", "/dev/zero is longer than 16 MiB"},
        {"/proc/self", "cannot read /proc/self: Is a directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(readJobList(c.file).error, c.error);
    }
}

// The outcome of task i in the tests below: failures alike in long runs, broken by
// successes and by other reasons.
TaskOutcome outcomeOf(std::size_t i) {
    if (i % 100 == 7) return {};
    if (i % 250 < 3) return {ExitCode::GenerationFailed, "out of memory"};
    if (i % 500 == 10) return {ExitCode::NotDone, "same result folder as " + std::to_string(i)};
    return {ExitCode::NotDone, "the job file cannot be opened"};
}

TEST(FailureRuns, FailuresComeBackInOrderWhateverOrderTheyEndIn) {
    constexpr std::size_t COUNT = 5000;
    std::vector<std::size_t> order(COUNT);
    std::iota(order.begin(), order.end(), 0);
    const auto sorted = order;
    auto nearlySorted = order;
    for (std::size_t i = 0; i + 1 < COUNT; i += 2) std::swap(nearlySorted[i], nearlySorted[i + 1]);
    auto shuffled = order;
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(26));
    auto reversed = order;
    std::reverse(reversed.begin(), reversed.end());
    for (const auto& [what, ending] : {std::pair{"in order", sorted},
                                       {"in pairs swapped", nearlySorted},
                                       {"shuffled", shuffled},
                                       {"backwards", reversed}}) {
        SCOPED_TRACE(what);
        FailureRuns failures;
        for (const std::size_t i : ending) failures.record(i, outcomeOf(i));
        std::size_t expectedNext = 0;
        std::size_t visited = 0;
        failures.forEach([&](std::size_t index, const TaskOutcome& outcome) {
            while (outcomeOf(expectedNext).exitCode == ExitCode::Done) ++expectedNext;
            ASSERT_EQ(index, expectedNext);
            EXPECT_EQ(outcome.reason, outcomeOf(index).reason);
            EXPECT_EQ(outcome.exitCode, outcomeOf(index).exitCode);
            ++expectedNext;
            ++visited;
        });
        EXPECT_EQ(visited, failures.failedCount());
        EXPECT_EQ(failures.doneCount(), COUNT / 100);
        EXPECT_EQ(failures.doneCount() + failures.failedCount(), COUNT);
        EXPECT_EQ(failures.worst(), ExitCode::GenerationFailed);
        EXPECT_EQ(failures.unkeptCount(), 0u);
    }
}

TEST(FailureRuns, ThreadsRecordingAtOnceLoseNothing) {
    constexpr std::size_t COUNT = 20000;
    constexpr std::size_t THREADS = 4;
    FailureRuns failures;
    {
        std::vector<std::jthread> threads;
        for (std::size_t t = 0; t < THREADS; ++t) {
            threads.emplace_back([&, t] {
                for (std::size_t i = t; i < COUNT; i += THREADS) failures.record(i, outcomeOf(i));
            });
        }
    }
    std::size_t visited = 0;
    std::size_t previous = 0;
    failures.forEach([&](std::size_t index, const TaskOutcome& outcome) {
        if (visited++ > 0) {
            EXPECT_LT(previous, index);
        }
        previous = index;
        EXPECT_EQ(outcome.reason, outcomeOf(index).reason);
    });
    EXPECT_EQ(visited, failures.failedCount());
    EXPECT_EQ(failures.doneCount(), COUNT / 100);
}

}  // namespace
}  // namespace sheetbasis
