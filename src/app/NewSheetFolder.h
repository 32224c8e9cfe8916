#pragma once
// A sheet of a set whose result folder does not exist yet is built in a folder of a
// temporary name beside it, which is renamed to the sheet's name once the sheet is
// complete: the sheet's folder appears whole or not at all, and its files need no rename
// each. Over an earlier result the files are replaced one by one, as a job run does.

#include <string>

#include "app/ProgramFlow.h"
#include "sheet/SheetParameters.h"

namespace sheetbasis {

// Generates the sheet into its result folder p.path, as generateIntoResultFolder does (from
// the features computed when given), creating the folder (and those above it) when it is
// missing.
TaskOutcome generateIntoSheetFolder(const SheetParameters& p,
                                    const SheetFeatures* computed = nullptr);

// Removes the temporary sheet folders that runs killed while building them left in
// `folder`. A folder still being built is locked by its run and stays; links are never
// followed.
void removeAbandonedSheetFolders(const std::string& folder);

}  // namespace sheetbasis
