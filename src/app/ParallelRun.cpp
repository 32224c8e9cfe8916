#include "app/ParallelRun.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

namespace sheetbasis {
namespace {

constexpr int SECONDS_PER_MINUTE = 60;
// Room the counters and times take after the bar: "  8820/8820  1234/s  12:34 left".
constexpr std::size_t TEXT_AFTER_BAR = 40;
constexpr std::size_t SHORTEST_BAR = 10;

TaskOutcome runGuarded(const std::function<TaskOutcome(std::size_t)>& task, std::size_t index,
                       ExitCode failedExitCode) {
    // Each thread must end normally whatever one sheet does, so nothing may leave a task.
    try {
        return task(index);
    } catch (const std::bad_alloc&) {
        // The reason is short enough to need no memory of its own.
        return {failedExitCode, std::string(OUT_OF_MEMORY)};
    } catch (const std::exception& e) {
        return {failedExitCode, std::string("internal error: ") + e.what()};
    } catch (...) {
        return {failedExitCode, "internal error"};
    }
}

// Up to `wanted` threads running work; fewer when the system refuses more.
std::vector<std::jthread> startThreads(unsigned wanted, const std::function<void()>& work) {
    std::vector<std::jthread> pool;
    pool.reserve(wanted);
    try {
        while (pool.size() < wanted) pool.emplace_back(work);
    } catch (const std::system_error&) {
        // The threads started take every task between them.
    } catch (const std::bad_alloc&) {
        // So they do when there is no memory for another thread.
    }
    return pool;
}

// Runs every task on the calling thread, reporting between tasks at most every interval,
// and once more at the end.
void runHere(std::size_t count, const std::function<TaskOutcome(std::size_t)>& task,
             const OutcomeSink& sink, ExitCode failedExitCode, const ProgressReport& report,
             std::chrono::milliseconds interval) {
    auto reported = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < count; ++i) {
        sink(i, runGuarded(task, i, failedExitCode));
        if (report && std::chrono::steady_clock::now() - reported >= interval) {
            report(i + 1);
            reported = std::chrono::steady_clock::now();
        }
    }
    if (report) report(count);
}

std::string minutesAndSeconds(double seconds) {
    const long whole = std::lround(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld", whole / SECONDS_PER_MINUTE,
                  whole % SECONDS_PER_MINUTE);
    return text;
}

}  // namespace

void runEachInParallel(std::size_t count, unsigned threads,
                       const std::function<TaskOutcome(std::size_t)>& task, const OutcomeSink& sink,
                       ExitCode failedExitCode, const ProgressReport& report,
                       std::chrono::milliseconds interval) {
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> done{0};
    std::mutex mutex;
    std::condition_variable finished;
    const auto work = [&] {
        for (std::size_t i = next++; i < count; i = next++) {
            sink(i, runGuarded(task, i, failedExitCode));
            if (++done == count) {
                const std::lock_guard lock(mutex);
                finished.notify_all();
            }
        }
    };
    const unsigned workers =
        static_cast<unsigned>(std::clamp<std::size_t>(count, 1, std::max(threads, 1U)));
    // A single worker is this thread: a process that never starts a second one keeps the
    // C and C++ libraries on their single-threaded paths (an allocator without locks,
    // plain reference counts, no cancellation points around system calls), which saved a
    // set 3 % of its CPU. This thread also goes on alone when the system refuses threads.
    std::vector<std::jthread> pool;
    if (workers > 1) pool = startThreads(workers, work);
    if (pool.empty()) {
        runHere(count, task, sink, failedExitCode, report, interval);
        return;
    }
    {
        std::unique_lock lock(mutex);
        while (!finished.wait_for(lock, interval, [&] { return done == count; })) {
            if (report) report(done);
        }
    }
    pool.clear();
    if (report) report(done);
}

std::vector<TaskOutcome> runInParallel(std::size_t count, unsigned threads,
                                       const std::function<TaskOutcome(std::size_t)>& task,
                                       ExitCode failedExitCode, const ProgressReport& report,
                                       std::chrono::milliseconds interval) {
    std::vector<TaskOutcome> outcomes(count);
    runEachInParallel(
        count, threads, task,
        [&](std::size_t i, TaskOutcome outcome) { outcomes[i] = std::move(outcome); },
        failedExitCode, report, interval);
    return outcomes;
}

std::string progressLine(std::size_t done, std::size_t total, double elapsedSeconds,
                         std::size_t width) {
    const std::size_t barWidth = std::max(width, TEXT_AFTER_BAR + SHORTEST_BAR) - TEXT_AFTER_BAR;
    const std::size_t filled = total == 0 ? barWidth : barWidth * done / total;
    // Appended piece by piece: g++ 12 warns falsely (-Wrestrict) about "[" + std::string.
    std::string line = "[";
    line.append(filled, '#').append(barWidth - filled, '.') += ']';
    line += "  " + std::to_string(done) + "/" + std::to_string(total);
    if (done > 0 && elapsedSeconds > 0.0) {
        const double rate = static_cast<double>(done) / elapsedSeconds;
        line += "  " + std::to_string(std::lround(rate)) + "/s  ";
        line += minutesAndSeconds(static_cast<double>(total - done) / rate) + " left";
    }
    return line.substr(0, width);
}

}  // namespace sheetbasis
