#include "app/SheetSetRun.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "app/GenerationDriver.h"
#include "app/NewSheetFolder.h"
#include "app/OrderedQueue.h"
#include "app/ProgramFlow.h"
#include "frame/FrameSettings.h"
#include "gpkg/SetGeoPackage.h"
#include "job/FileArg.h"
#include "job/JobText.h"
#include "sheet/Nomenclature.h"

namespace sheetbasis {
namespace {

namespace fs = std::filesystem;

// The sheet whose job text tries the entries: N-37.
constexpr std::int32_t SAMPLE_ROW = 8;
constexpr std::int32_t SAMPLE_COLUMN = 37;
// Sheets computed and waiting for the GeoPackage's writer, per thread: a 1:200 000 sheet's
// features take about 100 KiB, so memory stays far below the bound whatever the set.
constexpr std::size_t WAITING_SHEETS_PER_THREAD = 4;

std::string jobStatusText(JobStatus status) {
    switch (status) {
        case JobStatus::NotOpened:
            return "the job file cannot be opened";
        case JobStatus::LineNotRead:
            return "the job file cannot be read to its end";
        case JobStatus::EntryRejected:
            return "an entry is refused";
        case JobStatus::Incomplete:
            return "the sheet or the result folder is not given";
        case JobStatus::OutOfRange:
            return "the trapezoid or a step is out of range";
        default:
            return "the job cannot be used";
    }
}

std::string entryLine(std::string_view key, std::string_view value) {
    return std::string(key) + "=" + std::string(value) + ";\n";
}

TaskOutcome generateOne(PreparedSheet& sheet) {
    if (sheet.failure.exitCode != ExitCode::Done) return sheet.failure;
    return generateIntoSheetFolder(sheet.parameters);
}

JobLines jobOf(const SheetIdentity& sheet, const std::vector<JobEntry>& entries) {
    JobLines job;
    job.opened = true;
    job.text = splitJobText(jobTextOf(sheet, entries));
    return job;
}

// The job text of a sample sheet of the series with the entries; any sheet will do, as the
// entries are read one by one after the name.
JobLines sampleJob(Series setScale, const std::vector<JobEntry>& entries) {
    const SheetIdentity sample{setScale, SAMPLE_ROW, SAMPLE_COLUMN,
                               setScale == Series::Scale200k ? 1 : 0, SheetType::Standard};
    return jobOf(sample, entries);
}

std::string typedOrKey(const JobEntry& e) {
    return e.typed.empty() ? e.key : e.typed;
}

// Why a job the reader refused with the given status cannot be used; the entries that
// made the text, if it was made from options, tell how values were typed.
std::string refusalReason(JobStatus status, const JobLines& job, bool folderGivenApart,
                          const std::vector<JobEntry>& entries) {
    const bool explained = status == JobStatus::EntryRejected || status == JobStatus::Incomplete ||
                           status == JobStatus::OutOfRange;
    const JobRefusal refusal = explained ? explainJobText(job, folderGivenApart) : JobRefusal{};
    // The status alone when the reading again finds nothing (a file changed in between).
    return refusal.status == JobStatus::Read ? jobStatusText(status)
                                             : refusalText(refusal, entries);
}

}  // namespace

std::string problemWithEntries(const std::vector<JobEntry>& entries) {
    for (const JobEntry& e : entries) {
        if (e.value.find_first_of(";\r\n") != std::string::npos) {
            return typedOrKey(e) + ": a value cannot hold \";\" or a line break";
        }
    }
    return {};
}

std::string jobTextOf(const SheetIdentity& sheet, const std::vector<JobEntry>& entries) {
    std::string text = entryLine("Nom", jobSheetName(sheet));
    for (const JobEntry& e : entries) text += entryLine(e.key, e.value);
    return text;
}

std::string sheetFolderOf(const SheetIdentity& sheet, const std::string& outFolder) {
    const std::string folderName =
        sheetNameOf(sheet.setScale, sheet.yZone, sheet.xZone, sheet.sheetNumber, sheet.sheetType);
    // A folder text loses its leading blanks; "./" keeps a name that begins with one.
    const fs::path out =
        outFolder.starts_with(' ') ? fs::path(".") / outFolder : fs::path(outFolder);
    return (out / folderName).string();
}

JobRefusal refusedEntry(const std::vector<JobEntry>& entries, Series setScale) {
    for (const JobEntry& e : entries) {
        SheetParameters p;
        const JobLines job = sampleJob(setScale, {e});
        if (readJobEntriesForFolder(job, "/", p) == JobStatus::EntryRejected) {
            return explainJobText(job, true);
        }
    }
    return {};
}

std::string refusalText(const JobRefusal& refusal, const std::vector<JobEntry>& entries) {
    const auto typed = std::find_if(entries.begin(), entries.end(), [&](const JobEntry& e) {
        return e.key == refusal.key && !e.typed.empty();
    });
    if (typed == entries.end()) return jobRefusalText(refusal);
    return typed->typed + ": " + refusal.rule;
}

SetDrawing setDrawingOf(const std::vector<JobEntry>& entries, Series setScale) {
    SheetParameters p;
    // Read one by one and refused by none (refusedEntry), the entries set these fields
    // whatever the sample's trapezoid makes of the others.
    static_cast<void>(readJobEntriesForFolder(sampleJob(setScale, entries), "/", p));
    return {p.cs, p.mapScale};
}

std::vector<PreparedSheet> prepareSheets(const std::vector<SheetIdentity>& sheets,
                                         const std::vector<JobEntry>& entries,
                                         const std::string& outFolder) {
    std::vector<PreparedSheet> prepared;
    prepared.reserve(sheets.size());
    for (const SheetIdentity& sheet : sheets) {
        PreparedSheet one;
        one.label = sheetNameOf(sheet.setScale, sheet.yZone, sheet.xZone, sheet.sheetNumber,
                                sheet.sheetType);
        const JobLines job = jobOf(sheet, entries);
        if (const auto status =
                readJobEntriesForFolder(job, sheetFolderOf(sheet, outFolder), one.parameters);
            status != JobStatus::Read) {
            // The options were tried before (refusedEntry); what is left to refuse is the
            // folder, which the job file takes up to 260 characters, and edges that do not
            // fit this sheet.
            one.failure = {ExitCode::NotDone, status == JobStatus::EntryRejected
                                                  ? "the result folder is too long for a job file"
                                                  : refusalReason(status, job, true, entries)};
        }
        prepared.push_back(std::move(one));
    }
    return prepared;
}

namespace {

// Reads the job files of a list one at a time in the order of the list, whichever thread
// takes them, so that "an earlier job" is one earlier in the list and a pipe is read once.
// The thread that takes a job reads every job before it that is not read yet and leaves
// those for their threads, which took them a moment before: no thread waits for another's
// turn, which for a list of millions of jobs that fail at once would cost a switch of
// threads each.
class JobsInOrder {
  public:
    explicit JobsInOrder(const JobList& list) : list_(list) {}

