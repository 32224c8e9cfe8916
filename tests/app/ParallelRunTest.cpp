#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <stdexcept>
#include <thread>

#include "app/ParallelRun.h"

namespace sheetbasis {
namespace {

using namespace std::chrono_literals;

// Outcomes the tasks report in turn.
constexpr std::array OUTCOMES = {ExitCode::Done, ExitCode::NotDone, ExitCode::GenerationFailed};

// One thread is the calling one; more are threads of their own.
TEST(ParallelRun, EveryTaskRunsOnceAndAThrowingOneFailsAlone) {
    for (const unsigned threads : {1U, 4U}) {
        SCOPED_TRACE(threads);
        std::vector<std::atomic<int>> runs(1000);
        std::atomic<int> onCallingThread{0};
        std::vector<std::size_t> reported;
        const auto outcomes = runInParallel(
            runs.size(), threads,
            [&, caller = std::this_thread::get_id()](std::size_t i) -> TaskOutcome {
                ++runs[i];
                if (std::this_thread::get_id() == caller) ++onCallingThread;
                if (i == 500) throw std::runtime_error("boom");
                return {OUTCOMES[i % OUTCOMES.size()], {}};
            },
            ExitCode::GenerationFailed, [&](std::size_t done) { reported.push_back(done); }, 1ms);
        ASSERT_EQ(outcomes.size(), runs.size());
        for (std::size_t i = 0; i < runs.size(); ++i) {
            EXPECT_EQ(runs[i], 1) << i;
            if (i != 500) {
                EXPECT_EQ(outcomes[i].exitCode, OUTCOMES[i % OUTCOMES.size()]);
            }
        }
        EXPECT_EQ(outcomes[500].exitCode, ExitCode::GenerationFailed);
        EXPECT_EQ(outcomes[500].reason, "internal error: boom");
        EXPECT_EQ(onCallingThread, threads == 1 ? 1000 : 0);
        ASSERT_FALSE(reported.empty());
        EXPECT_EQ(reported.back(), runs.size());
        EXPECT_TRUE(std::is_sorted(reported.begin(), reported.end()));
    }
}

TEST(ParallelRun, NoTasksAndMoreThreadsThanTasks) {
    EXPECT_TRUE(
        runInParallel(
            0, 8, [](std::size_t) { return TaskOutcome{}; }, ExitCode::GenerationFailed, {}, 1ms)
            .empty());
    EXPECT_EQ(runInParallel(
                  1, 0,
                  [](std::size_t) {
                      return TaskOutcome{ExitCode::NotDone, "x"};
                  },
                  ExitCode::GenerationFailed, {}, 1ms)
                  .front()
                  .exitCode,
              ExitCode::NotDone);
}

TEST(ProgressLine, BarCountsRateAndTimeLeft) {
    const std::string line = progressLine(25, 100, 5.0, 60);
    // 20-character bar a quarter full, 5 per second, 75 left: 15 seconds.
    EXPECT_EQ(line, "[#####...............]  25/100  5/s  0:15 left");
    EXPECT_EQ(progressLine(0, 8820, 0.0, 60).substr(0, 22), "[....................]");
    EXPECT_EQ(progressLine(8820, 8820, 100.0, 80).find("0:00 left") != std::string::npos, true);
    EXPECT_LE(progressLine(3, 10, 1.0, 30).size(), 30u);
}

}  // namespace
}  // namespace sheetbasis
