#include "app/CommandLine.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <thread>

#include "app/NewSheetFolder.h"
#include "app/PdfPrinting.h"
#include "app/ProgramFlow.h"
#include "app/SheetIndex.h"
#include "job/ValueReaders.h"
#include "sheet/Cp1251.h"
#include "sheet/Text.h"

#ifndef SHEETBASIS_VERSION
#define SHEETBASIS_VERSION "unknown"
#endif

namespace sheetbasis {
namespace {

// Options that become a job-file entry of every sheet, with the entry's key.
struct EntryOption {
    std::string_view option;
    std::string_view key;
};
constexpr EntryOption ENTRY_OPTIONS[] = {
    {"--cs", "CS"},
    {"--scale", "MapScale"},
    {"--x-from", "xFrom"},
    {"--x-to", "xTo"},
    {"--y-from", "yFrom"},
    {"--y-to", "yTo"},
    {"--parallel-step", "ParallelStep"},
    {"--meridian-step", "MeridianStep"},
    {"--x-minute", "xMinute"},
    {"--y-minute", "yMinute"},
};
// Plain ASCII names that --cs takes besides the names a job file's "CS" takes, with the
// name each stands for.
struct CoordinateSystemName {
    std::string_view ascii;
    std::string_view name;
};
constexpr CoordinateSystemName ASCII_CS_NAMES[] = {
    {"sk42", "СК-42"},
    {"sk95", "СК-95"},
    {"gsk2011", "ГСК-2011"},
    {"gsk2011-from-sk42", "ГСК-2011 / СК-42"},
};
constexpr std::string_view CS_NAMES =
    "one of CK-42, CK-95, ГCK-2011, \"ГCK-2011 / СК-42\" (C and K Latin or Cyrillic) "
    "or sk42, sk95, gsk2011, gsk2011-from-sk42";
// Options that take a value and do not become an entry.
constexpr std::string_view RUN_OPTIONS[] = {"--sheets",    "--series", "--out",  "--jobs",
                                            "--jobs-from", "--gpkg",   "--paper"};
// The papers --paper takes, by name.
struct PaperName {
    std::string_view name;
    Paper paper;
};
constexpr PaperName PAPER_NAMES[] = {{"A0", Paper::A0}, {"A1", Paper::A1}, {"A2", Paper::A2},
                                     {"A3", Paper::A3}, {"A4", Paper::A4}, {"fit", Paper::Fit}};
// Options that take no value.
constexpr std::string_view FLAG_OPTIONS[] = {"--quiet", "--list", "--index", "--pdf"};
// Options used only with --sheets.
constexpr std::string_view SHEET_SET_ONLY[] = {"--series", "--out", "--list", "--index", "--gpkg"};
constexpr std::string_view ANSWERING_OPTIONS[] = {"--help", "--version"};

constexpr std::string_view SERIES_200K_TEXT = "200";
constexpr std::string_view SERIES_1M_TEXT = "1000";
constexpr std::string_view SERIES_RULE = "200 (the 1:200 000 series) or 1000 (1:1 000 000)";
constexpr std::string_view END_OF_OPTIONS = "--";
// Width of the progress line when the terminal does not tell its own.
constexpr unsigned short DEFAULT_TERMINAL_COLUMNS = 80;

std::string_view canonicalName(std::string_view option) {
    if (option == "-h") return "--help";
    if (option == "-V") return "--version";
    if (option == "-q") return "--quiet";
    if (option == "-j") return "--jobs";
    return option;
}

const EntryOption* entryOption(std::string_view option) {
    const auto* found = std::find_if(std::begin(ENTRY_OPTIONS), std::end(ENTRY_OPTIONS),
                                     [&](const EntryOption& e) { return e.option == option; });
    return found == std::end(ENTRY_OPTIONS) ? nullptr : found;
}

bool takesValue(std::string_view option) {
    return entryOption(option) != nullptr ||
           std::find(std::begin(RUN_OPTIONS), std::end(RUN_OPTIONS), option) !=
               std::end(RUN_OPTIONS);
}

bool isFlag(std::string_view option) {
    return std::find(std::begin(FLAG_OPTIONS), std::end(FLAG_OPTIONS), option) !=
           std::end(FLAG_OPTIONS);
}

void applyFlag(std::string_view option, CommandLine& c) {
    if (option == "--quiet") c.quiet = true;
    if (option == "--list") c.list = true;
    if (option == "--index") c.index = true;
    if (option == "--pdf") c.pdf = true;
}

CommandLine withAction(CommandAction action) {
    CommandLine c;
    c.action = action;
    return c;
}

CommandLine usageError(std::string message) {
    CommandLine c = withAction(CommandAction::UsageError);
    c.error = std::move(message);
    return c;
}

// "--x-from 52°10'": an option with its value, as a refusal quotes it.
std::string typedOption(std::string_view option, std::string_view value) {
    return std::string(option) + " " + std::string(value);
}

// The long option a mistyped one most likely meant.
std::optional<std::string_view> nearestOption(std::string_view typed) {
    std::vector<std::string_view> known;
    for (const EntryOption& e : ENTRY_OPTIONS) known.push_back(e.option);
    for (const auto& list : {std::span<const std::string_view>(RUN_OPTIONS),
                             std::span<const std::string_view>(FLAG_OPTIONS),
                             std::span<const std::string_view>(ANSWERING_OPTIONS)}) {
        known.insert(known.end(), list.begin(), list.end());
    }
    return nearestWord(typed, known);
}

std::string unknownOption(std::string_view option) {
    std::string message = "unknown option " + std::string(option);
    if (!option.starts_with("--")) return message;
    if (const auto near = nearestOption(option)) message += "; did you mean " + std::string(*near);
    return message;
}

bool readCount(std::string_view text, unsigned& count) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), count);
    return ec == std::errc() && end == text.data() + text.size() && count > 0;
}