    PreparedSheet prepare(std::size_t index) {
        const std::lock_guard lock(mutex_);
        while (read_ < index) readFor(read_++);
        if (read_ == index) {
            ++read_;
            return read(index);
        }
        if (auto node = readAhead_.extract(index); !node.empty()) {
            PreparedSheet kept = std::move(node.mapped());
            return kept;
        }
        // Read ahead, but there was no memory to keep it.
        PreparedSheet lost;
        lost.failure = {ExitCode::GenerationFailed, std::string(OUT_OF_MEMORY)};
        return lost;
    }
    std::size_t frameLess() const { return frameLess_; }

  private:
    // A job read ahead stays here until its own thread comes for it; a failed reading
    // leaves it nothing but its failure.
    void readFor(std::size_t index) {
        PreparedSheet sheet;
        try {
            sheet = read(index);
        } catch (const std::bad_alloc&) {
            sheet.failure = {ExitCode::GenerationFailed, std::string(OUT_OF_MEMORY)};
        }
        readAhead_.insert_or_assign(index, std::move(sheet));
    }

    PreparedSheet read(std::size_t index) {
        PreparedSheet one;
        const char* file = list_.file(index);
        // Read once, as a pipe gives its text once; what it refuses is told from the lines.
        const JobLines job = readJobArgumentLines(file);
        if (const JobStatus status = readJobArgumentEntries(job, one.parameters);
            status != JobStatus::Read) {
            one.failure = {ExitCode::NotDone, refusalReason(status, job, false, {})};
            return one;
        }
        // A folder that cannot be resolved (its parent unreadable) is told apart by its text;
        // the job then fails with the system's own reason.
        const fs::path path(one.parameters.path);
        std::error_code ec;
        fs::path resolved = fs::weakly_canonical(path, ec);
        if (ec) resolved = fs::absolute(path, ec).lexically_normal();
        std::string folder = resolved.string();
        const auto [it, first] = writers_.try_emplace(std::move(folder), index);
        if (!first) {
            one.failure = {ExitCode::NotDone,
                           std::string("same result folder as ") + list_.file(it->second)};
        } else if (drawnWithoutFrameLayers(one)) {
            ++frameLess_;
        }
        return one;
    }

