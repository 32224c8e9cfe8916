#include "app/SheetIndex.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <numbers>
#include <system_error>

#include "app/GenerationDriver.h"
#include "app/ResultFolders.h"
#include "app/SheetSet.h"
#include "app/SheetSetRun.h"
#include "geo/DatumShift.h"
#include "hyps/HypsLines.h"
#include "output/AtomicFile.h"
#include "output/FolderLock.h"
#include "output/LayerFile.h"
#include "output/ShapeWriters.h"
#include "qgis/LayerSystem.h"
#include "qgis/PrintLayout.h"
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

// The index is printed on A3, its longer side as the set's; under the margin, a band at
// the top holds the title and the scale (mm, points).
constexpr Paper INDEX_PAPER = Paper::A3;
constexpr double TITLE_LINE_MM = 8.0;
constexpr double SCALE_LINE_MM = 5.0;
constexpr int TITLE_SIZE_PT = 14;
constexpr int SCALE_SIZE_PT = 9;
constexpr const char* TITLE_FAMILY = "Arial";
constexpr double MILLIMETRES_PER_METRE = 1000.0;
// Layout scales are 1, 1.5, 2, 2.5, 3, 4, 5, 6 or 7.5 times a power of ten: the map
// takes at least two thirds of the room.
constexpr std::array<double, 9> ROUND_SCALE_STEPS = {1.0, 1.5, 2.0, 2.5, 3.0, 4.0, 5.0, 6.0, 7.5};
constexpr double DECIMAL_BASE = 10.0;

// Sheet boundaries, and the heavier boundaries of the 1:1 000 000 sheets (mm on paper).
constexpr double OUTLINE_WIDTH_MM = 0.2;
constexpr double MILLION_OUTLINE_WIDTH_MM = 0.7;
// The parts of a 1:200 000 sheet's outline that lie on the boundary of its 1:1 000 000
// sheet (6 by 4 degrees, from 0 and the equator): all of the outline but what lies inside
// that sheet by more than a twentieth of a degree, which leaves room for the GSK-2011
// outlines moved off the degree lines by up to a hundredth of a degree.
constexpr std::string_view MILLION_EDGES =
    "with_variable('w', floor(x(centroid($geometry)) / 6) * 6, "
    "with_variable('s', floor(y(centroid($geometry)) / 4) * 4, "
    "difference(boundary($geometry), make_rectangle_3points(make_point(@w + 0.05, @s + 0.05), "
    "make_point(@w + 5.95, @s + 0.05), make_point(@w + 5.95, @s + 3.95)))))";
