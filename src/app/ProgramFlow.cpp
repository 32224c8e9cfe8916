#include "app/ProgramFlow.h"

#include <new>

#include "app/GenerationDriver.h"
#include "app/ResultFolders.h"
#include "job/FileArg.h"
#include "output/BufferedFiles.h"
#include "sheet/Cp1251.h"
#include "sheet/Text.h"

namespace sheetbasis {
namespace {

constexpr const char* TITLE_NOT_DONE = "Задание НЕ ВЫПОЛНЕНО";
constexpr const char* TITLE_ABORTED = "АВАРИЙНОЕ ЗАВЕРШЕНИЕ";
constexpr const char* TITLE_STATE = "Состояние обработки";
constexpr const char* TEXT_DONE = "Задание выполнено";

const char* folderFailureText(FolderStatus status) {
    switch (status) {
        case FolderStatus::Missing:
            return "Не существует заданная папка результата";
        case FolderStatus::HypsNotCreated:
            return "Не удалось создать папку HYPS";
        case FolderStatus::FrameNotCreated:
            return "Не удалось создать папку FRAME";
        default:
            return "Неспецифицированная ошибка";
    }
}

// The job-file name without the blanks around it. A name longer than the folder text is
// refused (empty): cut, it would name another file.
std::string jobFileName(const char* argument) {
    std::string name = trimBoth(argument);
    return utf8CharacterCount(name) <= FOLDER_TEXT_LENGTH ? name : std::string();
}

// Parameters of an unattended run; false when the job cannot be used. A job file that does
// not exist is found out by the reader, which cannot open it: asking the file system first
// would only cost another call.
}  // namespace

JobStatus readJobArgument(const char* argument, SheetParameters& p) {
    return readJobArgumentEntries(readJobArgumentLines(argument), p);
}

JobLines readJobArgumentLines(const char* argument) {
    const std::string name = jobFileName(argument);
    return name.empty() ? JobLines() : readJobLines(name);
}

JobStatus readJobArgumentEntries(const JobLines& job, SheetParameters& p) {
    return job.opened ? readJobEntriesAndMakeFolder(job, p) : JobStatus::NotOpened;
}

namespace {

// Why the folders are not ready, for the summary of a run of many sheets: the system's
// words when it gave any.
std::string folderFailureReason(const ResultFolders& folders) {
    if (!folders.reason.empty()) return folders.reason;
    switch (folders.status) {
        case FolderStatus::Missing:
            return "the result folder does not exist";
        case FolderStatus::HypsNotCreated:
            return "the HYPS sub-folder cannot be created";
        case FolderStatus::FrameNotCreated:
            return "the FRAME sub-folder cannot be created";
        default:
            return "the result folder cannot be locked for this run";
    }
}

// The HYPS and FRAME sub-folders of the result folder. The folder stays locked for this
// run while the result lives.
ResultFolders prepareFolders(const SheetParameters& p, ResultReplacement& replacement) {
    return prepareResultFolders(leftAdjust(trimTrailing(p.path)), replacement);
}

// Generates the sheet into the prepared folders, then puts its files in place. Memory that
// runs out anywhere in the generation fails the sheet like a failed write; the earlier
// result stays.
Outcome generateAndPlace(const SheetParameters& p, const ResultFolders& folders,
                         ResultReplacement& replacement, const SheetFeatures* computed = nullptr) {
    try {
        if (Outcome generated = generateSheet(p, folders.layers, computed); !generated) {
            return generated;
        }
        return replacement.commit([](const std::string& path) { return earlierEntryAt(path); });
    } catch (const std::bad_alloc&) {
        return Outcome::failure(std::string(OUT_OF_MEMORY));
    }
}

ExitCode runJob(const char* argument) {
    SheetParameters p;
    if (readJobArgument(argument, p) != JobStatus::Read) return ExitCode::NotDone;
    return generateIntoResultFolder(p).exitCode;
}

ExitCode runInteractively(InteractiveServices& ui) {
    SheetParameters p;
    ui.startDialog();
    if (!ui.mainDialog(p)) return ExitCode::NotDone;
    ResultReplacement replacement;
    const ResultFolders folders = prepareFolders(p, replacement);
    if (folders.status != FolderStatus::Ready) {
        ui.messageBox(folderFailureText(folders.status), TITLE_NOT_DONE, MessageIcon::Stop);
        return ExitCode::NotDone;
    }
    const Outcome generated = generateAndPlace(p, folders, replacement);
    replacement.dropUnplaced();
    if (!generated) {
        ui.messageBox(TITLE_NOT_DONE, TITLE_ABORTED, MessageIcon::Stop);
        return ExitCode::NotDone;
    }
    ui.messageBox(TEXT_DONE, TITLE_STATE, MessageIcon::Information);
    return ExitCode::Done;
}

}  // namespace

LockedResult generateHoldingTheLock(const SheetParameters& p, const SheetFeatures* computed) {
    ResultReplacement replacement;
    ResultFolders folders = prepareFolders(p, replacement);
    if (folders.status != FolderStatus::Ready) {
        return {{ExitCode::NotDone, folderFailureReason(folders)}, {}};
    }
    const Outcome generated = generateAndPlace(p, folders, replacement, computed);
    replacement.dropUnplaced();
    if (!generated) {
        return {{ExitCode::GenerationFailed, generated.reason()}, std::move(folders.lock)};
    }
    return {{}, std::move(folders.lock)};
}

TaskOutcome generateIntoResultFolder(const SheetParameters& p, const SheetFeatures* computed) {
    return generateHoldingTheLock(p, computed).outcome;
}

ExitCode runMainProgram(int argc, const char* const* argv, InteractiveServices* services) {
    if (argc > 1) return runJob(argv[1]);
    if (services == nullptr) return ExitCode::NotDone;
    return runInteractively(*services);
}

}  // namespace sheetbasis
