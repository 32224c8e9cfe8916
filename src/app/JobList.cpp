#include "app/JobList.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

namespace sheetbasis {
namespace {

// Comment lines of a job list begin with this.
constexpr char COMMENT_MARK = '#';
// A job list is read in pieces of this size, up to the longest list taken (16 MiB, some
// hundred thousand job files of real names, millions of short ones).
constexpr std::size_t JOB_LIST_READ_BYTES = std::size_t{64} * 1024;
constexpr std::size_t LONGEST_JOB_LIST_BYTES = std::size_t{16} * 1024 * 1024;
// Names between two marks: 4 bytes of marks per 16 names, and at most 15 names skipped to
// find one.
constexpr std::size_t JOB_NAMES_PER_MARK = 16;
// The failure lines of a summary are written in blocks of about this size.
constexpr std::size_t SUMMARY_BLOCK_BYTES = std::size_t{64} * 1024;

bool isBlankLine(std::string_view line) {
    return line.find_first_not_of(" \t") == std::string_view::npos;
}

}  // namespace

JobList::Reading JobList::fromText(std::string text, const std::string& listName) {
    Reading reading;
    JobList& list = reading.list;
    // The names are moved to the front of the text itself, each ended by a NUL where its
    // line ended: no second copy of a list of 16 MiB.
    std::size_t kept = 0;
    std::size_t lineNumber = 0;
    for (std::size_t start = 0; start < text.size();) {
        ++lineNumber;
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line(text.data() + start, end - start);
        start = end + 1;
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (isBlankLine(line) || line.front() == COMMENT_MARK) continue;
        // A file name ends at a NUL for the system: the line would name another file.
        if (line.find('\0') != std::string_view::npos) {
            return {{},
                    listName + ": line " + std::to_string(lineNumber) +
                        " holds a NUL character, which no file name can"};
        }
        if (list.count_ % JOB_NAMES_PER_MARK == 0) {
            list.marks_.push_back(static_cast<std::uint32_t>(kept));
        }
        std::memmove(text.data() + kept, line.data(), line.size());
        kept += line.size();
        text[kept++] = '\0';
        ++list.count_;
    }
    text.resize(kept);
    // A short list gives back the room read into; a long one keeps it rather than hold
    // two copies for a moment.
    if (kept < text.capacity() / 2) text.shrink_to_fit();
    list.names_ = std::move(text);
    return reading;
}

const char* JobList::file(std::size_t index) const {
    const char* name = names_.data() + marks_[index / JOB_NAMES_PER_MARK];
    for (std::size_t skip = index % JOB_NAMES_PER_MARK; skip > 0; --skip) {
        name += std::strlen(name) + 1;
    }
    return name;
}

JobList::Reading readJobList(const std::string& listFile) {
    const int descriptor = ::open(listFile.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return {{}, "cannot read " + listFile + ": " + std::strerror(errno)};
    std::string text;
    // Room for the longest list at once, as growing by doubling would hold 48 MiB for a
    // moment; untouched room takes address space only.
    text.reserve(LONGEST_JOB_LIST_BYTES + 1);
    ssize_t got = 0;
    while (true) {
        const std::size_t size = text.size();
        if (size == LONGEST_JOB_LIST_BYTES + 1) break;
        const std::size_t room = std::min(JOB_LIST_READ_BYTES, LONGEST_JOB_LIST_BYTES + 1 - size);
        text.resize(size + room);
        got = ::read(descriptor, text.data() + size, room);
        text.resize(size + static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
    }
    const int readError = errno;
    ::close(descriptor);
    if (got < 0) return {{}, "cannot read " + listFile + ": " + std::strerror(readError)};
    if (text.size() > LONGEST_JOB_LIST_BYTES) return {{}, listFile + " is longer than 16 MiB"};
    return JobList::fromText(std::move(text), listFile);
}

void FailureRuns::keep(std::size_t index, const TaskOutcome& outcome) {
    // The common case first: the job just before failed alike, and its run grows without
    // the reason being looked up.
    auto after = runs_.upper_bound(index);
    if (after != runs_.begin()) {
        Run& before = std::prev(after)->second;
        const TaskOutcome& reason = reasons_[before.reason];
        if (std::prev(after)->first + before.length == index &&
            reason.exitCode == outcome.exitCode && reason.reason == outcome.reason &&
            (after == runs_.end() || after->first != index + 1)) {
            ++before.length;
            return;
        }
    }
    std::string key = outcome.reason;
    key += '\0';
    key += std::to_string(processExitCode(outcome.exitCode));
    const auto [found, added] =
        reasonIndex_.try_emplace(std::move(key), static_cast<std::uint32_t>(reasons_.size()));
    if (added) {
        try {
            reasons_.push_back(outcome);
        } catch (const std::bad_alloc&) {
            reasonIndex_.erase(found);
            throw;
        }
    }
    const std::uint32_t reason = found->second;
    // Joined to the run just before it, and that run to the one just after, when alike:
    // a list that fails alike throughout keeps one run, whatever order threads end in.
    auto before = after == runs_.begin() ? runs_.end() : std::prev(after);
    if (before != runs_.end() && before->first + before->second.length == index &&
        before->second.reason == reason) {
        ++before->second.length;
    } else {
        before = runs_.emplace_hint(after, index, Run{1, reason});
    }
    if (after != runs_.end() && after->first == index + 1 && after->second.reason == reason) {
        before->second.length += after->second.length;
        runs_.erase(after);
    }
}

void FailureRuns::record(std::size_t index, const TaskOutcome& outcome) noexcept {
    const std::lock_guard lock(mutex_);
    if (outcome.exitCode == ExitCode::Done) {
        ++done_;
        return;
    }
    ++failed_;
    worst_ = std::max(worst_, outcome.exitCode);
    try {
        keep(index, outcome);
    } catch (const std::bad_alloc&) {
        ++unkept_;
    }
}

void writeFailureSummary(std::ostream& out, const JobList& list, const FailureRuns& failures,
                         bool quiet) {
    // Standard error writes each piece at once; the lines go out in blocks instead.
    std::string block;
    const auto flushBlock = [&] {
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
        block.clear();
    };
    if (!quiet) {
        block += "sheetbasis: " + std::to_string(failures.doneCount()) + " written, " +
                 std::to_string(failures.failedCount()) + " failed\n";
    }
    failures.forEach([&](std::size_t index, const TaskOutcome& outcome) {
        block.append("  ").append(list.file(index)).append(": ").append(outcome.reason);
        block.append(" (exit code ")
            .append(std::to_string(processExitCode(outcome.exitCode)))
            .append(")\n");
        if (block.size() >= SUMMARY_BLOCK_BYTES) flushBlock();
    });
    if (failures.unkeptCount() > 0) {
        block += "  " + std::to_string(failures.unkeptCount()) +
                 " more failed: " + std::string(OUT_OF_MEMORY) + " to keep their reasons\n";
    }
    flushBlock();
}

}  // namespace sheetbasis
