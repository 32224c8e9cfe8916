#include "app/ResultFolders.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "output/BufferedFiles.h"
#include "sheet/Cp1251.h"
#include "sheet/Text.h"

namespace sheetbasis {
namespace {

constexpr std::string_view HYPS_FOLDER = "HYPS";
constexpr std::string_view PROJECT_EXTENSION = ".qgs";
constexpr std::string_view FRAME_FOLDER = "FRAME";
static_assert(FRAME_FOLDER.size() == LONGEST_SUB_FOLDER_NAME &&
              HYPS_FOLDER.size() <= FRAME_FOLDER.size());
// Mode of a new folder before the umask, as the file-system library creates folders.
constexpr mode_t NEW_FOLDER_MODE = 0777;

// Layers of an earlier run, in the order they are looked for. A layer counts as present
// only when its shape file exists; then every file of it goes, whatever the extension.
constexpr std::array<std::string_view, 3> HYPS_LAYERS = {"HYPSA", "HYPSL", "HYPSP"};
constexpr std::array<std::string_view, 3> FRAME_LAYERS = {"FRAME", "FRAMEDIG", "FRAMEADJ"};

// True for "<layer>.<anything>" in any letter case: the files of that layer and of no
// other ("FRAME.*" does not take "FrameDig.shp").
bool belongsToLayer(std::string_view fileName, std::string_view layer) {
    return fileName.size() > layer.size() && fileName[layer.size()] == '.' &&
           equalsIgnoringCase(fileName.substr(0, layer.size()), layer);
}

// An entry of a folder and whether it is a regular file, not a link to one: only such
// files are the program's.
struct Entry {
    std::string name;
    bool regularFile = false;
    bool folder = false;
};

// The entry with its type, looked up only when the listing does not tell it.
Entry entryFrom(int folder, const dirent& entry) {
    unsigned char type = entry.d_type;
    struct stat status {};
    if (type == DT_UNKNOWN && ::fstatat(folder, entry.d_name, &status, AT_SYMLINK_NOFOLLOW) == 0) {
        type = S_ISREG(status.st_mode) ? DT_REG : S_ISDIR(status.st_mode) ? DT_DIR : DT_UNKNOWN;
    }
    return {entry.d_name, type == DT_REG, type == DT_DIR};
}

// The entries of the open folder; nothing when it cannot be listed to its end.
std::optional<std::vector<Entry>> entriesOf(int folder) {
    const int listed = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* listing = listed < 0 ? nullptr : ::fdopendir(listed);
    if (listing == nullptr) {
        if (listed >= 0) ::close(listed);
        return std::nullopt;
    }
    std::vector<Entry> entries;
    errno = 0;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name(entry->d_name);
        if (name != "." && name != "..") entries.push_back(entryFrom(folder, *entry));
    }
    const bool complete = errno == 0;
    ::closedir(listing);
    if (!complete) return std::nullopt;
    return entries;
}

bool isShapeFileOf(const Entry& e, std::string_view layer) {
    return e.regularFile && belongsToLayer(e.name, layer) &&
           equalsIgnoringCase(std::string_view(e.name).substr(layer.size()), ".shp");
}

std::string inFolder(const std::string& folder, const std::string& name) {
    return folder + '/' + name;
}

// Hands the files of the earlier layers to the replacement and removes the temporary
// files that a killed run left (only regular files with the writer's names, never through
// a link). A layer whose shape file cannot be removed could not be replaced either: it is
// kept whole and its reason returned. What the folder holds afterwards is remembered for
// the layer files.
Outcome clearEarlierRun(const std::string& text, int folder,
                        std::span<const std::string_view> layers, ResultReplacement& replacement) {
    std::optional<std::vector<Entry>> entries = entriesOf(folder);
    if (!entries) return Outcome::failure(text + ": " + std::strerror(errno));
    for (std::string_view layer : layers) {
        const auto shape = std::find_if(entries->begin(), entries->end(), [layer](const Entry& e) {
            return isShapeFileOf(e, layer);
        });
        if (shape == entries->end()) continue;
        if (Outcome replaceable = checkReplaceable(inFolder(text, shape->name)); !replaceable) {
            return replaceable;
        }
        for (const Entry& e : *entries) {
            if (e.regularFile && belongsToLayer(e.name, layer)) {
                replacement.removeWhenReplaced(inFolder(text, e.name));
            }
        }
    }
    std::vector<std::string> left;
    std::vector<std::string> folders;
    for (Entry& e : *entries) {
        const bool removed = e.regularFile && isTemporaryFileName(e.name) &&
                             ::unlinkat(folder, e.name.c_str(), 0) == 0;
        if (e.folder) folders.push_back(e.name);
        if (!removed) left.push_back(std::move(e.name));
    }
    rememberFolderContents(text, std::move(left), folders);
    return {};
}

// Makes the sub-folder ready and opens it: creates a missing one, clears an existing one
// of the earlier run. A sub-folder that is a link is refused: it would take the layers
// somewhere the user did not name.
Outcome prepareSubFolder(const std::string& text, std::span<const std::string_view> layers,
                         OpenedFolder& opened, ResultReplacement& replacement) {
    const FolderEntry entry = folderEntryOf(text);
    const bool made = ::mkdirat(entry.folder, entry.name.c_str(), NEW_FOLDER_MODE) == 0;
    if (!made && errno != EEXIST) return Outcome::failure(text + ": " + std::strerror(errno));
    opened = OpenedFolder::openBelow(entry.folder, entry.name, text);
    if (!opened.isOpen()) {
        struct stat status {};
        if (::fstatat(entry.folder, entry.name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISLNK(status.st_mode)) {
            return Outcome::failure(text + ": is a link; the program never writes through one");
        }
        return Outcome::failure(text + ": " + std::strerror(errno));
    }
    // A new folder holds nothing: a new result costs no listing.
    if (made) {
        rememberFolderContents(text, {});
        return {};
    }
    return clearEarlierRun(text, opened.descriptor(), layers, replacement);
}

// The temporary files of a project and of its PDF, which a killed run left in the folder that
// holds the sub-folders. That is the user's own folder: only such files are taken, never
// through a link. Returns the names left, which are remembered for the project's writer.
std::vector<std::string> deleteProjectAndPdfLeftovers(int holder, std::vector<std::string> names) {
    return removeTemporaryFiles(holder, std::move(names), [](std::string_view finalName) {
        return finalName.ends_with(PROJECT_EXTENSION) || finalName.ends_with(PDF_EXTENSION);
    });
}

// The folder that holds a sub-folder, as a path to open.
std::string holderOf(const std::string& subFolder) {
    const std::string holder = folderTextOf(subFolder);
    return holder.empty() ? std::string(".") : holder;
}

// Folder texts count characters; a Cyrillic letter is one, however many bytes it takes.
bool fitsFolderText(const std::string& folder) {
    return utf8CharacterCount(folder) <= FOLDER_TEXT_LENGTH;
}

}  // namespace

LayerFolders layerFoldersOf(const std::string& folder) {
    const std::string folderText = trimBoth(folder);
    return {folderText + std::string(HYPS_FOLDER), folderText + std::string(FRAME_FOLDER)};
}

ResultFolders prepareResultFolders(const std::string& folder, ResultReplacement& replacement) {
    forgetRememberedFolders();
    const std::string folderText = trimBoth(folder);
    ResultFolders result;
    result.layers = layerFoldersOf(folder);
    const auto failed = [&result](FolderStatus status, std::string reason = {}) {
        result.status = status;
        result.reason = std::move(reason);
        result.frame = OpenedFolder();
        result.hyps = OpenedFolder();
        result.holder = OpenedFolder();
        result.lock = FolderLock();
        return std::move(result);
    };

    struct stat status {};
    if (folderText.empty()) return failed(FolderStatus::Missing);
    if (::stat(folderText.c_str(), &status) != 0) {
        // A folder that is not there says so; any other reason is the system's own.
        return failed(FolderStatus::Missing,
                      errno == ENOENT ? std::string() : folderText + ": " + std::strerror(errno));
    }
    // Cut to the folder text, a sub-folder would be another folder (the result folder
    // itself, its parent, "FRAM"); both are refused before anything is touched.
    if (!fitsFolderText(result.layers.hyps)) return failed(FolderStatus::HypsNotCreated);
    if (!fitsFolderText(result.layers.frame)) return failed(FolderStatus::FrameNotCreated);
    // Without a closing separator the sub-folders are glued to the last name and lie
    // beside it, as does the project: the lock is on the folder that holds all three. That
    // folder is the user's choice and may be a link; nothing below it is followed.
    const std::string holder = holderOf(result.layers.hyps);
    result.lock = FolderLock::waitFor(holder);
    if (!result.lock.held()) return failed(FolderStatus::NotLocked, result.lock.outcome().reason());
    result.holder =
        OpenedFolder::borrow(result.lock.descriptor(), folderTextOf(result.layers.hyps));
    if (auto names = result.lock.entryNames()) {
        // The listing does not tell folders from files: a project's name is looked at again
        // before it is replaced.
        std::vector<std::string> left =
            deleteProjectAndPdfLeftovers(result.lock.descriptor(), std::move(*names));
        rememberFolderContents(holder, left, left);
    }
    if (Outcome hyps = prepareSubFolder(result.layers.hyps, HYPS_LAYERS, result.hyps, replacement);
        !hyps) {
        return failed(FolderStatus::HypsNotCreated, hyps.reason());
    }
    if (Outcome frame =
            prepareSubFolder(result.layers.frame, FRAME_LAYERS, result.frame, replacement);
        !frame) {
        return failed(FolderStatus::FrameNotCreated, frame.reason());
    }
    result.status = FolderStatus::Ready;
    return result;
}

}  // namespace sheetbasis
