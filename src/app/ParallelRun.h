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

// Runs task(0) .. task(count - 1) on `threads` threads (at least one) and returns their
// outcomes by index. A task that throws counts as failed with failedExitCode; the others
// run on.
std::vector<TaskOutcome> runInParallel(std::size_t count, unsigned threads,
                                       const std::function<TaskOutcome(std::size_t)>& task,
                                       ExitCode failedExitCode, const ProgressReport& report,
                                       std::chrono::milliseconds interval);

// One line of a progress bar: "[#####.....]  done/total  rate/s  m:ss left", at most
// `width` characters. Rate and time left appear once something is done.
std::string progressLine(std::size_t done, std::size_t total, double elapsedSeconds,
                         std::size_t width);

}  // namespace sheetbasis
