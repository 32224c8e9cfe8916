#pragma once
// What a set of sheets looks like before and beside its generation: a listing of its
// sheets for scripts, and an index map of them (a polygon layer and a project of the
// users' GIS, from which each sheet's own project opens).

#include <cstdint>
#include <string>
#include <vector>

#include "output/Outcome.h"
#include "sheet/SheetParameters.h"

namespace sheetbasis {

// The listing: a header, then one tab-separated line per sheet: its name as the layers
// write it, west, south, east and north in degrees (longitudes on the 0..360 scale), the
// series as a scale denominator and the result folder it gets under outFolder.
std::string sheetListing(const std::vector<SheetIdentity>& sheets, const std::string& outFolder);

struct IndexRequest {
    std::vector<SheetIdentity> sheets;  // of one series
    CoordinateSystem cs = CoordinateSystem::Sk42;
    MapScale mapScale = MapScale::Scale200k;
    std::string outFolder;
    std::string setName;  // as the command line gives the set; the layout's title names it
};

// Writes outFolder/index/SheetIndex (one polygon per sheet with the attributes Nom, Series,
// Scale and Folder, the sheet's result folder relative to outFolder), its style, and the
// project outFolder/index.qgs that shows it labelled with the names, opens each sheet's
// project by a layer action and has a layout of the whole index. Runs into one outFolder
// take turns; each file is replaced whole.
Outcome writeSheetIndex(const IndexRequest& request);

// The index project of a set written into outFolder.
std::string indexProjectPath(const std::string& outFolder);

}  // namespace sheetbasis
