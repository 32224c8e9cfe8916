#include "ui/FindFile.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "sheet/Text.h"
#include "ui/MainDialog.h"

namespace sheetbasis::ui {

namespace {

constexpr char SEPARATOR = '/';
// The filter of the folder mode; the folder picker shows no files, so it is only a label.
constexpr const char* FOLDER_FILTER_NAME = "ПОИСК ПАПКИ";
constexpr const char* FOLDER_SEARCH_PATTERN = "*.*";
constexpr const char* FOLDER_SEARCH_TITLE = "Поиск папки для рез. файлов";

std::optional<FileDialogRequest> requestFor(std::int32_t mode, const std::string& filePattern,
                                            const std::string& filterName,
                                            const std::string& defaultExtension) {
    FileDialogRequest request;
    request.filePattern = trimTrailing(filePattern);
    switch (mode) {
        case FIND_FOLDER:
            request.kind = FileDialogKind::Folder;
            request.filterName = FOLDER_FILTER_NAME;
            return request;
        case FIND_EXISTING_FILE:
        case FIND_EXISTING_FILE_TOO:
            request.kind = FileDialogKind::ExistingFile;
            break;
        case FIND_NEW_FILE:
            request.kind = FileDialogKind::NewFile;
            break;
        default:
            return std::nullopt;
    }
    request.filterName = trimTrailing(filterName);
    request.defaultExtension = trimTrailing(defaultExtension);
    return request;
}

// Splits the chosen path after its last separator. The folder comes back whole, however
// long: a shortened one would name another folder, and one dropped without a word would
// leave the user guessing. Whether it can take the sub-folders is for the result-folder
// step to say, with its message.
FindFileResult splitChosenPath(const std::string& path) {
    const auto last = path.rfind(SEPARATOR);
    const std::size_t folderLength = last == std::string::npos ? 0 : last + 1;
    return {true, path.substr(0, folderLength), path.substr(folderLength)};
}

}  // namespace

FindFileResult pickWithFileDialog(WindowServices& services, const std::string& initialFolder,
                                  std::int32_t mode, const std::string& filePattern,
                                  const std::string& filterName,
                                  const std::string& defaultExtension, const std::string& title) {
    auto request = requestFor(mode, filePattern, filterName, defaultExtension);
    if (!request) return {};
    request->initialFolder = trimTrailing(initialFolder);
    request->title = trimTrailing(title);
    const auto chosen = services.fileDialog(*request);
    if (!chosen) return {};
    return splitChosenPath(*chosen);
}

void onFindFolderClicked(WindowServices& services, Dialog& dialog, int, DialogEvent event) {
    if (event != DialogEvent::Clicked) return;
    std::error_code ignored;
    const auto currentFolder = std::filesystem::current_path(ignored);
    const auto initialFolder = currentFolder.string() + SEPARATOR;
    const auto found = pickWithFileDialog(services, initialFolder, FIND_FOLDER,
                                          FOLDER_SEARCH_PATTERN, "", "", FOLDER_SEARCH_TITLE);
    if (!currentFolder.empty()) std::filesystem::current_path(currentFolder, ignored);
    if (found.confirmed) dialog.setText(CONTROL_FOLDER, trimTrailing(found.folder));
}

}  // namespace sheetbasis::ui
