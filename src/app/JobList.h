#pragma once
// A --jobs-from list held in about the bytes of its own text, and the failures of its run
// held as runs of like failures: a list of millions of short lines runs in a few tens of
// MiB instead of a prepared sheet per line.

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/ProgramFlow.h"

namespace sheetbasis {

// The job file names of a list, each ended by a NUL in one buffer, with the place of every
// JOB_NAMES_PER_MARK-th name: any name is found by a scan over a few names.
class JobList {
  public:
    // Takes the list's text: one job file a line, "\n" or "\r\n"; blank lines and lines
    // beginning with "#" are skipped. A line holding a NUL is refused, as it would name
    // another file; the reason then tells its line number.
    struct Reading;
    static Reading fromText(std::string text, const std::string& listName);

    std::size_t size() const { return count_; }
    // The name at the index, NUL-terminated.
    const char* file(std::size_t index) const;

  private:
    std::string names_;
    std::vector<std::uint32_t> marks_;
    std::size_t count_ = 0;
};

struct JobList::Reading {
    JobList list;
    std::string error;  // why the list cannot be used, or ""
};

// Reads the list file (a pipe too) with plain reads, up to 16 MiB: a device that never ends
// (/dev/zero) stops at the limit instead of filling the memory.
JobList::Reading readJobList(const std::string& listFile);

// The failures of a run of many tasks by index, each run of neighbouring indexes that
// failed alike kept once, each reason text once. Safe to fill from several threads.
class FailureRuns {
  public:
    // Keeps a failed outcome; a done one is only counted. A failure that finds no memory
    // to be kept is counted still, with the worst exit code.
    void record(std::size_t index, const TaskOutcome& outcome) noexcept;

    std::size_t doneCount() const { return done_; }
    std::size_t failedCount() const { return failed_; }
    ExitCode worst() const { return worst_; }
    // Failures whose reasons could not be kept.
    std::size_t unkeptCount() const { return unkept_; }

    // Calls visit(index, outcome) for each kept failure, in the order of the indexes.
    template <typename Visit>
    void forEach(Visit visit) const {
        for (const auto& [first, run] : runs_) {
            for (std::size_t i = 0; i < run.length; ++i) visit(first + i, reasons_[run.reason]);
        }
    }

  private:
    struct Run {
        std::size_t length = 0;
        std::uint32_t reason = 0;
    };
    void keep(std::size_t index, const TaskOutcome& outcome);

    mutable std::mutex mutex_;
    std::map<std::size_t, Run> runs_;  // by first index
    std::vector<TaskOutcome> reasons_;
    std::unordered_map<std::string, std::uint32_t> reasonIndex_;  // reason text + code
    std::size_t done_ = 0;
    std::size_t failed_ = 0;
    std::size_t unkept_ = 0;
    ExitCode worst_ = ExitCode::Done;
};

// Writes "sheetbasis: W written, F failed" (not when quiet) and a line for each failure
// with its job file and reason, which quiet never silences.
void writeFailureSummary(std::ostream& out, const JobList& list, const FailureRuns& failures,
                         bool quiet);

}  // namespace sheetbasis
