#pragma once
// Preparation of the HYPS and FRAME sub-folders of the result folder.

#include <string>
#include <string_view>

#include "output/AtomicFile.h"
#include "output/FolderLock.h"
#include "output/SheetLayers.h"

namespace sheetbasis {

// Statuses of prepareResultFolders.
enum class FolderStatus {
    Ready = 0,
    Missing = 1,
    HypsNotCreated = 2,
    FrameNotCreated = 3,
    // The folder that receives the sub-folders and the project cannot be locked (it cannot
    // be opened for reading), so another run might write into it at the same time.
    NotLocked = 4,
};

struct ResultFolders {
    FolderStatus status = FolderStatus::Missing;
    // Why the folders are not ready, in the system's words with the folder named ("" when
    // the status says all).
    std::string reason;
    LayerFolders layers;  // folder + "HYPS", folder + "FRAME"
    // Held on the folder that holds both sub-folders and the project, from before the
    // clean-up until it is destroyed: runs into one result folder take turns, and the
    // folder always ends as one run's whole result.
    FolderLock lock;
    // The locked folder and the sub-folders, opened once: every file of the run is made,
    // renamed and removed relative to them, and a sub-folder swapped for a link meanwhile
    // is not followed.
    OpenedFolder holder;
    OpenedFolder hyps;
    OpenedFolder frame;
};

// The PDF of a sheet's project, beside it (--pdf).
inline constexpr std::string_view PDF_EXTENSION = ".pdf";

// The HYPS and FRAME sub-folders of the result folder text (without a closing separator,
// glued to its last name).
LayerFolders layerFoldersOf(const std::string& folder);

// Waits for the folder's turn, then creates missing sub-folders, removes the temporary
// files that an earlier run left in them and those of the project and of its PDF beside
// them, and hands the layers of an earlier run to
// `replacement`, which removes them once the new files are in place. A sub-folder longer
// than the folder text (260 characters) is refused with its status before anything is
// touched; so is a sub-folder that is a link, and one holding an earlier layer whose shape
// file cannot be removed (it could not be replaced).
ResultFolders prepareResultFolders(const std::string& folder, ResultReplacement& replacement);

}  // namespace sheetbasis