// The "CS" entry of --cs, checked here so that a refusal can list the names taken.
std::string applyCoordinateSystem(const std::string& value, CommandLine& c) {
    const auto* ascii =
        std::find_if(std::begin(ASCII_CS_NAMES), std::end(ASCII_CS_NAMES),
                     [&](const CoordinateSystemName& n) { return n.ascii == value; });
    const std::string name = ascii == std::end(ASCII_CS_NAMES) ? value : std::string(ascii->name);
    const std::optional<std::string> text = utf8ToCp1251(name);
    CoordinateSystem cs{};
    if (!text || parseCoordinateSystem(*text, cs) != ValueStatus::Accepted) {
        return typedOption("--cs", value) + ": " + std::string(CS_NAMES);
    }
    c.entries.push_back({"CS", name, typedOption("--cs", value)});
    return {};
}

// Applies one option with its value; returns what is wrong with it, or "".
std::string applyOption(std::string_view option, const std::string& value, CommandLine& c) {
    if (option == "--cs") return applyCoordinateSystem(value, c);
    if (const EntryOption* e = entryOption(option)) {
        c.entries.push_back({std::string(e->key), value, typedOption(option, value)});
    } else if (option == "--sheets") {
        c.sheets = value;
    } else if (option == "--series") {
        if (value != SERIES_200K_TEXT && value != SERIES_1M_TEXT) {
            return typedOption(option, value) + ": " + std::string(SERIES_RULE);
        }
        c.setScale = value == SERIES_200K_TEXT ? Series::Scale200k : Series::Scale1m;
    } else if (option == "--out") {
        c.outFolder = value;
    } else if (option == "--gpkg") {
        if (value.empty()) return "--gpkg: the file name is empty";
        c.geoPackage = value;
    } else if (option == "--jobs") {
        if (!readCount(value, c.threads)) {
            return typedOption(option, value) + ": a whole number from 1";
        }
    } else if (option == "--jobs-from") {
        c.jobList = value;
    } else if (option == "--paper") {
        // Paper names are said in either case ("a3", "FIT").
        const auto sameLetters = [&](const PaperName& p) {
            return equalsIgnoringCase(p.name, value);
        };
        const auto* found =
            std::find_if(std::begin(PAPER_NAMES), std::end(PAPER_NAMES), sameLetters);
        if (found == std::end(PAPER_NAMES)) {
            return typedOption(option, value) + ": A0, A1, A2, A3, A4 or fit";
        }
        c.paper = found->paper;
    }
    return {};
}

