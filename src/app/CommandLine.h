#pragma once
// The options of the program beyond its two original forms (no argument, one job file):
// runs of whole sheet sets, help, version, and "--" before a job file named like an option.

#include <cstdint>
#include <string>
#include <vector>

#include "app/SheetSetRun.h"
#include "sheet/Paper.h"

namespace sheetbasis {

enum class CommandAction { Help, Version, JobFile, SheetSet, JobList, UsageError };

struct CommandLine {
    CommandAction action = CommandAction::UsageError;
    std::string error;    // UsageError: what is wrong
    std::string jobFile;  // JobFile: the file after "--"
    // SheetSet
    std::string sheets;
    Series setScale = Series::Scale200k;
    std::string outFolder;
    std::vector<JobEntry> entries;  // job-file entries for every sheet, in option order
    bool list = false;              // print the sheets instead of generating them
    bool index = false;             // write the index map of the set
    std::string geoPackage;         // the one GeoPackage of the set, or "" for none
    // JobList
    std::string jobList;
    // SheetSet and JobList
    unsigned threads = 0;  // 0: one per core
    Paper paper = Paper::SmallestIso;
    bool quiet = false;
    bool pdf = false;  // also print each sheet's project, and the index's, to a PDF beside it
};

// True when the first argument selects the options rather than naming a job file.
bool isCommandLineOption(const char* firstArgument);

// Reads the arguments after the program name.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

// Usage text (English and Russian) of --help.
std::string usageText();

// Runs the program with options (isCommandLineOption(argv[1]) holds); returns the exit code.
ExitCode runCommandLine(int argc, const char* const* argv);

}  // namespace sheetbasis
