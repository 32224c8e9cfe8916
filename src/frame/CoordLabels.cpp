#include "frame/CoordLabels.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>

#include "frame/FontMetrics.h"
#include "sheet/AngleText.h"
#include "sheet/Cp1251.h"
#include "sheet/Text.h"

namespace sheetbasis {

namespace {

// A label text holds at most this many characters.
constexpr std::size_t COORD_TEXT_LENGTH = 10;
// Room for any double written without exponent.
constexpr std::size_t NUMBER_TEXT_CAPACITY = 400;
constexpr char MINUTE_SIGN = '\'';

// Map millimetres. A parallel keeps 0.8 mm free between its two labels, half on each side.
constexpr double LABEL_HALF_SPACING_MM = 0.8 / 2;
// The minute label below the parallel keeps a little more: 0.1 mm as a single-precision
// value widened to double, the value the label layout is defined with.
constexpr double MINUTE_LABEL_EXTRA_MM = 0.10000000149011612;
static_assert(MINUTE_LABEL_EXTRA_MM == static_cast<double>(0.1f));
// Distance of every label from the sheet edge.
constexpr double LABEL_EDGE_DISTANCE_MM = 1.0;
// Margin around the corner labels of the parallels that meridian labels keep clear of.
constexpr double CLEARANCE_MARGIN_MM = 0.8;

// A whole number written without exponent, decimals or padding.
std::string wholeNumberText(double v) {
    std::array<char, NUMBER_TEXT_CAPACITY> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), v, std::chars_format::fixed, 0);
    return std::string(buffer.data(), result.ptr);
}

// Where the label lines begin: 1 mm from the edge, or from the outer side of a minute
// band that lies on the edge.
double labelEdgeDistance(const FrameSettings& f) {
    const bool bandOnEdge = f.minuteFrameOn && f.minuteFrameOffset == 0.0;
    return LABEL_EDGE_DISTANCE_MM + (bandOnEdge ? f.minuteFrameWidth : 0.0);
}

// The inner corners of the labels of the southernmost and the northernmost parallel,
// enlarged by the clearance margin, which the first and last meridian labels avoid.
struct ClearanceCorners {
    Point sw;
    Point se;
    Point nw;
    Point ne;
    double northDegreeExtent = 0.0;  // height of the northernmost degree text, mm
};

// A label line from start to end along a parallel.
struct LabelLine {
    double lat;
    double start;
    double end;
};

struct LabelWriter {
    const FrameSettings& settings;
    const FrameSheet& sheet;
    std::vector<Label>& labels;

    TextExtent measure(std::string_view text, TrimMode trimMode) const {
        return measureText(text, settings.coordLabelFont, settings.coordLabelSize, trimMode);
    }
    double lat(double lat0, double s) const { return latitudeOffsetBy(sheet, lat0, s); }
    double lon(double lon0, double atLat, double s) const {
        return longitudeOffsetBy(sheet, lon0, atLat, s);
    }
    void write(const LabelLine& line, std::string text) const {
        Label& label = labels.emplace_back(
            Label{{},
                  {settings.coordLabelCode, std::move(text),
                   std::string(fontName(settings.coordLabelFont)), settings.coordLabelSize}});
        appendOffsetParallel(sheet, line.lat, 0.0,
                             {line.start, line.end, sheet.rect.west, sheet.lonStep},
                             label.centreLine);
    }
};

// The four labels of parallel phi; records the clearance corners of the first
// (southernmost) and the last (northernmost) parallel.
void addParallelLabels(const LabelWriter& out, double phi, bool first, bool last,
                       ClearanceCorners& corners) {
    const CoordTexts texts = labelTexts(phi, false);
    const TextExtent deg = out.measure(texts.degrees, TrimMode::Both);
    const TextExtent min = out.measure(texts.minutes, TrimMode::Both);
    const double h1 = deg.ascent - deg.descent;
    const double h2 = min.ascent - min.descent;
    const double w1 = deg.width;
    const double w2 = min.width;
    const double phiD = out.lat(phi, LABEL_HALF_SPACING_MM + h1 / 2);
    const double phiM = out.lat(phi, -(LABEL_HALF_SPACING_MM + h2 / 2 + MINUTE_LABEL_EXTRA_MM));
    const double g = labelEdgeDistance(out.settings);
    // Both texts start at the same distance from the west edge: the wider one ends g
    // before it.
    const double block = std::max(w1, w2) + g;
    const double W = out.sheet.rect.west;
    const double E = out.sheet.rect.east;
    const LabelLine westDeg{phiD, out.lon(W, phiD, -block), out.lon(W, phiD, w1 - block)};
    const LabelLine westMin{phiM, out.lon(W, phiM, -block), out.lon(W, phiM, w2 - block)};
    const LabelLine eastDeg{phiD, out.lon(E, phiD, g), out.lon(E, phiD, g + w1)};
    const LabelLine eastMin{phiM, out.lon(E, phiM, g), out.lon(E, phiM, g + w2)};
    if (first) {
        const double y = out.lat(phiM, -(h2 / 2 + CLEARANCE_MARGIN_MM));
        corners.sw = {out.lon(westMin.end, phiM, CLEARANCE_MARGIN_MM), y};
        corners.se = {out.lon(eastMin.start, phiM, -CLEARANCE_MARGIN_MM), y};
    }
    if (last) {
        const double y = out.lat(phiD, h1 / 2 + CLEARANCE_MARGIN_MM);
        corners.nw = {out.lon(westDeg.end, phiD, CLEARANCE_MARGIN_MM), y};
        corners.ne = {out.lon(eastDeg.start, phiD, -CLEARANCE_MARGIN_MM), y};
        corners.northDegreeExtent = h1;
    }
    out.write(westDeg, texts.degrees);
    out.write(eastDeg, texts.degrees);
    out.write(westMin, texts.minutes);
    out.write(eastMin, texts.minutes);
}

