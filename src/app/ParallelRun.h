#pragma once
// Runs many independent tasks on a fixed number of threads, and shows how far they are.

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "app/ProgramFlow.h"

namespace sheetbasis {

// Called on the calling thread while the tasks run, at most every interval and once more
// when all are done, with the number of finished tasks.
using ProgressReport = std::function<void(std::size_t done)>;
// How often a run of many sheets redraws its progress.
inline constexpr std::chrono::milliseconds PROGRESS_INTERVAL{100};

// Receives each task's outcome with its index as soon as the task ends, on the thread that
// ran it (calls from several threads at once).
using OutcomeSink = std::function<void(std::size_t index, TaskOutcome outcome)>;

// Runs task(0) .. task(count - 1) on `threads` threads (at least one), handing out the
// indexes in increasing order, and gives each outcome to `sink`. A task that throws counts
// as failed with failedExitCode; the others run on. Nothing is kept per task, so that a run
// of millions of tasks keeps only what the sink keeps.
void runEachInParallel(std::size_t count, unsigned threads,
                       const std::function<TaskOutcome(std::size_t)>& task, const OutcomeSink& sink,
                       ExitCode failedExitCode, const ProgressReport& report,
                       std::chrono::milliseconds interval);

// runEachInParallel with the outcomes returned by index.
std::vector<TaskOutcome> runInParallel(std::size_t count, unsigned threads,
                                       const std::function<TaskOutcome(std::size_t)>& task,
                                       ExitCode failedExitCode, const ProgressReport& report,
                                       std::chrono::milliseconds interval);

// One line of a progress bar: "[#####.....]  done/total  rate/s  m:ss left", at most
// `width` characters. Rate and time left appear once something is done.
std::string progressLine(std::size_t done, std::size_t total, double elapsedSeconds,
                         std::size_t width);

}  // namespace sheetbasis
