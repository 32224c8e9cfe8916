#pragma once
// The main program: chooses the mode, obtains the parameters, prepares the result folders,
// runs the generation and ends with an exit code.

#include <string>

#include "job/FileArg.h"
#include "output/FolderLock.h"
#include "output/Outcome.h"
#include "sheet/SheetParameters.h"

namespace sheetbasis {

struct SheetFeatures;

// Outcomes of a run, valued as the process reports them.
enum class ExitCode {
    Done = 0,
    Usage = 2,  // the command line names an unknown option or a wrong value
    NotDone = 8,
    GenerationFailed = 16,
};

// The number the process ends with; the one place where an outcome becomes an exit code.
constexpr int processExitCode(ExitCode code) {
    return static_cast<int>(code);
}

// What became of one run: the outcome it ends with and, when it failed, why.
struct TaskOutcome {
    ExitCode exitCode = ExitCode::Done;
    std::string reason;
};

enum class MessageIcon { Stop, Information, Exclamation };

// What the interactive mode needs of the window system. Texts are UTF-8.
class InteractiveServices {
  public:
    virtual ~InteractiveServices() = default;
    // showStartDialog.
    virtual void startDialog() = 0;
    // askSheetParameters: fills the record; true when the user confirmed a valid sheet.
    virtual bool mainDialog(SheetParameters& p) = 0;
    // A modal message box with one OK button.
    virtual void messageBox(const std::string& text, const std::string& title,
                            MessageIcon icon) = 0;
};

// Runs the program with the command line (argv[0] is the program). With no argument the
// interactive services are used (they must then be given). Returns the exit code.
ExitCode runMainProgram(int argc, const char* const* argv, InteractiveServices* services);

// The steps of one unattended run, for runs of many sheets. readJobArgument reads the job
// file named by a command-line argument, opening it once, and creates its missing result
// folder; a name too long for a folder text cannot be opened.
JobStatus readJobArgument(const char* argument, SheetParameters& p);
// The two halves of readJobArgument, for a run that tells what a job refuses from the one
// reading of its file: the lines of the job file an argument names (opened = false when it
// cannot be opened), then their entries read and the missing result folder created.
JobLines readJobArgumentLines(const char* argument);
JobStatus readJobArgumentEntries(const JobLines& job, SheetParameters& p);
// Prepares the HYPS and FRAME folders under p.path and generates the sheet into them (from
// its features when the caller has computed them, as generateSheet); returns the outcome of
// a job run from here on: ExitCode::Done, ExitCode::NotDone when the folders could not be
// prepared, ExitCode::GenerationFailed, with the reason.
TaskOutcome generateIntoResultFolder(const SheetParameters& p,
                                     const SheetFeatures* computed = nullptr);

// The outcome of generateIntoResultFolder and the lock on the folder that holds the result,
// for a folder that is to be renamed into place before another run may use it.
struct LockedResult {
    TaskOutcome outcome;
    FolderLock lock;
};
LockedResult generateHoldingTheLock(const SheetParameters& p,
                                    const SheetFeatures* computed = nullptr);

}  // namespace sheetbasis