// Checks that the options given form one of the two runs.
CommandLine completed(CommandLine c, const std::set<std::string_view>& given) {
    const bool sheets = given.contains("--sheets");
    const bool jobList = given.contains("--jobs-from");
    if (sheets == jobList) return usageError("give either --sheets or --jobs-from");
    if (sheets) {
        if (!given.contains("--series")) return usageError("--sheets needs --series");
        // A listing writes nothing, so it needs no folder; its index does.
        if (!c.list && !given.contains("--out") && !given.contains("--gpkg")) {
            return usageError("--sheets needs --out or --gpkg");
        }
        if (c.index && !given.contains("--out")) return usageError("--index needs --out");
        // The PDFs print the sheets' projects, which only the sheets' folders hold.
        if (c.pdf && !given.contains("--out")) return usageError("--pdf needs --out");
        // The values become job-text entries and must read back as ones; the folder is
        // used as it is given, whatever it holds, but it must name something.
        if (std::string problem = problemWithEntries(c.entries); !problem.empty()) {
            return usageError(problem);
        }
        if (const JobRefusal refusal = refusedEntry(c.entries, c.setScale);
            refusal.status != JobStatus::Read) {
            return usageError(refusalText(refusal, c.entries));
        }
        if (given.contains("--out") && c.outFolder.empty()) {
            return usageError("--out \"\": the folder name is empty");
        }
        c.action = CommandAction::SheetSet;
        return c;
    }
    for (std::string_view option : SHEET_SET_ONLY) {
        if (given.contains(option)) return usageError(std::string(option) + " needs --sheets");
    }
    if (!c.entries.empty()) return usageError("job files give their own values; use --sheets");
    c.action = CommandAction::JobList;
    return c;
}

// A report that could not be written is a failure of its own: a script that reads the
// output must not take a cut text for the whole one.
ExitCode outcomeOfWriting(std::ostream& out, ExitCode outcome) {
    out.flush();
    return out ? outcome : std::max(outcome, ExitCode::NotDone);
}

// Writes text to standard output; one that cannot be written tells why on standard error,
// in the system's words. A long text fails while it is written, before any flush, so the
// system's reason is taken from the whole write.
ExitCode writeToStandardOutput(std::string_view text, ExitCode outcome) {
    errno = 0;
    std::cout << text << std::flush;
    if (std::cout) return outcome;
    const int error = errno;
    std::cerr << "sheetbasis: standard output: "
              << (error != 0 ? std::strerror(error) : "cannot be written") << '\n';
    return std::max(outcome, ExitCode::NotDone);
}

unsigned terminalColumns() {
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return DEFAULT_TERMINAL_COLUMNS;
}

// The set into its GeoPackage when one is asked for, else into the sheets' folders.
SetRunReport generateSet(std::vector<PreparedSheet> prepared, unsigned threads,
                         const ProgressReport& progress, const CommandLine& c) {
    if (c.geoPackage.empty()) return generateSheets(std::move(prepared), threads, progress);
    const GeoPackageTarget target{c.geoPackage, setDrawingOf(c.entries, c.setScale).cs,
                                  !c.outFolder.empty()};
    return generateSheetsIntoGeoPackage(std::move(prepared), threads, progress, target);
}

// A progress bar of `total` steps on standard error, after `label`; nothing when it is
// not shown.
ProgressReport progressBar(const CommandLine& c, std::size_t total, const std::string& label) {
    if (c.quiet || isatty(STDERR_FILENO) == 0) return {};
    const auto start = std::chrono::steady_clock::now();
    const std::size_t width = std::max<std::size_t>(terminalColumns(), label.size() + 2) - 1;
    return [=](std::size_t done) {
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        // Drawn over itself: back to the line start, the line, clear what an older one left.
        std::cerr << '\r' << label
                  << progressLine(done, total, elapsed.count(), width - label.size()) << "\x1b[K"
                  << std::flush;
    };
}

