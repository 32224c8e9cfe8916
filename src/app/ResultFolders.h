#pragma once
// Preparation of the HYPS and FRAME sub-folders of the result folder.

#include <string>

namespace sheetbasis {

// Statuses of prepareResultFolders.
inline constexpr int FOLDERS_READY = 0;
inline constexpr int FOLDER_MISSING = 1;
inline constexpr int HYPS_NOT_CREATED = 2;
inline constexpr int FRAME_NOT_CREATED = 3;

// path := folder + "HYPS", outputFolder := folder + "FRAME"; creates missing sub-folders and
// deletes the layers of an earlier run from existing ones. A sub-folder longer than the
// folder text (260 characters) is refused with its status before anything is touched.
int prepareResultFolders(const std::string& folder, std::string& path, std::string& outputFolder);

}  // namespace sheetbasis
