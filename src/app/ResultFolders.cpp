#include "app/ResultFolders.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <system_error>
#include <vector>

#include "output/AtomicFile.h"
#include "output/BufferedFiles.h"
#include "sheet/Cp1251.h"
#include "sheet/Text.h"

namespace sheetbasis {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view HYPS_FOLDER = "HYPS";
constexpr std::string_view PROJECT_EXTENSION = ".qgs";
constexpr std::string_view FRAME_FOLDER = "FRAME";
static_assert(FRAME_FOLDER.size() == LONGEST_SUB_FOLDER_NAME &&
              HYPS_FOLDER.size() <= FRAME_FOLDER.size());

// Layers of an earlier run, in the order they are looked for. A layer counts as present
// only when its shape file exists; then every file of it goes, whatever the extension.
constexpr std::array<std::string_view, 3> HYPS_LAYERS = {"HYPSA", "HYPSL", "HYPSP"};
constexpr std::array<std::string_view, 3> FRAME_LAYERS = {"FRAME", "FRAMEDIG", "FRAMEADJ"};

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::toupper(x) == std::toupper(y);
           });
}

// True for "<layer>.<anything>" in any letter case: the files of that layer and of no
// other ("FRAME.*" does not take "FrameDig.shp").
bool belongsToLayer(std::string_view fileName, std::string_view layer) {
    return fileName.size() > layer.size() && fileName[layer.size()] == '.' &&
           equalsIgnoringCase(fileName.substr(0, layer.size()), layer);
}

// The entries of the folder; complete tells whether it could be listed to the end.
std::vector<fs::directory_entry> entriesOf(const fs::path& folder, bool& complete) {
    std::vector<fs::directory_entry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        entries.push_back(*it);
    }
    complete = !ec;
    return entries;
}

bool hasShapeFile(const std::vector<fs::directory_entry>& entries, std::string_view layer) {
    return std::any_of(entries.begin(), entries.end(), [&](const fs::directory_entry& e) {
        std::error_code ec;
        const std::string name = e.path().filename().string();
        return e.is_regular_file(ec) && belongsToLayer(name, layer) &&
               equalsIgnoringCase(std::string_view(name).substr(layer.size()), ".shp");
    });
}

// Removal order of a layer's files, the reverse of their creation: the shape file first,
// then its index, so that a run stopped half-way never leaves either without the others.
constexpr int OTHER_FILES_RANK = 2;
int removalRank(const fs::path& file) {
    const std::string extension = file.extension().string();
    if (equalsIgnoringCase(extension, ".shp")) return 0;
    if (equalsIgnoringCase(extension, ".shx")) return 1;
    return OTHER_FILES_RANK;
}

// A regular file, not a link to one: what a killed run of this program leaves.
bool isOwnFile(const fs::directory_entry& entry) {
    std::error_code ec;
    return entry.symlink_status(ec).type() == fs::file_type::regular;
}

// The files of a layer of an earlier run, in removal order. When the shape file cannot be
// removed, the companions stay with it and the layer remains whole; false then.
bool deleteLayer(const std::vector<fs::directory_entry>& entries, std::string_view layer,
                 std::vector<bool>& removed) {
    for (int rank = 0; rank <= OTHER_FILES_RANK; ++rank) {
        for (std::size_t k = 0; k < entries.size(); ++k) {
            const fs::path& path = entries[k].path();
            std::error_code ec;
            if (removed[k] || removalRank(path) != rank || !entries[k].is_regular_file(ec) ||
                !belongsToLayer(path.filename().string(), layer)) {
                continue;
            }
            removed[k] = fs::remove(path, ec);
            if (rank == 0 && !removed[k]) return false;
        }
    }
    return true;
}

// What is left in a sub-folder after the clean-up.
struct CleanedFolder {
    bool layersRemoved = true;  // false when an earlier layer's shape file stays
    std::optional<std::vector<std::string>> names;  // nothing when it could not be listed whole
};

