#include "app/SheetIndex.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "app/GenerationDriver.h"
#include "app/SheetSet.h"
#include "app/SheetSetRun.h"
#include "geo/DatumShift.h"
#include "hyps/HypsLines.h"
#include "output/AtomicFile.h"
#include "output/FolderLock.h"
#include "output/LayerFile.h"
#include "output/ShapeWriters.h"
#include "qgis/ProjectDocument.h"
#include "qgis/QgisStyle.h"
#include "qgis/SheetProject.h"
#include "sheet/Nomenclature.h"
#include "sheet/Text.h"

namespace sheetbasis {
namespace {

namespace fs = std::filesystem;

constexpr const char* LISTING_HEADER = "name\twest\tsouth\teast\tnorth\tseries\tfolder\n";
constexpr char COLUMN_SEPARATOR = '\t';

constexpr double ANTIMERIDIAN = 180.0;
constexpr double FULL_CIRCLE = 360.0;

constexpr const char* INDEX_FOLDER = "index";
constexpr const char* INDEX_LAYER = "SheetIndex";
constexpr const char* INDEX_PROJECT = "index.qgs";
constexpr const char* INDEX_TITLE = "Sheet index";
constexpr const char* INDEX_LAYOUT = "Index";

// Column widths in characters: a joined sheet's name is at most 17, a folder name the
// same; integers up to 5 000 000.
constexpr int NAME_WIDTH = 40;
constexpr int FOLDER_WIDTH = 254;
constexpr int DENOMINATOR_WIDTH = 8;

// The map of the layout fits an A3 landscape page (420 x 297 mm) with its margins.
constexpr double LAYOUT_MAP_WIDTH_MM = 370.0;
constexpr double LAYOUT_MAP_HEIGHT_MM = 247.0;
constexpr double MILLIMETRES_PER_METRE = 1000.0;
// Layout scales are 1, 2, 2.5 or 5 times a power of ten.
constexpr std::array<double, 4> ROUND_SCALE_STEPS = {1.0, 2.0, 2.5, 5.0};
constexpr double DECIMAL_BASE = 10.0;

constexpr double OUTLINE_WIDTH_MM = 0.3;
constexpr const char* LABEL_FAMILY = "Arial";
// A name's letters are at most this wide, in parts of the font size, in the label family;
// a name takes up at most this share of its sheet's height.
constexpr double LABEL_LETTER_WIDTH_EM = 0.6;
constexpr double LABEL_HEIGHT_SHARE = 0.25;
// Labelling codes of the users' GIS: a label over the polygon's centre.
constexpr int PLACEMENT_OVER_CENTROID = 1;

// The action that opens the sheet's project from the index: a Python action (type 1) with
// an identifier of its own, run by default when a sheet is clicked with the action tool. The
// path is made at run time from the index project's folder, so that the index keeps
// working when the whole folder moves.
constexpr int ACTION_PYTHON = 1;
constexpr const char* ACTION_ID = "{6f1d2c8e-5b3a-4e7f-9a10-2c4d6e8f0a1b}";
constexpr const char* ACTION_NAME = "Open";
// The Python text of the action; the GIS replaces each [% %] by the feature's value. The
// sheet's project is named after the sheet (writeQgisFiles).
constexpr std::string_view OPEN_ACTION =
    R"py(from qgis.core import QgsProject; from qgis.utils import iface; import os.path; )py"
    R"py(iface.addProject(os.path.join(QgsProject.instance().homePath(), )py"
    R"py(r'[% "Folder" %]', r'[% "Nom" %].qgs')))py";

std::string nameOf(const SheetIdentity& s) {
    return sheetNameOf(s.setScale, s.yZone, s.xZone, s.sheetNumber, s.sheetType);
}

// The series as the listing and the index name it: the denominator of its own scale.
std::int32_t seriesDenominator(Series setScale) {
    return denominatorOf(seriesMapScale(setScale));
}

std::vector<FieldDef> indexFields() {
    return {{"Nom", FieldType::Text, NAME_WIDTH, 0},
            {"Series", FieldType::Integer, DENOMINATOR_WIDTH, 0},
            {"Scale", FieldType::Integer, DENOMINATOR_WIDTH, 0},
            {"Folder", FieldType::Text, FOLDER_WIDTH, 0}};
}

// The sheet's outline as HypsA draws it: densified, carried into GSK-2011 in coordinate
// system 4. A sheet east of 180 degrees gets its longitudes west of Greenwich as negative
// ones: the GIS asks a layer in geographic coordinates only for -180..180 when it draws a
// map across 180 degrees, and would leave out such sheets given on the 0..360 scale.
Line outlineOf(const DrawingRect& t, CoordinateSystem cs) {
    Line ring = trapezoidRing({t.west, t.east, t.south, t.north},
                              AngleSteps{DENSIFY_LON_STEP, DENSIFY_LAT_STEP});
    const double shift = t.west >= ANTIMERIDIAN ? -FULL_CIRCLE : 0.0;
    for (Point& vertex : ring) {
        if (cs == CoordinateSystem::Gsk2011FromSk42) vertex = sk42ToGsk2011(vertex);
        vertex.x += shift;
    }
    return ring;
}

Outcome writeIndexLayer(const IndexRequest& request, const fs::path& layerBase) {
    const std::string layerName = layerBase.string();
    Layer layer;
    if (Outcome created =
            createLayer(request.cs, ShapeType::Polygon, layerName, indexFields(), layer);
        !created) {
        return created;
    }
    const Series setScale = request.sheets.front().setScale;
    const std::int32_t series = seriesDenominator(setScale);
    const std::int32_t scale = denominatorOf(request.mapScale);
    for (const SheetIdentity& sheet : request.sheets) {
        // The sheet's result folder is DIR/<name> (sheetFolderOf).
        const std::string name = nameOf(sheet);
        const AttributeValue attributes[] = {name, series, scale, name};
        if (Outcome written =
                writePolygonFeature(layer, attributes, outlineOf(trapezoidOf(sheet), request.cs));
            !written) {
            return written.within(layerName);
        }
    }
    return closeLayer(layer);
}

DrawingRect boundsOf(const std::vector<SheetIdentity>& sheets) {
    DrawingRect r{HUGE_VAL, -HUGE_VAL, HUGE_VAL, -HUGE_VAL};
    for (const SheetIdentity& sheet : sheets) {
        const DrawingRect t = trapezoidOf(sheet);
        r = {std::min(r.west, t.west), std::max(r.east, t.east), std::min(r.south, t.south),
             std::max(r.north, t.north)};
    }
    return r;
}

double planeDistance(const LambertConformalConic& projection, const Point& a, const Point& b) {
    const Point p = projectLambertConformalConic(projection, a);
    const Point q = projectLambertConformalConic(projection, b);
    return std::hypot(q.x - p.x, q.y - p.y);
}

// One size for every name, in metres of the plane: as large as the narrowest sheet (across
// its middle, per letter of its name) and the lowest sheet allow.
double labelSizeMetres(const std::vector<SheetIdentity>& sheets,
                       const LambertConformalConic& projection) {
    double size = HUGE_VAL;
    for (const SheetIdentity& sheet : sheets) {
        const DrawingRect t = trapezoidOf(sheet);
        const double middleLat = (t.south + t.north) / 2.0;
        const double middleLon = (t.west + t.east) / 2.0;
        const double width = planeDistance(projection, {t.west, middleLat}, {t.east, middleLat});
        const double height = planeDistance(projection, {middleLon, t.south}, {middleLon, t.north});
        const auto letters = static_cast<double>(nameOf(sheet).size());
        size = std::min(
            {size, width / (letters * LABEL_LETTER_WIDTH_EM), height * LABEL_HEIGHT_SHARE});
    }
    return size;
}

std::string nameLabelling(double sizeMetres) {
    return std::string(
               "<labeling type=\"simple\"><settings calloutType=\"simple\">"
               "<text-style fieldName=\"Nom\" isExpression=\"0\" fontFamily=\"") +
           LABEL_FAMILY + R"(" fontSize=")" + decimalText(sizeMetres) +
           "\" fontSizeUnit=\"MapUnit\" fontWeight=\"50\" fontItalic=\"0\" "
           "textColor=\"0,0,0,255\" textOpacity=\"1\" multilineHeight=\"1\" allowHtml=\"0\">"
           "<text-buffer bufferDraw=\"0\"/><background shapeDraw=\"0\"/>"
           "<shadow shadowDraw=\"0\"/></text-style>"
           "<text-format wrapChar=\"\" multilineAlign=\"1\" addDirectionSymbol=\"0\"/>"
           "<placement placement=\"" +
           std::to_string(PLACEMENT_OVER_CENTROID) +
           "\" centroidWhole=\"1\" centroidInside=\"1\" dist=\"0\" quadOffset=\"4\" "
           "xOffset=\"0\" yOffset=\"0\" priority=\"5\"/>"
           "<rendering drawLabels=\"1\" displayAll=\"1\" obstacle=\"0\" upsidedownLabels=\"0\" "
           "labelPerPart=\"0\" limitNumLabels=\"0\" scaleVisibility=\"0\" "
           "fontLimitPixelSize=\"0\" minFeatureSize=\"0\"/></settings></labeling>";
}

std::string openAction() {
    return std::string(R"(<attributeactions><defaultAction key="Canvas" value=")") + ACTION_ID +
           R"("/><actionsetting type=")" + std::to_string(ACTION_PYTHON) + R"(" name=")" +
           ACTION_NAME + R"(" shortTitle=")" + ACTION_NAME + R"(" icon="" id=")" + ACTION_ID +
           R"(" capture="0" notificationMessage="" isEnabledOnlyWhenEditable="0" action=")" +
           xmlEscaped(OPEN_ACTION) +
           "\"><actionScope id=\"Feature\"/><actionScope id=\"Canvas\"/>"
           "</actionsetting></attributeactions>";
}

// The smallest round scale at which the plane box fits the layout's map.
double layoutDenominator(const PlaneBox& box) {
    const double needed = std::max((box.xMax - box.xMin) / LAYOUT_MAP_WIDTH_MM,
                                   (box.yMax - box.yMin) / LAYOUT_MAP_HEIGHT_MM) *
                          MILLIMETRES_PER_METRE;
    const double power = std::pow(DECIMAL_BASE, std::floor(std::log10(needed)));
    for (const double step : ROUND_SCALE_STEPS) {
        if (step * power >= needed) return step * power;
    }
    return DECIMAL_BASE * power;
}

// The style file beside the layer and the project beside the index folder.
Outcome writeIndexProject(const IndexRequest& request, const fs::path& layerBase,
                          const fs::path& projectPath) {
    const DrawingRect bounds = boundsOf(request.sheets);
    const std::optional<LambertConformalConic> projection = sheetProjectionOf(request.cs, bounds);
    if (!projection) return Outcome::failure("the coordinate system has no projection text");
    const LayerStyle style{StyleGeometry::Polygon,
                           singleSymbolRenderer(outlineSymbol("0", OUTLINE_WIDTH_MM)),
                           nameLabelling(labelSizeMetres(request.sheets, *projection))};
    if (Outcome written = writeStyleFile(layerBase.generic_string(), style); !written) {
        return written;
    }
    const PlaneBox box = projectedExtent(*projection, bounds);
    const std::string project = projectDocument(
        INDEX_TITLE, {ProjectLayer(INDEX_LAYER, INDEX_FOLDER, "Polygon", style, openAction())},
        trimTrailing(projectionText(request.cs)), sheetProjectionText(request.cs, *projection),
        layoutXml(INDEX_LAYOUT, box, layoutDenominator(box)));
    return writeFileAtomically(projectPath.generic_string(), project);
}

// Temporary files that a killed run left in the index folder (never through a link).
void removeLeftovers(int folder) {
    for (const std::string& name : entryNamesOf(folder).value_or(std::vector<std::string>{})) {
        struct stat status {};
        if (isTemporaryFileName(name) &&
            ::fstatat(folder, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(status.st_mode)) {
            ::unlinkat(folder, name.c_str(), 0);
        }
    }
}

// Makes the index folder in the locked result folder and opens it, never through a link.
OpenedFolder openIndexFolder(const FolderLock& lock, const std::string& text) {
    constexpr mode_t NEW_FOLDER_MODE = 0777;
    ::mkdirat(lock.descriptor(), INDEX_FOLDER, NEW_FOLDER_MODE);
    return OpenedFolder::openBelow(lock.descriptor(), INDEX_FOLDER, text);
}

}  // namespace

std::string sheetListing(const std::vector<SheetIdentity>& sheets, const std::string& outFolder) {
    std::string text = LISTING_HEADER;
    for (const SheetIdentity& sheet : sheets) {
        const DrawingRect t = trapezoidOf(sheet);
        text += nameOf(sheet);
        for (const double angle : {t.west, t.south, t.east, t.north}) {
            text += COLUMN_SEPARATOR + decimalText(angle);
        }
        text += COLUMN_SEPARATOR + std::to_string(seriesDenominator(sheet.setScale)) +
                COLUMN_SEPARATOR + sheetFolderOf(sheet, outFolder) + '\n';
    }
    return text;
}

Outcome writeSheetIndex(const IndexRequest& request) {
    if (request.sheets.empty()) return Outcome::failure("the set has no sheets");
    const fs::path folder = fs::path(request.outFolder) / INDEX_FOLDER;
    // The result folder's lock covers the index folder and the project beside it: runs,
    // the jobs into that folder too, take turns, and what they leave is one run's index.
    const std::string out = request.outFolder.empty() ? std::string(".") : request.outFolder;
    std::error_code ec;
    fs::create_directories(out, ec);
    const FolderLock lock = FolderLock::waitFor(out);
    if (!lock.held()) return lock.outcome();
    const OpenedFolder holder =
        OpenedFolder::borrow(lock.descriptor(), folderTextOf(folder.string()));
    const OpenedFolder index = openIndexFolder(lock, folder.string());
    if (!index.isOpen()) return Outcome::failure(folder.string() + ": " + std::strerror(errno));
    removeLeftovers(index.descriptor());
    // The layer and the project are put in place together or not at all.
    ResultReplacement replacement;
    const fs::path layerBase = folder / INDEX_LAYER;
    Outcome written = writeIndexLayer(request, layerBase);
    if (written) {
        written = writeIndexProject(request, layerBase, indexProjectPath(request.outFolder));
    }
    if (written)
        written = replacement.commit([](const std::string&) { return EarlierEntry::Unknown; });
    replacement.dropUnplaced();
    return written;
}

std::string indexProjectPath(const std::string& outFolder) {
    return (fs::path(outFolder) / INDEX_PROJECT).generic_string();
}

}  // namespace sheetbasis
