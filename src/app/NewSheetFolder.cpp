#include "app/NewSheetFolder.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
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
// another run's folder is never replaced, not even an empty one it is about to fill.
bool renameIntoPlace(const std::string& temporary, const std::string& folder) {
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

// Generates into the folder itself, creating it when missing.
TaskOutcome generateInPlace(const SheetParameters& p) {
    std::error_code ec;
    fs::create_directories(fs::path(p.path), ec);
    return generateIntoResultFolder(p);
}

// Builds the sheet in a temporary folder and renames it to folder. Nothing when the sheet
// is to be generated in place instead: no temporary folder could be made or prepared
// (another run's clean-up may take one that is not yet locked), or the sheet's folder
// appeared meanwhile.
std::optional<TaskOutcome> buildInTemporaryFolder(const SheetParameters& p,
                                                  const std::string& folder) {
    const std::string temporary = makeTemporaryFolderBeside(folder);
    if (temporary.empty()) return std::nullopt;
    SheetParameters inTemporary = p;
    inTemporary.path = temporary + '/';
    LockedResult built;
    {
        const PrivateFolderScope privateFolder(temporary);
        built = generateHoldingTheLock(inTemporary);
    }
    const ExitCode exitCode = built.outcome.exitCode;
    const bool placed = exitCode == ExitCode::Done && renameIntoPlace(temporary, folder);
    const int renameError = errno;
    if (placed) return built.outcome;
    std::error_code ec;
    fs::remove_all(temporary, ec);
    if (exitCode == ExitCode::NotDone) return std::nullopt;
    if (exitCode != ExitCode::Done) {
        return TaskOutcome{exitCode, inSheetFolder(built.outcome.reason, temporary, folder)};
    }
    if (renameError == EEXIST || renameError == ENOTEMPTY) return std::nullopt;
    return TaskOutcome{ExitCode::GenerationFailed, folder + ": " + std::strerror(renameError)};
}

}  // namespace

TaskOutcome generateIntoSheetFolder(const SheetParameters& p) {
    const std::string folder = sheetFolderText(p.path);
    if (isMissing(folder) && roomForTemporaryName(folder)) {
        if (std::optional<TaskOutcome> built = buildInTemporaryFolder(p, folder)) return *built;
    }
    return generateInPlace(p);
}

void removeAbandonedSheetFolders(const std::string& folder) {
    std::vector<fs::path> abandoned;
    std::error_code ec;
    for (fs::directory_iterator it(fs::path(folder), ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (isTemporaryFileName(it->path().filename().string()) &&
            it->symlink_status(typeError).type() == fs::file_type::directory) {
            abandoned.push_back(it->path());
        }
    }
    for (const fs::path& path : abandoned) {
        // A run building the folder holds its lock until the folder has its final name.
        const FolderLock lock = FolderLock::takeIfFree(path.string());
        if (lock.held()) fs::remove_all(path, ec);
    }
}

}  // namespace sheetbasis