// The bar's line is left as it ended.
void endProgressBar(const ProgressReport& progress) {
    if (progress) std::cerr << '\n';
}

unsigned threadsOf(const CommandLine& c) {
    return c.threads > 0 ? c.threads : std::max(1U, std::thread::hardware_concurrency());
}

ExitCode runSheets(std::vector<PreparedSheet> prepared, const CommandLine& c,
                   PrinterPool* printers) {
    for (PreparedSheet& sheet : prepared) sheet.parameters.paper = c.paper;
    const ProgressReport progress = progressBar(c, prepared.size(), "");
    const unsigned threads = threadsOf(c);
    if (!c.quiet) {
        std::cerr << frameLessNote(static_cast<std::size_t>(
            std::count_if(prepared.begin(), prepared.end(), drawnWithoutFrameLayers)));
    }
    SetRunReport report = generateSet(std::move(prepared), threads, progress, c);
    endProgressBar(progress);
    if (printers != nullptr) {
        const ProgressReport printing = progressBar(c, report.writtenSheets.size(), "PDF ");
        report = printWrittenSheets(std::move(report), *printers, threads, printing);
        endProgressBar(printing);
    }
    // Quiet drops the counts, never the reason of a failure.
    std::cerr << (c.quiet ? failureText(report) : summaryText(report));
    return outcomeOfWriting(std::cerr, report.exitCode);
}

// The index is written after the sheets, whose projects it opens; a failure to write it
// is a failed write like a sheet's.
ExitCode writeIndexOf(const std::vector<SheetIdentity>& sheets, const CommandLine& c,
                      ExitCode outcome, PrinterPool* printers) {
    const SetDrawing drawing = setDrawingOf(c.entries, c.setScale);
    Outcome written =
        writeSheetIndex({sheets, drawing.cs, drawing.mapScale, c.outFolder, c.sheets});
    if (written && printers != nullptr) written = printers->print(indexPrintRequest(c.outFolder));
    if (written) return outcome;
    std::cerr << "sheetbasis: index: " << written.reason() << '\n';
    return outcomeOfWriting(std::cerr, std::max(outcome, ExitCode::GenerationFailed));
}

// The printing program of a run with --pdf, started before anything is written; nothing
// without --pdf.
struct PrinterStart {
    std::unique_ptr<PrinterPool> printers;
    bool failed = false;
};
PrinterStart startPrinterIfAsked(const CommandLine& c) {
    if (!c.pdf) return {};
    auto printers = std::make_unique<PrinterPool>();
    if (const Outcome started = printers->start(); !started) {
        std::cerr << printerUnavailableText(started.reason());
        return {nullptr, true};
    }
    return {std::move(printers), false};
}

ExitCode runSheetSet(const CommandLine& c) {
    SheetSetExpansion set = expandSheetSet(c.sheets, c.setScale);
    if (!set.error.empty()) {
        std::cerr << "sheetbasis: --sheets: " << set.error << '\n';
        return ExitCode::Usage;
    }
    const PrinterStart printing = startPrinterIfAsked(c);
    if (printing.failed) return ExitCode::Usage;
    if (!c.list && !c.outFolder.empty()) removeAbandonedSheetFolders(c.outFolder);
    const ExitCode outcome =
        c.list ? writeToStandardOutput(sheetListing(set.sheets, c.outFolder), ExitCode::Done)
               : runSheets(prepareSheets(set.sheets, c.entries, c.outFolder), c,
                           printing.printers.get());
    return c.index ? writeIndexOf(set.sheets, c, outcome, printing.printers.get()) : outcome;
}