    const JobList& list_;
    std::mutex mutex_;
    std::size_t read_ = 0;  // the jobs before this one are read
    std::map<std::size_t, PreparedSheet> readAhead_;
    // Normalised result folder -> the index of the job that writes it.
    std::unordered_map<std::string, std::size_t> writers_;
    std::size_t frameLess_ = 0;
};

}  // namespace

std::size_t runJobFiles(const JobList& list, const JobListRun& run, const ProgressReport& report,
                        FailureRuns& failures) {
    JobsInOrder jobs(list);
    runEachInParallel(
        list.size(), run.threads,
        [&](std::size_t i) {
            PreparedSheet sheet = jobs.prepare(i);
            if (sheet.failure.exitCode != ExitCode::Done) return sheet.failure;
            sheet.parameters.paper = run.paper;
            TaskOutcome written = generateIntoSheetFolder(sheet.parameters);
            if (written.exitCode != ExitCode::Done || !run.afterWritten) return written;
            return run.afterWritten(sheet.parameters);
        },
        [&](std::size_t i, const TaskOutcome& outcome) { failures.record(i, outcome); },
        ExitCode::GenerationFailed, report, PROGRESS_INTERVAL);
    return jobs.frameLess();
}

bool drawnWithoutFrameLayers(const PreparedSheet& sheet) {
    const FrameLayerSet layers =
        frameLayersOf(frameSettingsFor(sheet.parameters.setScale, sheet.parameters.mapScale));
    return sheet.failure.exitCode == ExitCode::Done && !layers.frame && !layers.adjacent &&
           !layers.digits;
}

std::string frameLessNote(std::size_t frameLess) {
    if (frameLess == 0) return {};
    return "sheetbasis: note: " + std::to_string(frameLess) +
           (frameLess == 1 ? " sheet is" : " sheets are") +
           " drawn at a map scale without frame layers (1:1 000 000 in the 1:200 000 series, "
           "1:5 000 000): their FRAME folders stay empty\n";
}

SetRunReport generateSheets(std::vector<PreparedSheet> sheets, unsigned threads,
                            const ProgressReport& report) {
    const auto outcomes = runInParallel(
        sheets.size(), threads, [&](std::size_t i) { return generateOne(sheets[i]); },
        ExitCode::GenerationFailed, report, PROGRESS_INTERVAL);
    SetRunReport result;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        if (outcomes[i].exitCode == ExitCode::Done) {
            ++result.written;
            result.writtenSheets.push_back(std::move(sheets[i]));
            continue;
        }
        result.exitCode = std::max(result.exitCode, outcomes[i].exitCode);
        sheets[i].failure = outcomes[i];
        result.failed.push_back(std::move(sheets[i]));
    }
    return result;
}

