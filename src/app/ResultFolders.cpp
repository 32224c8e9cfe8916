#include "app/ResultFolders.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <system_error>
#include <vector>

#include "output/BufferedFiles.h"
#include "sheet/Cp1251.h"
#include "sheet/Text.h"

namespace sheetbasis {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view HYPS_FOLDER = "HYPS";
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
// then its index, so that a run stopped half-way never leaves a shape file without them.
constexpr int OTHER_FILES_RANK = 2;
int removalRank(const fs::path& file) {
    const std::string extension = file.extension().string();
    if (equalsIgnoringCase(extension, ".shp")) return 0;
    if (equalsIgnoringCase(extension, ".shx")) return 1;
    return OTHER_FILES_RANK;
}

// A file that a stopped run left under its temporary name.
bool isLeftover(std::string_view fileName, std::string_view layer) {
    return belongsToLayer(fileName, layer) && fileName.ends_with(PARTIAL_FILE_SUFFIX);
}

// Failed deletions pass unnoticed: creating the layer afterwards replaces its files. No
// layer name takes another layer's files, so one listing of the folder serves them all.
// Returns the names of the entries left in the folder, unless it could not be listed whole.
std::optional<std::vector<std::string>> deleteOldLayers(const fs::path& folder,
                                                        std::span<const std::string_view> layers) {
    bool complete = false;
    const std::vector<fs::directory_entry> entries = entriesOf(folder, complete);
    std::vector<bool> doomed(entries.size(), false);
    for (std::string_view layer : layers) {
        const bool present = hasShapeFile(entries, layer);
        for (std::size_t k = 0; k < entries.size(); ++k) {
            std::error_code ec;
            const std::string name = entries[k].path().filename().string();
            doomed[k] =
                doomed[k] || (entries[k].is_regular_file(ec) &&
                              (present ? belongsToLayer(name, layer) : isLeftover(name, layer)));
        }
    }
    std::vector<std::string> left;
    for (int rank = 0; rank <= OTHER_FILES_RANK; ++rank) {
        for (std::size_t k = 0; k < entries.size(); ++k) {
            if (removalRank(entries[k].path()) != rank) continue;
            std::error_code ec;
            if (!doomed[k] || !fs::remove(entries[k].path(), ec)) {
                left.push_back(entries[k].path().filename().string());
            }
        }
    }
    if (!complete) return std::nullopt;
    return left;
}

// Makes the sub-folder ready: clears old layers from an existing one, creates a missing
// one. False when there is no folder of that name afterwards. What it holds afterwards is
// remembered for the layer files.
bool prepareSubFolder(const fs::path& folder, std::span<const std::string_view> layers) {
    std::error_code ec;
    if (const fs::file_status status = fs::status(folder, ec); fs::exists(status)) {
        if (!fs::is_directory(status)) return false;
        if (auto left = deleteOldLayers(folder, layers)) {
            rememberFolderContents(folder.string(), std::move(*left));
        }
        return true;
    }
    if (!fs::create_directory(folder, ec) || ec) return false;
    rememberFolderContents(folder.string(), {});
    return true;
}

// Folder texts count characters; a Cyrillic letter is one, however many bytes it takes.
bool fitsFolderText(const std::string& folder) {
    return utf8CharacterCount(folder) <= FOLDER_TEXT_LENGTH;
}

}  // namespace

FolderStatus prepareResultFolders(const std::string& folder, std::string& path,
                                  std::string& outputFolder) {
    const std::string folderText = trimBoth(folder);
    path = folderText + std::string(HYPS_FOLDER);
    outputFolder = folderText + std::string(FRAME_FOLDER);

    std::error_code ec;
    if (folderText.empty() || !fs::exists(fs::path(folderText), ec)) return FolderStatus::Missing;
    // Cut to the folder text, a sub-folder would be another folder (the result folder
    // itself, its parent, "FRAM"); both are refused before anything is touched.
    if (!fitsFolderText(path)) return FolderStatus::HypsNotCreated;
    if (!fitsFolderText(outputFolder)) return FolderStatus::FrameNotCreated;
    if (!prepareSubFolder(fs::path(path), HYPS_LAYERS)) return FolderStatus::HypsNotCreated;
    if (!prepareSubFolder(fs::path(outputFolder), FRAME_LAYERS))
        return FolderStatus::FrameNotCreated;
    return FolderStatus::Ready;
}

}  // namespace sheetbasis