ExitCode runJobList(const CommandLine& c) {
    const JobList::Reading reading = readJobList(c.jobList);
    if (!reading.error.empty()) {
        std::cerr << "sheetbasis: --jobs-from: " << reading.error << '\n';
        return ExitCode::NotDone;
    }
    const PrinterStart printing = startPrinterIfAsked(c);
    if (printing.failed) return ExitCode::Usage;
    JobListRun run{threadsOf(c), c.paper, {}};
    // Each sheet is printed as soon as it is written: nothing is kept of the jobs to print
    // them afterwards.
    if (PrinterPool* printers = printing.printers.get()) {
        run.afterWritten = [printers](const SheetParameters& p) {
            const Outcome printed = printers->print(sheetPrintRequest(p));
            return printed ? TaskOutcome{}
                           : TaskOutcome{ExitCode::GenerationFailed, printed.reason()};
        };
    }
    const ProgressReport progress = progressBar(c, reading.list.size(), "");
    FailureRuns failures;
    const std::size_t frameLess = runJobFiles(reading.list, run, progress, failures);
    endProgressBar(progress);
    if (!c.quiet) std::cerr << frameLessNote(frameLess);
    writeFailureSummary(std::cerr, reading.list, failures, c.quiet);
    return outcomeOfWriting(std::cerr, failures.worst());
}

}  // namespace

bool isCommandLineOption(const char* firstArgument) {
    return firstArgument != nullptr && firstArgument[0] == '-';
}

CommandLine parseCommandLine(const std::vector<std::string>& arguments) {
    if (!arguments.empty() && arguments.front() == END_OF_OPTIONS) {
        if (arguments.size() != 2) return usageError("\"--\" is followed by one job file");
        CommandLine c = withAction(CommandAction::JobFile);
        c.jobFile = arguments[1];
        return c;
    }
    CommandLine c;
    std::set<std::string_view> given;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        // "--name=value" is the same as "--name value".
        const std::size_t equals =
            argument.starts_with("--") ? argument.find('=') : std::string::npos;
        const std::string_view option = canonicalName(std::string_view(argument).substr(0, equals));
        if (option == "--help") return withAction(CommandAction::Help);
        if (option == "--version") return withAction(CommandAction::Version);
        if (!option.starts_with('-')) return usageError("unexpected argument " + argument);
        if (!takesValue(option) && !isFlag(option)) return usageError(unknownOption(option));
        if (!given.insert(option).second) return usageError(std::string(option) + " given twice");
        if (isFlag(option)) {
            if (equals != std::string::npos) {
                return usageError(std::string(option) + " takes no value");
            }
            applyFlag(option, c);
            continue;
        }
        if (equals == std::string::npos && i + 1 == arguments.size()) {
            return usageError(std::string(option) + " needs a value");
        }
        const std::string value =
            equals != std::string::npos ? argument.substr(equals + 1) : arguments[++i];
        if (std::string problem = applyOption(option, value, c); !problem.empty()) {
            return usageError(problem);
        }
    }
    return completed(std::move(c), given);
}

