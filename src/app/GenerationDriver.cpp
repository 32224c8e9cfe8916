#include "app/GenerationDriver.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "frame/Frame.h"
#include "geo/DatumShift.h"
#include "geo/Geometry.h"
#include "hyps/Hyps.h"
#include "output/SheetLayers.h"
#include "qgis/SheetProject.h"
#include "sheet/Grid.h"
#include "sheet/Nomenclature.h"
#include "sheet/Trapezoid.h"

namespace sheetbasis {
namespace {

SheetCorners cornersOf(const SheetParameters& p) {
    const DrawingRect& t = p.result.edges;
    SheetCorners c{{t.west, t.north}, {t.east, t.north}, {t.west, t.south}, {t.east, t.south}};
    if (p.cs == CoordinateSystem::Gsk2011FromSk42) {
        for (Point* corner : {&c.nw, &c.ne, &c.sw, &c.se}) *corner = sk42ToGsk2011(*corner);
    }
    return c;
}

// In coordinate system 4 the SK-42 trapezoid becomes a slightly skewed quadrilateral; the
// layers are drawn in the largest rectangle inside it.
DrawingRect drawingRectOf(const SheetParameters& p, const SheetCorners& c) {
    if (p.cs != CoordinateSystem::Gsk2011FromSk42) return p.result.edges;
    return {std::max(c.nw.x, c.sw.x), std::min(c.ne.x, c.se.x), std::max(c.sw.y, c.se.y),
            std::min(c.nw.y, c.ne.y)};
}

AdjacentNames neighboursOf(const SheetParameters& p) {
    const auto name = [&](Direction direction) {
        return adjacentSheetName(direction, p.setScale, p.yZone, p.xZone, p.sheetNumber,
                                 p.sheetType);
    };
    AdjacentNames n;
    n.west = name(Direction::West);
    n.east = name(Direction::East);
    n.north = name(Direction::North);
    n.south = name(Direction::South);
    return n;
}

}  // namespace

// The hypsometry layers record only the lines strictly inside the sheet; the frame labels
// also need the edges that lie on the grid.
void addEdgesOnGrid(std::vector<double>& list, double low, double high, double base, double step) {
    if (equalOnGrid(firstGridValueFrom(low, base, step), low)) addUniqueGridValue(list, low);
    if (equalOnGrid(lastGridValueUpTo(high, base, step), high)) addUniqueGridValue(list, high);
    std::sort(list.begin(), list.end());
}

SheetFeatures sheetFeaturesOf(const SheetParameters& p) {
    const SheetCorners corners = cornersOf(p);
    SheetFeatures sheet;
    sheet.rect = drawingRectOf(p, corners);
    sheet.sheetName = sheetNameOf(p.setScale, p.yZone, p.xZone, p.sheetNumber, p.sheetType);
    const DrawingRect& rect = sheet.rect;
    const AngleSteps densify{DENSIFY_LON_STEP, DENSIFY_LAT_STEP};

    HypsSheet hyps = hypsFeatures(p, sheet.sheetName, rect, corners, densify);
    sheet.hyps = std::move(hyps.features);

    GraticuleValues& graticule = hyps.drawn;
    addEdgesOnGrid(graticule.parallels, rect.south, rect.north, p.base.edges.south,
                   p.result.parallelStep);
    addEdgesOnGrid(graticule.meridians, rect.west, rect.east, p.base.edges.west,
                   p.result.meridianStep);
    sheet.frame = frameFeatures(p, rect, densify, neighboursOf(p), graticule);
    return sheet;
}

Outcome generateSheet(const SheetParameters& p, const LayerFolders& folders,
                      const SheetFeatures* computed) {
    std::optional<SheetFeatures> computedHere;
    if (computed == nullptr) computed = &computedHere.emplace(sheetFeaturesOf(p));
    const SheetFeatures& sheet = *computed;
    if (Outcome written = writeHypsLayers(folders.hyps, p.cs, sheet.hyps); !written) {
        return written;
    }
    if (Outcome written = writeFrameLayers(folders.frame, p.cs, sheet.frame); !written) {
        return written;
    }
    return writeQgisFiles(p, folders, sheet.sheetName, sheet.rect);
}

}  // namespace sheetbasis
