#include "app/ResultFolders.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <span>
#include <string_view>
#include <system_error>
#include <vector>

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

std::vector<fs::path> filesOf(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec)) files.push_back(it->path());
    }
    return files;
}

bool hasShapeFile(const std::vector<fs::path>& files, std::string_view layer) {
    return std::any_of(files.begin(), files.end(), [&](const fs::path& f) {
        const std::string name = f.filename().string();
        return belongsToLayer(name, layer) &&
               equalsIgnoringCase(std::string_view(name).substr(layer.size()), ".shp");
    });
}

// Failed deletions pass unnoticed: creating the layer afterwards replaces its files.
void deleteOldLayers(const fs::path& folder, std::span<const std::string_view> layers) {
    for (std::string_view layer : layers) {
        const std::vector<fs::path> files = filesOf(folder);
        if (!hasShapeFile(files, layer)) continue;
        for (const fs::path& f : files) {
            std::error_code ec;
            if (belongsToLayer(f.filename().string(), layer)) fs::remove(f, ec);
        }
    }
}

// Makes the sub-folder ready: clears old layers from an existing one, creates a missing
// one. False when there is no folder of that name afterwards.
bool prepareSubFolder(const fs::path& folder, std::span<const std::string_view> layers) {
    std::error_code ec;
    if (fs::exists(folder, ec)) {
        if (!fs::is_directory(folder, ec)) return false;
        deleteOldLayers(folder, layers);
        return true;
    }
    return fs::create_directory(folder, ec) && !ec;
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
