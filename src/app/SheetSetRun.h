#pragma once
// Runs of many sheets in one process: every sheet of a set, or every job file of a list,
// generated in parallel exactly as its own job run would generate it.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "app/JobList.h"
#include "app/ParallelRun.h"
#include "app/SheetSet.h"
#include "job/JobRefusal.h"
#include "sheet/SheetParameters.h"

namespace sheetbasis {

// A job-file entry given on the command line, key and value in UTF-8 ("CS", "CK-42"), and
// the option as typed ("--cs sk42"), which refusals of the value quote.
struct JobEntry {
    std::string key;
    std::string value;
    std::string typed{};
};

// A sheet ready to be generated, or the reason why it cannot be.
struct PreparedSheet {
    std::string label;  // the sheet's name, or the job file
    SheetParameters parameters;
    TaskOutcome failure;  // ExitCode::Done: ready
};

// Why entries cannot make a job text that reads like a job file's ("" when they can): a
// value holding ";" or a line break, told as the entry was typed.
std::string problemWithEntries(const std::vector<JobEntry>& entries);

// The first entry that a job file's reader refuses for any sheet of the series setScale (a
// map scale the series lacks, a minute count of 0, an angle it cannot read), with what its
// key takes; status Read when it takes them all. Values that depend on the sheet, such as
// edges, are checked per sheet.
JobRefusal refusedEntry(const std::vector<JobEntry>& entries, Series setScale);

// A refusal as the value was given: "--x-from 52°10': ..." for an entry typed as an option,
// "xFrom=52°10': ..." otherwise.
std::string refusalText(const JobRefusal& refusal, const std::vector<JobEntry>& entries);

// The coordinate system and map scale that the entries give every sheet of the series
// (entries that refusedEntry takes).
struct SetDrawing {
    CoordinateSystem cs = CoordinateSystem::Sk42;
    MapScale mapScale = MapScale::Scale200k;
};
SetDrawing setDrawingOf(const std::vector<JobEntry>& entries, Series setScale);

// The UTF-8 job text of one sheet of a set: "Nom" first (the map scale needs the series),
// then the entries. The result folder is not part of it: it is used as given.
std::string jobTextOf(const SheetIdentity& sheet, const std::vector<JobEntry>& entries);
// The result folder of one sheet of a set: outFolder/<sheet name>, byte for byte (behind
// "./" when outFolder begins with a blank).
std::string sheetFolderOf(const SheetIdentity& sheet, const std::string& outFolder);

// Reads each sheet's job text as a job file's entries are read.
std::vector<PreparedSheet> prepareSheets(const std::vector<SheetIdentity>& sheets,
                                         const std::vector<JobEntry>& entries,
                                         const std::string& outFolder);

// What a run of a job list does besides generating each job.
struct JobListRun {
    unsigned threads = 1;
    Paper paper = Paper::SmallestIso;
    // Called on each sheet written, its outcome the job's; nothing when not given.
    std::function<TaskOutcome(const SheetParameters&)> afterWritten;
};

// Runs every job file of the list on run.threads threads, each read as a job run reads it
// when a thread takes it, in the order of the list; failures go to `failures` by the index
// in the list. A job whose result folder an earlier job of the list already writes is not
// run: both would write the same files at once. Nothing is kept of a job once it has run
// but a failure's reason. Returns the number of ready jobs drawn without frame layers.
std::size_t runJobFiles(const JobList& list, const JobListRun& run, const ProgressReport& report,
                        FailureRuns& failures);

// Whether a ready sheet is drawn at a map scale that has no frame layers at all
// (1:1 000 000 in the 1:200 000 series, 1:5 000 000).
bool drawnWithoutFrameLayers(const PreparedSheet& sheet);
// A note for standard error about that many sheets drawn without frame layers, or "" for
// none.
std::string frameLessNote(std::size_t frameLess);

struct SetRunReport {
    std::size_t written = 0;
    std::vector<PreparedSheet> writtenSheets;  // the written ones, in the order given
    std::vector<PreparedSheet> failed;         // with their reasons
    ExitCode exitCode = ExitCode::Done;        // the worst failure's
    std::string geoPackageFailure;             // why the set's GeoPackage was not written, or ""
};

// Generates the ready sheets on `threads` threads.
SetRunReport generateSheets(std::vector<PreparedSheet> sheets, unsigned threads,
                            const ProgressReport& report);

// The one GeoPackage a set is written into, and whether each sheet's result folder is
// written as well.
struct GeoPackageTarget {
    std::string path;
    CoordinateSystem cs = CoordinateSystem::Sk42;
    bool sheetFolders = false;
};

// Generates the ready sheets on `threads` threads into the GeoPackage, which one writer
// fills in the order of the sheets while the others compute. The file is put in place only
// when every sheet is in it: after a failed sheet, or a failure of the file itself, the
// earlier file stays as it was.
SetRunReport generateSheetsIntoGeoPackage(std::vector<PreparedSheet> sheets, unsigned threads,
                                          const ProgressReport& report,
                                          const GeoPackageTarget& target);

// One line per failed sheet with its reason.
std::string failureText(const SetRunReport& report);
// The closing lines: counts, then failureText.
std::string summaryText(const SetRunReport& report);

}  // namespace sheetbasis
