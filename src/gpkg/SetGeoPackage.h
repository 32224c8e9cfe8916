#pragma once
// A set of sheets in one GeoPackage: the six layers of every sheet in six tables, each
// with the shapefile's columns, the same values (texts in UTF-8) and a column "Sheet";
// the layers on the EPSG system of the coordinate system, each with a spatial index, and
// their styles stored as the default ones; an index of the sheets (SheetIndex, one
// outline per sheet) and a project of the users' GIS stored inside, whose atlas prints
// each sheet on its page.
//
// The file is built under a temporary name beside its final one, created exclusively and
// never through a link, and renamed over the final name only when whole: a run that fails
// leaves the earlier file as it was. Runs into one file take turns: the folder holding it
// is locked from the start to the rename.

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "geo/LayerFeatures.h"
#include "gpkg/Database.h"
#include "output/FolderLock.h"
#include "output/Outcome.h"
#include "qgis/FrameStyle.h"
#include "sheet/CoordinateSystem.h"
#include "sheet/MapScale.h"
#include "sheet/Paper.h"
#include "sheet/Series.h"
#include "sheet/Trapezoid.h"

namespace sheetbasis {

// One sheet as the set's file receives it: its Windows-1251 name, the rectangle and
// minute band width its frame style depends on, and its features.
struct SheetForGeoPackage {
    std::string_view sheetName;
    DrawingRect rect;
    double minuteBandWidthMm = 0.0;
    const HypsFeatures* hyps = nullptr;
    const FrameFeatures* frame = nullptr;
};

// What the whole set shares: its series, map scale and the paper of its printed sheets.
struct SetOfSheets {
    Series series = Series::Scale200k;
    MapScale mapScale = MapScale::Scale200k;
    Paper paper = Paper::SmallestIso;
};

class GeoPackageLayer;

class SetGeoPackage {
  public:
    // Waits for the folder of path, then creates the temporary file with the tables every
    // GeoPackage has. opened() tells whether it could.
    SetGeoPackage(std::string path, CoordinateSystem cs, SetOfSheets set);
    SetGeoPackage(const SetGeoPackage&) = delete;
    SetGeoPackage& operator=(const SetGeoPackage&) = delete;
    // Unless finished, removes the temporary file: the final one stays as it was.
    ~SetGeoPackage();

    const Outcome& opened() const { return opened_; }
    // Adds the sheet's features, layer by layer; the layers the sheet is the first to have
    // are created. A failure leaves the file unfinishable.
    Outcome addSheet(const SheetForGeoPackage& sheet);
    // Builds the spatial indexes, stores the styles, and puts the file in place.
    Outcome finish();

  private:
    Outcome addFeatures(const SheetForGeoPackage& sheet, std::string_view name);
    GeoPackageLayer* layerNamed(const char* name);
    Outcome addToIndex(const SheetForGeoPackage& sheet, std::string_view name);
    Outcome storeStyles(const std::vector<FrameStyleGroup>& groups);
    Outcome storeProject(const std::vector<FrameStyleGroup>& groups);
    Outcome failed(Outcome outcome);

    std::string path_;
    std::string temporaryPath_;
    CoordinateSystem cs_;
    FolderLock lock_;
    Database database_;
    SetOfSheets set_;
    std::vector<std::unique_ptr<GeoPackageLayer>> layers_;
    std::unique_ptr<GeoPackageLayer> index_;
    std::vector<DrawingRect> sheetRects_;
    // The sheets of each frame style group, by minute band width and latitudes.
    std::map<std::tuple<double, double, double>, FrameStyleGroup> frameGroups_;
    Outcome opened_;
    Outcome broken_;  // the first failure after opening
    bool finished_ = false;
};

}  // namespace sheetbasis