namespace {

// A sheet's features on their way to the GeoPackage, with what its frame style needs.
struct ComputedSheet {
    SheetFeatures features;
    double minuteBandWidthMm = 0.0;
};

using SheetQueue = OrderedQueue<ComputedSheet>;

// Computes the sheet for the GeoPackage (and writes its folder when asked to); the queue
// receives its features, or its place passed over when it failed, whatever happens.
TaskOutcome computeForGeoPackage(const PreparedSheet& sheet, std::size_t index, SheetQueue& queue,
                                 bool sheetFolders) {
    std::optional<ComputedSheet> computed;
    struct PutWhatever {
        SheetQueue& queue;
        std::size_t index;
        std::optional<ComputedSheet>& computed;
        ~PutWhatever() { queue.put(index, std::move(computed)); }
    } put{queue, index, computed};
    if (sheet.failure.exitCode != ExitCode::Done) return sheet.failure;
    const SheetParameters& p = sheet.parameters;
    // Computed once, for the sheet's folder and the file.
    SheetFeatures features = sheetFeaturesOf(p);
    if (sheetFolders) {
        if (TaskOutcome written = generateIntoSheetFolder(p, &features);
            written.exitCode != ExitCode::Done) {
            return written;
        }
    }
    computed.emplace(ComputedSheet{std::move(features),
                                   frameSettingsFor(p.setScale, p.mapScale).minuteFrameWidth});
    return {};
}

// Takes every computed sheet into the file; after a failure the rest are only taken, so
// that no producer waits for ever.
Outcome fillGeoPackage(SetGeoPackage& file, SheetQueue& queue) {
    Outcome outcome = file.opened();
    while (std::optional<ComputedSheet> sheet = queue.take()) {
        if (!outcome) continue;
        const SheetFeatures& f = sheet->features;
        outcome = file.addSheet({f.sheetName, f.rect, sheet->minuteBandWidthMm, &f.hyps, &f.frame});
    }
    return outcome;
}

}  // namespace

SetRunReport generateSheetsIntoGeoPackage(std::vector<PreparedSheet> sheets, unsigned threads,
                                          const ProgressReport& report,
                                          const GeoPackageTarget& target) {
    SheetQueue queue(sheets.size(), WAITING_SHEETS_PER_THREAD * std::max(threads, 1U));
    const SheetParameters first = sheets.empty() ? SheetParameters{} : sheets.front().parameters;
    SetGeoPackage file(target.path, target.cs, {first.setScale, first.mapScale, first.paper});
    Outcome filled;
    std::jthread writer([&] { filled = fillGeoPackage(file, queue); });
    const auto outcomes = runInParallel(
        sheets.size(), threads,
        [&](std::size_t i) {
            return computeForGeoPackage(sheets[i], i, queue, target.sheetFolders);
        },
        ExitCode::GenerationFailed, report, PROGRESS_INTERVAL);
    writer.join();
    SetRunReport result;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        if (outcomes[i].exitCode == ExitCode::Done) {
            ++result.written;
            if (target.sheetFolders) result.writtenSheets.push_back(std::move(sheets[i]));
            continue;
        }
        result.exitCode = std::max(result.exitCode, outcomes[i].exitCode);
        sheets[i].failure = outcomes[i];
        result.failed.push_back(std::move(sheets[i]));
    }
    // A set with a failed sheet is a failed run: the earlier file stays.
    if (filled && result.failed.empty()) filled = file.finish();
    if (filled && !result.failed.empty()) {
        filled = Outcome::failure(target.path + ": left as it was, as a sheet failed");
    }
    if (!filled) {
        result.geoPackageFailure = filled.reason();
        result.exitCode = std::max(result.exitCode, ExitCode::GenerationFailed);
        if (!target.sheetFolders) result.written = 0;
    }
    return result;
}

std::string failureText(const SetRunReport& report) {
    std::string text;
    for (const PreparedSheet& sheet : report.failed) {
        text += "  " + sheet.label + ": " + sheet.failure.reason + " (exit code " +
                std::to_string(processExitCode(sheet.failure.exitCode)) + ")\n";
    }
    if (!report.geoPackageFailure.empty()) {
        text += "  GeoPackage not written: " + report.geoPackageFailure + "\n";
    }
    return text;
}

std::string summaryText(const SetRunReport& report) {
    return "sheetbasis: " + std::to_string(report.written) + " written, " +
           std::to_string(report.failed.size()) + " failed\n" + failureText(report);
}

}  // namespace sheetbasis