// The label of meridian lam on the north (north = true) or south margin. The blank
// between degrees and minutes sits on the meridian. The first and the last meridian label
// move away from the sheet when they would run into the corner labels of the parallels.
void addMeridianLabel(const LabelWriter& out, bool north, double lam, bool first, bool last,
                      const std::optional<ClearanceCorners>& corners) {
    const CoordTexts texts = labelTexts(lam, true);
    const TextExtent deg = out.measure(texts.degrees, TrimMode::Start);
    const TextExtent min = out.measure(texts.minutes, TrimMode::End);
    const double blank = out.measure(" ", TrimMode::None).width;
    const double hmax = std::max(deg.ascent - deg.descent, min.ascent - min.descent);
    const double before = -(blank / 2 + deg.width);
    const double after = blank / 2 + min.width;
    const double side = north ? 1.0 : -1.0;
    const double edge = north ? out.sheet.rect.north : out.sheet.rect.south;
    double g = labelEdgeDistance(out.settings);
    if (corners) {
        const double phiC = out.lat(edge, side * (hmax / 2 + g));
        const double nearEdge = out.lat(edge, side * g);
        const double lamS = out.lon(lam, phiC, before);
        const double lamE = out.lon(lam, phiC, after);
        const Point& westCorner = north ? corners->nw : corners->sw;
        const Point& eastCorner = north ? corners->ne : corners->se;
        // "Beyond" the near edge of the label: north of it on the north margin, south of
        // it on the south margin.
        const auto beyond = [&](const Point& p) { return side * (p.y - nearEdge) > 0.0; };
        const bool clash = (first && westCorner.x > lamS && beyond(westCorner)) ||
                           (last && eastCorner.x < lamE && beyond(eastCorner));
        if (clash) g = LABEL_HALF_SPACING_MM + corners->northDegreeExtent + CLEARANCE_MARGIN_MM;
    }
    const double phiC = out.lat(edge, side * (hmax / 2 + g));
    out.write({phiC, out.lon(lam, phiC, before), out.lon(lam, phiC, after)},
              texts.degrees + ' ' + texts.minutes);
}

}  // namespace

CoordTexts labelTexts(double angle, bool isLongitude) {
    double v = std::round(angle * MINUTES_PER_DEGREE) / MINUTES_PER_DEGREE;
    CoordTexts texts;
    texts.hemisphere.assign(1, ' ');
    if (isLongitude) {
        const ToldLongitude told = toldLongitude(v);
        texts.hemisphere = cp1251(told.western ? "З" : "В");
        v = told.degrees;
    }
    const WholeMinutes split = splitIntoWholeMinutes(v);
    texts.degrees = cutTo(wholeNumberText(split.degrees) + CP1251_DEGREE, COORD_TEXT_LENGTH);
    texts.minutes = cutTo(wholeNumberText(split.minutes) + MINUTE_SIGN, COORD_TEXT_LENGTH);
    return texts;
}

std::vector<Label> coordinateLabels(const FrameSettings& settings, const FrameSheet& sheet,
                                    const GraticuleValues& graticule) {
    std::vector<Label> labels;
    const LabelWriter out{settings, sheet, labels};
    const std::vector<double>& parallels = graticule.parallels;
    const std::vector<double>& meridians = graticule.meridians;
    std::optional<ClearanceCorners> corners;
    if (!parallels.empty()) corners.emplace();
    for (std::size_t i = 0; i < parallels.size(); ++i) {
        addParallelLabels(out, parallels[i], i == 0, i + 1 == parallels.size(), *corners);
    }
    for (std::size_t j = 0; j < meridians.size(); ++j) {
        const bool first = j == 0;
        const bool last = j + 1 == meridians.size();
        addMeridianLabel(out, true, meridians[j], first, last, corners);
        addMeridianLabel(out, false, meridians[j], first, last, corners);
    }
    return labels;
}

}  // namespace sheetbasis