constexpr const char* LABEL_FAMILY = "Arial";
// How wide a name's characters are, in parts of the font size, in the label family:
// capitals at most (but M, O, Q, a tenth more), figures, and commas, hyphens and I. A name
// takes up at most this share of its sheet's width where its top reaches, and of its
// height. On paper a name is at most LABEL_LARGEST_MM high, and smaller than 2 mm only
// where a sheet leaves no room for more.
constexpr double CAPITAL_EM = 0.72;
constexpr double FIGURE_EM = 0.56;
constexpr double NARROW_EM = 0.3;
constexpr double LABEL_WIDTH_SHARE = 0.85;
constexpr double LABEL_HEIGHT_SHARE = 0.2;
constexpr double LABEL_LARGEST_MM = 5.0;
// The name lies about the middle of its sheet (the centroid of a sheet that narrows to the
// north lies south of it), so the top of its box, a fifth higher than its size, reaches at
// most this share of the height up.
constexpr double LABEL_TOP_SHARE = 0.5 + 1.2 * LABEL_HEIGHT_SHARE / 2.0 + 0.03;
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
    if (Outcome created = createLayer(request.cs, ShapeType::Polygon, layerName,
                                      sheetIndexSchema().fields, layer);
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

// How large the names of the sheets whose northern edge is north may be, in metres of the
// plane: the width a degree of longitude leaves a name (the conic's scale is the same all
// along a parallel), and the height the lowest of them leaves (or the largest size, when
// less).
struct LabelBand {
    double north = 0.0;
    double widthPerDegree = 0.0;
    double largestMetres = 0.0;
};

std::vector<LabelBand> labelBands(const std::vector<SheetIdentity>& sheets,
                                  const LambertConformalConic& projection, double largestMetres) {
    std::map<double, LabelBand> bandByNorth;
    for (const SheetIdentity& sheet : sheets) {
        const DrawingRect t = trapezoidOf(sheet);
        const double middleLon = (t.west + t.east) / 2.0;
        const double labelTop = t.south + (t.north - t.south) * LABEL_TOP_SHARE;
        const double width = planeDistance(projection, {t.west, labelTop}, {t.east, labelTop});
        const double height = planeDistance(projection, {middleLon, t.south}, {middleLon, t.north});
        const LabelBand own{t.north, width * LABEL_WIDTH_SHARE / (t.east - t.west),
                            std::min(largestMetres, height * LABEL_HEIGHT_SHARE)};
        const auto [band, added] = bandByNorth.try_emplace(t.north, own);
        band->second.widthPerDegree = std::min(band->second.widthPerDegree, own.widthPerDegree);
        band->second.largestMetres = std::min(band->second.largestMetres, own.largestMetres);
    }
    std::vector<LabelBand> bands;
    bands.reserve(bandByNorth.size());
    for (const auto& entry : bandByNorth) bands.push_back(entry.second);
    return bands;
}

// A name's width in parts of its size, from its characters.
std::string nameWidthExpression() {
    const std::string figures = "length(regexp_replace(\"Nom\", '[^0-9]', ''))";
    const std::string narrow = "length(regexp_replace(\"Nom\", '[^,I-]', ''))";
    std::string expression = "(";
    expression += decimalText(CAPITAL_EM);
    expression += " * (length(\"Nom\") - " + figures + " - " + narrow + ") + ";
    expression += decimalText(FIGURE_EM) + " * " + figures + " + ";
    expression += decimalText(NARROW_EM) + " * " + narrow + ")";
    return expression;
}

std::string bandSize(const LabelBand& band) {
    return "min(" + decimalText(band.widthPerDegree) +
           " * (x_max($geometry) - x_min($geometry)) / " + nameWidthExpression() + ", " +
           decimalText(band.largestMetres) + ")";
}

// The size of each name by its sheet's band (the sheet's middle lies south of its band's
// northern edge and north of the band below) and its letters.
std::string labelSizeExpression(const std::vector<LabelBand>& bands) {
    std::string expression = "CASE";
    for (std::size_t i = 0; i + 1 < bands.size(); ++i) {
        expression += " WHEN y(centroid($geometry)) < " + decimalText(bands[i].north) + " THEN " +
                      bandSize(bands[i]);
    }
    return expression + " ELSE " + bandSize(bands.back()) + " END";
}

// The angle by which the parallels of the index's conic turn at a sheet's middle, in degrees
// in the labelling's own sense of rotation: the cone's constant times the longitude from
// the central meridian.
std::string labelAngleExpression(const LambertConformalConic& projection) {
    const double lon = projection.centralMeridian + 1.0;
    const double lat = projection.originLatitude;
    const Point a = projectLambertConformalConic(projection, {lon, lat});
    const Point b = projectLambertConformalConic(projection, {lon, lat + 1.0});
    const double degreesPerDegree = std::atan2(b.x - a.x, b.y - a.y) * 180.0 / std::numbers::pi;
    return decimalText(degreesPerDegree) + " * ((x(centroid($geometry)) - " +
           decimalText(projection.centralMeridian) + " + 540) % 360 - 180)";
}

std::string nameLabelling(const std::vector<LabelBand>& bands,
                          const LambertConformalConic& projection) {
    return std::string(
               "<labeling type=\"simple\"><settings calloutType=\"simple\">"
               "<text-style fieldName=\"Nom\" isExpression=\"0\" fontFamily=\"") +
           LABEL_FAMILY + R"(" fontSize=")" + decimalText(bands.back().largestMetres) +
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
           "fontLimitPixelSize=\"0\" minFeatureSize=\"0\"/>" +
           labelSizeAndAngleProperties(labelSizeExpression(bands),
                                       labelAngleExpression(projection)) +
           "</settings></labeling>";
}

// Sheet boundaries, and in a 1:200 000 index the 1:1 000 000 sheets' boundaries heavier.
std::string indexRenderer(Series setScale) {
    if (setScale == Series::Scale1m) {
        return singleSymbolRenderer(outlineSymbol("0", MILLION_OUTLINE_WIDTH_MM));
    }
    return singleSymbolRenderer(outlineSymbolWithLine("0", OUTLINE_WIDTH_MM, MILLION_EDGES,
                                                      LineLook{MILLION_OUTLINE_WIDTH_MM}));
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

// The smallest round scale at which the plane box fits room (mm).
double layoutDenominator(const PlaneBox& box, const LayoutPage& room) {
    const double needed =
        std::max((box.xMax - box.xMin) / room.widthMm, (box.yMax - box.yMin) / room.heightMm) *
        MILLIMETRES_PER_METRE;
    const double power = std::pow(DECIMAL_BASE, std::floor(std::log10(needed)));
    for (const double step : ROUND_SCALE_STEPS) {
        if (step * power >= needed) return step * power;
    }
    return DECIMAL_BASE * power;
}

// The index's layout: the title and the scale at the top of the page, the map at a round
// scale in the room below them.
std::string indexLayout(const IndexRequest& request, const PlaneBox& box, double denominator,
                        const LayoutPage& page) {
    const double heading = TITLE_LINE_MM + SCALE_LINE_MM;
    const LayoutPage room{page.widthMm - 2.0 * ISO_PAGE_MARGIN_MM,
                          page.heightMm - 2.0 * ISO_PAGE_MARGIN_MM - heading};
    const double metresPerMm = denominator / MILLIMETRES_PER_METRE;
    const AreaOnPage at{
        page, ISO_PAGE_MARGIN_MM + (room.widthMm - (box.xMax - box.xMin) / metresPerMm) / 2.0,
        ISO_PAGE_MARGIN_MM + heading + (room.heightMm - (box.yMax - box.yMin) / metresPerMm) / 2.0};
    const std::string title = "Сборная таблица листов " + request.setName;
    return layoutXml(INDEX_LAYOUT, page,
                     layoutMapItem({"map", {}, {}, 1, {}}, box, denominator, at) +
                         layoutTextItem({"title", title, 0.0, ISO_PAGE_MARGIN_MM, page.widthMm,
                                         TITLE_LINE_MM, TITLE_SIZE_PT, LAYOUT_WEIGHT_BOLD},
                                        TITLE_FAMILY) +
                         layoutTextItem({"scale", scaleText(denominator), 0.0,
                                         ISO_PAGE_MARGIN_MM + TITLE_LINE_MM, page.widthMm,
                                         SCALE_LINE_MM, SCALE_SIZE_PT},
                                        TITLE_FAMILY));
}

// The style file beside the layer and the project beside the index folder.
Outcome writeIndexProject(const IndexRequest& request, const fs::path& layerBase,
                          const fs::path& projectPath) {
    const DrawingRect bounds = boundsOf(request.sheets);
    const std::optional<LambertConformalConic> projection = sheetProjectionOf(request.cs, bounds);
    const std::optional<GeographicSystem> geographic =
        geographicSystemOf(projectionText(request.cs));
    const std::optional<ShiftToWgs84> shift = shiftToWgs84(request.cs);
    if (!projection || !geographic || !shift) {
        return Outcome::failure("the coordinate system has no projection text");
    }
    const PlaneBox box = projectedExtent(*projection, bounds);
    const LayoutPage page = paperTurnedAs(INDEX_PAPER, {box.xMax - box.xMin, box.yMax - box.yMin});
    const double denominator = layoutDenominator(
        box, {page.widthMm - 2.0 * ISO_PAGE_MARGIN_MM,
              page.heightMm - 2.0 * ISO_PAGE_MARGIN_MM - TITLE_LINE_MM - SCALE_LINE_MM});
    const LayerStyle style{
        StyleGeometry::Polygon, indexRenderer(request.sheets.front().setScale),
        nameLabelling(labelBands(request.sheets, *projection,
                                 LABEL_LARGEST_MM * denominator / MILLIMETRES_PER_METRE),
                      *projection)};
    if (Outcome written = writeStyleFile(layerBase.generic_string(), style); !written) {
        return written;
    }
    // The index layer keeps longitudes within -180..180: it needs no wrap.
    const std::string project = projectDocument(
        INDEX_TITLE, {ProjectLayer(INDEX_LAYER, INDEX_FOLDER, "Polygon", style, openAction())},
        layerSystemText(*geographic, *shift, 0.0), sheetProjectionText(request.cs, *projection),
        indexLayout(request, box, denominator, page));
    return writeFileAtomically(projectPath.generic_string(), project);
}

// Temporary files that a killed run left: any in the index folder, and those of the project
// and of its PDF in the result folder, which may hold the user's own (never through a link).
void removeLeftovers(int holder, int index) {
    const auto namesOf = [](int folder) {
        return entryNamesOf(folder).value_or(std::vector<std::string>{});
    };
    removeTemporaryFiles(index, namesOf(index), [](std::string_view) { return true; });
    const std::string pdf = fs::path(INDEX_PROJECT).replace_extension(PDF_EXTENSION).string();
    removeTemporaryFiles(holder, namesOf(holder), [&pdf](std::string_view finalName) {
        return finalName == INDEX_PROJECT || finalName == pdf;
    });
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
    removeLeftovers(lock.descriptor(), index.descriptor());
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
