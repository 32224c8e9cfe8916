#pragma once
// The file-open dialog as the program uses it: a general routine for opening or naming
// a file, and its folder mode behind the main dialog's button "Найти".

#include <cstdint>
#include <string>

#include "ui/WindowServices.h"

namespace sheetbasis::ui {

// Modes of pickWithFileDialog.
inline constexpr std::int32_t FIND_FOLDER = 0;
inline constexpr std::int32_t FIND_EXISTING_FILE = 1;
inline constexpr std::int32_t FIND_EXISTING_FILE_TOO = 2;
inline constexpr std::int32_t FIND_NEW_FILE = 3;

// Answer of pickWithFileDialog. On cancel or failure both texts are empty.
struct FindFileResult {
    bool confirmed = false;
    std::string folder;    // up to and including the last "/"
    std::string fileName;  // the rest of the chosen path
};

// Opens the file-open dialog in the given mode. Texts are UTF-8; trailing blanks of the
// arguments do not count.
FindFileResult pickWithFileDialog(WindowServices& services, const std::string& initialFolder,
                                  std::int32_t mode, const std::string& filePattern,
                                  const std::string& filterName,
                                  const std::string& defaultExtension, const std::string& title);

// Handler of the main dialog's button "Найти": lets the user pick the result folder and
// shows it in the folder field.
void onFindFolderClicked(WindowServices& services, Dialog& dialog, int control, DialogEvent event);

}  // namespace sheetbasis::ui