std::string usageText() {
    return R"(Usage / Использование:
  sheetbasis                      interactive mode / диалоговый режим
  sheetbasis JOBFILE              run one job file / выполнить файл задания
  sheetbasis -- JOBFILE           the same for a file named like an option
  sheetbasis --sheets SET --series 200|1000 --out DIR|--gpkg FILE [options]
                                  generate a set of sheets / набор листов
  sheetbasis --sheets SET --series 200|1000 --list [--out DIR]
                                  list the sheets of a set / список листов
  sheetbasis --jobs-from LIST [--jobs N] [--paper PAPER] [--quiet] [--pdf]
                                  run the job files listed one per line in LIST
                                  / выполнить файлы задания из списка

SET (comma-separated / через запятую):
  N-37-XXXVI, P-37-I(2), N-37(2)  a sheet as a job file names it, letters in either case,
                                  Cyrillic А В Е К М Н О Р С Т Х І for their Latin
                                  look-alikes (Н for N) / лист, буквы любые
  T-37-I,II,III, U-60,01          a joined sheet as the program names it
  N-37                            with --series 200: its 36 sheets / 36 листов
  N..P:37..40                     a block of rows and columns / блок поясов и зон
  all                             the whole series, rows U..K, columns 33..60, 01, 02
  bbox:W,S,E,N                    every sheet that shares area with the box: degrees as
                                  36.5 or 36°30', west longitudes negative or 180..360,
                                  a box may cross 180° / листы, пересекающие область
  at:LON,LAT                      the sheet that holds the point; a point on an edge
                                  belongs to the sheet east and north of it / лист точки
Whole rows near the pole use joined sheets (double in Q..S, triple or quadruple in
T..U) so that the sheets tile the area / у полюса сдвоенные, строенные и
счетверенные листы; where a block or an area cuts such a group, its part inside takes
narrower sheets.

Options / Параметры:
  --out DIR           each sheet goes to DIR/<sheet name>/HYPS and /FRAME
  --gpkg FILE         the whole set goes into the one GeoPackage FILE: six layers with a
                      column Sheet, their styles inside (with --out: both) / весь набор
                      в один файл GeoPackage
  --cs CS             CK-42 (default), CK-95, ГCK-2011, "ГCK-2011 / СК-42" (C and K
                      Latin or Cyrillic), or sk42, sk95, gsk2011, gsk2011-from-sk42
  --scale N           map scale in thousands: 200, 500, 1000 (series 200);
                      1000, 2500, 5000 (series 1000)
  --x-from A, --x-to A, --y-from A, --y-to A
                      trapezoid edges, such as 36°30' (as xFrom, xTo, yFrom, yTo)
  --parallel-step A, --meridian-step A
                      graticule steps (as ParallelStep, MeridianStep)
  --x-minute N, --y-minute N
                      minute divisions 1..59 (as xMinute, yMinute)
  --list              print the sheets instead of generating them, one line each,
                      tab-separated: name, west, south, east, north (degrees, 0..360),
                      series, result folder (without --out: relative to the
                      current folder) / список листов без построения
  --index             also write the index map DIR/index/SheetIndex (.shp, .qml) and the
                      project DIR/index.qgs, whose "Open" action opens each sheet's project
                      (with --list: the index only) / сборная таблица листов
  --pdf               also print each sheet's project to <sheet>.pdf beside it, and with
                      --index the index to DIR/index.pdf, by QGIS (Debian package
                      qgis-providers) / PDF каждого листа
  --paper PAPER       the page of each sheet's print layout: A0, A1, A2, A3, A4, or fit
                      (a page as large as the sheet); by default the smallest of A4..A0
                      that holds the sheet, else fit / формат листа бумаги
  -j, --jobs N        sheets generated at once (default: all cores)
  -q, --quiet         no progress bar and no summary
  -h, --help          this text
  -V, --version       the version

Exit codes / Коды завершения: 0 all written; 8 a job could not be read or its folders
prepared; 16 a generation failed, a PDF or the index could not be written (a set ends with the
worst code of its sheets); 2 the command line is wrong (also an area outside the covered
rows and columns, and --pdf where QGIS cannot print).
)";
}

ExitCode runCommandLine(int argc, const char* const* argv) {
    const CommandLine c = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    switch (c.action) {
        case CommandAction::Help:
            return writeToStandardOutput(usageText(), ExitCode::Done);
        case CommandAction::Version:
            return writeToStandardOutput("sheetbasis " SHEETBASIS_VERSION "\n", ExitCode::Done);
        case CommandAction::JobFile: {
            const char* const jobArgv[] = {argv[0], c.jobFile.c_str()};
            return runMainProgram(2, jobArgv, nullptr);
        }
        case CommandAction::SheetSet:
            return runSheetSet(c);
        case CommandAction::JobList:
            return runJobList(c);
        case CommandAction::UsageError:
            break;
    }
    std::cerr << "sheetbasis: " << c.error << "\nTry 'sheetbasis --help'.\n";
    return ExitCode::Usage;
}

}  // namespace sheetbasis
