#include "app/NewSheetFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "output/AtomicFile.h"
#include "output/FolderLock.h"
#include "sheet/Cp1251.h"
#include "sheet/Text.h"

namespace sheetbasis {
namespace {

namespace fs = std::filesystem;

// The sheet folder's text as the result-folder step reads it (prepareResultFolders), without
// its closing separator.
std::string sheetFolderText(const std::string& path) {
    std::string folder = trimBoth(path);
    while (folder.size() > 1 && folder.ends_with('/')) folder.pop_back();
    return folder;
}

bool isMissing(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) != 0 && errno == ENOENT;
}

// The sub-folders of the temporary folder must fit a folder text as those of the sheet's
// folder do; a folder name that leaves no room for the temporary mark is built in place.
bool roomForTemporaryName(const std::string& folder) {
    return utf8CharacterCount(temporaryNameFor(folder)) + 1 + LONGEST_SUB_FOLDER_NAME <=
           FOLDER_TEXT_LENGTH;
}

// A new, empty folder of a temporary name beside folder, the folders above made first when
// missing; "" when none can be made.
std::string makeTemporaryFolderBeside(const std::string& folder) {
    std::string temporary = makeTemporaryFolder(folder);
    if (temporary.empty() && errno == ENOENT) {
        std::error_code ec;
        fs::create_directories(fs::path(folder).parent_path(), ec);
        temporary = makeTemporaryFolder(folder);
    }
    return temporary;
}

// Renames the complete folder to its final name unless something has appeared there since:
// another run's folder is never replaced, not even an empty one it is about to fill. The
// mark goes first: the sheet's folder holds only the sheet.
bool renameIntoPlace(const std::string& temporary, const std::string& folder) {
    const std::string mark = temporary + '/' + TEMPORARY_FOLDER_MARK;
    if (::unlink(mark.c_str()) != 0) return false;
    if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, folder.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    // A file system that cannot refuse to replace renames as usual: a folder with
    // entries is still never replaced.
    return errno == EINVAL && std::rename(temporary.c_str(), folder.c_str()) == 0;
}

// A failure names the folder the user asked for, not the temporary one.
std::string inSheetFolder(std::string reason, const std::string& temporary,
                          const std::string& folder) {
    for (std::size_t at = reason.find(temporary); at != std::string::npos;
         at = reason.find(temporary, at + folder.size())) {
        reason.replace(at, temporary.size(), folder);
    }
    return reason;
}

// Removes the result folder made for a sheet that then failed, when it holds no more than
// the empty sub-folders the run made: a folder with anything else in it is left alone.
void removeEmptyResultFolder(const std::string& folder) {
    for (const char* sub : {"/HYPS", "/FRAME"}) ::rmdir((folder + sub).c_str());
    ::rmdir(folder.c_str());
}

// Generates into the folder itself, creating it when missing; a folder made for a sheet
// that failed (no lock, no descriptors, a failed write) is not left behind empty.
TaskOutcome generateInPlace(const SheetParameters& p, const std::string& folder,
                            const SheetFeatures* computed) {
    const bool made = isMissing(folder);
    std::error_code ec;
    fs::create_directories(fs::path(p.path), ec);
    TaskOutcome outcome = generateIntoResultFolder(p, computed);
    if (made && outcome.exitCode != ExitCode::Done) removeEmptyResultFolder(folder);
    return outcome;
}

// Builds the sheet in the temporary folder and renames it to folder; nothing as for
// buildInTemporaryFolder.
std::optional<TaskOutcome> buildAndPlace(const SheetParameters& p, const std::string& temporary,
                                         const std::string& folder, const SheetFeatures* computed) {
    SheetParameters inTemporary = p;
    inTemporary.path = temporary + '/';
    LockedResult built;
    {
        const PrivateFolderScope privateFolder(temporary);
        built = generateHoldingTheLock(inTemporary, computed);
    }
    const ExitCode exitCode = built.outcome.exitCode;
    const bool placed = exitCode == ExitCode::Done && renameIntoPlace(temporary, folder);
    const int renameError = errno;
    if (placed) return built.outcome;
    // Gone before the run locked it (taken by another run's clean-up): built in place.
    if (exitCode == ExitCode::NotDone && isMissing(temporary)) return std::nullopt;
    removeFolderTree(AT_FDCWD, temporary);
    if (exitCode != ExitCode::Done) {
        return TaskOutcome{exitCode, inSheetFolder(built.outcome.reason, temporary, folder)};
    }
    if (renameError == EEXIST || renameError == ENOTEMPTY) return std::nullopt;
    return TaskOutcome{ExitCode::GenerationFailed, folder + ": " + std::strerror(renameError)};
}

// Builds the sheet in a temporary folder and renames it to folder. Nothing when the sheet
// is to be generated in place instead: no temporary folder could be made or prepared
// (another run's clean-up may take one that is not yet locked), or the sheet's folder
// appeared meanwhile. Out of memory anywhere, the temporary folder goes too.
std::optional<TaskOutcome> buildInTemporaryFolder(const SheetParameters& p,
                                                  const std::string& folder,
                                                  const SheetFeatures* computed) {
    const std::string temporary = makeTemporaryFolderBeside(folder);
    if (temporary.empty()) return std::nullopt;
    try {
        return buildAndPlace(p, temporary, folder, computed);
    } catch (const std::bad_alloc&) {
        removeFolderTree(AT_FDCWD, temporary);
        return TaskOutcome{ExitCode::GenerationFailed, std::string(OUT_OF_MEMORY)};
    }
}

}  // namespace

TaskOutcome generateIntoSheetFolder(const SheetParameters& p, const SheetFeatures* computed) {
    const std::string folder = sheetFolderText(p.path);
    if (isMissing(folder) && roomForTemporaryName(folder)) {
        if (std::optional<TaskOutcome> built = buildInTemporaryFolder(p, folder, computed)) {
            return *built;
        }
    }
    return generateInPlace(p, folder, computed);
}

void removeAbandonedSheetFolders(const std::string& folder) {
    // The folder the user named may be a link; nothing below it is followed.
    const int out = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (out < 0) return;
    for (const std::string& name : entryNamesOf(out).value_or(std::vector<std::string>{})) {
        if (!isTemporaryFileName(name)) continue;
        // A run building the folder holds its lock until the folder has its final name;
        // a folder without the program's mark is not the program's.
        const FolderLock lock = FolderLock::takeIfFreeBelow(out, name);
        if (lock.held() && isOwnTemporaryFolder(out, name)) removeFolderTree(out, name);
    }
    ::close(out);
}

}  // namespace sheetbasis
