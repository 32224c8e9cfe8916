#pragma once
// Preparation of the HYPS and FRAME sub-folders of the result folder.

#include <string>

namespace sheetbasis {

// Statuses of prepareResultFolders.
enum class FolderStatus {
    Ready = 0,
    Missing = 1,
    HypsNotCreated = 2,
    FrameNotCreated = 3,
};

// path := folder + "HYPS", outputFolder := folder + "FRAME"; creates missing sub-folders and
// deletes the layers of an earlier run from existing ones. A sub-folder longer than the
// folder text (260 characters) is refused with its status before anything is touched.
FolderStatus prepareResultFolders(const std::string& folder, std::string& path,
                                  std::string& outputFolder);

}  // namespace sheetbasis