// Deletes the layers given and the temporary files that a killed run left (never
// following a link: only regular files with the writer's names are taken). A layer whose
// shape file cannot be removed could not be replaced either: it is kept whole and
// reported. The other failed deletions pass unnoticed: the new files replace the old ones.
CleanedFolder deleteOldFiles(const fs::path& folder, std::span<const std::string_view> layers) {
    bool complete = false;
    const std::vector<fs::directory_entry> entries = entriesOf(folder, complete);
    std::vector<bool> removed(entries.size(), false);
    CleanedFolder cleaned;
    for (std::string_view layer : layers) {
        if (hasShapeFile(entries, layer) && !deleteLayer(entries, layer, removed)) {
            cleaned.layersRemoved = false;
        }
    }
    std::vector<std::string> left;
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const std::string name = entries[k].path().filename().string();
        std::error_code ec;
        if (!removed[k] && isTemporaryFileName(name) && isOwnFile(entries[k])) {
            removed[k] = fs::remove(entries[k].path(), ec);
        }
        if (!removed[k]) left.push_back(name);
    }
    if (complete) cleaned.names = std::move(left);
    return cleaned;
}

// A temporary file of a project that a killed run left in the folder that holds the
// sub-folders. That is the user's own folder: only such files are taken, never through a link.
// Returns the names left, which are remembered for the project's writer.
std::vector<std::string> deleteProjectLeftovers(const fs::path& holder,
                                                std::vector<std::string> names) {
    std::erase_if(names, [&holder](const std::string& name) {
        const std::string_view file(name);
        if (!isTemporaryFileName(file) ||
            !file.substr(0, file.rfind(TEMPORARY_FILE_MARK)).ends_with(PROJECT_EXTENSION)) {
            return false;
        }
        std::error_code ec;
        return fs::symlink_status(holder / name, ec).type() == fs::file_type::regular &&
               fs::remove(holder / name, ec);
    });
    return names;
}

// Makes the sub-folder ready: clears old layers from an existing one, creates a missing
// one. False when there is no folder of that name afterwards, or when an earlier layer in
// it cannot be removed (and so not replaced). What it holds afterwards is
// remembered for the layer files.
bool prepareSubFolder(const fs::path& folder, std::span<const std::string_view> layers) {
    // Made first and looked at only when it was there: a new result costs one call a folder.
    if (makeFolder(folder.string())) {
        rememberFolderContents(folder.string(), {});
        return true;
    }
    std::error_code ec;
    if (errno != EEXIST || !fs::is_directory(folder, ec)) return false;
    CleanedFolder cleaned = deleteOldFiles(folder, layers);
    if (cleaned.names) rememberFolderContents(folder.string(), std::move(*cleaned.names));
    return cleaned.layersRemoved;
}

// The folder that holds a sub-folder.
fs::path holderOf(const std::string& subFolder) {
    const fs::path holder = fs::path(subFolder).parent_path();
    return holder.empty() ? fs::path(".") : holder;
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

ResultFolders prepareResultFolders(const std::string& folder) {
    forgetRememberedFolders();
    const std::string folderText = trimBoth(folder);
    ResultFolders result;
    result.layers = layerFoldersOf(folder);
    const auto failed = [&result](FolderStatus status) {
        result.status = status;
        result.lock = FolderLock();
        return std::move(result);
    };

    std::error_code ec;
    if (folderText.empty() || !fs::exists(fs::path(folderText), ec)) {
        return failed(FolderStatus::Missing);
    }
    // Cut to the folder text, a sub-folder would be another folder (the result folder
    // itself, its parent, "FRAM"); both are refused before anything is touched.
    if (!fitsFolderText(result.layers.hyps)) return failed(FolderStatus::HypsNotCreated);
    if (!fitsFolderText(result.layers.frame)) return failed(FolderStatus::FrameNotCreated);
    // Without a closing separator the sub-folders are glued to the last name and lie
    // beside it, as does the project: the lock is on the folder that holds all three.
    const fs::path holder = holderOf(result.layers.hyps);
    result.lock = FolderLock::waitFor(holder.string());
    if (!result.lock.held()) return failed(FolderStatus::NotLocked);
    if (auto names = result.lock.entryNames()) {
        rememberFolderContents(holder.string(), deleteProjectLeftovers(holder, std::move(*names)));
    }
    if (!prepareSubFolder(fs::path(result.layers.hyps), HYPS_LAYERS)) {
        return failed(FolderStatus::HypsNotCreated);
    }
    if (!prepareSubFolder(fs::path(result.layers.frame), FRAME_LAYERS)) {
        return failed(FolderStatus::FrameNotCreated);
    }
    result.status = FolderStatus::Ready;
    return result;
}

}  // namespace sheetbasis
