#include "frame/OuterFrame.h"

#include "frame/FontMetrics.h"
#include "sheet/Text.h"

namespace sheetbasis {

namespace {

// A gap in one side of the outer line, from `from` to `to` along the side (latitudes on
// the west and east sides, longitudes on the north and south sides). A side without a
// name has a gap of length 0 at its midpoint, which still splits the line there.
struct Gap {
    double length = 0.0;  // mm
    double from = 0.0;
    double to = 0.0;
};

struct OuterLine {
    const FrameSheet& sheet;
    double d;      // offset of the outer line, mm
    double north;  // latitude of its north side
    double south;  // latitude of its south side

    // Along the north (south) side of the outer line.
    void parallel(bool northSide, double from, double to, Line& out) const {
        const DrawingRect& r = sheet.rect;
        appendOffsetParallel(sheet, northSide ? r.north : r.south, northSide ? d : -d,
                             {from, to, r.west, sheet.lonStep}, out);
    }
    // Along the west (east) side of the outer line.
    void meridian(bool westSide, double from, double to, Line& out) const {
        const DrawingRect& r = sheet.rect;
        appendOffsetMeridian(sheet, westSide ? r.west : r.east, westSide ? -d : d,
                             {from, to, r.south, sheet.latStep}, out);
    }
    // The corner of the outer line on the given sides.
    double cornerLon(bool westSide, bool northSide) const {
        const DrawingRect& r = sheet.rect;
        return longitudeOffsetBy(sheet, westSide ? r.west : r.east, northSide ? north : south,
                                 westSide ? -d : d);
    }
};

// The gap of a neighbour's name on one side: none on a side that was cut away from the
// nominal sheet, none for a name that would not fit strictly inside the side.
struct GapFinder {
    const FrameSettings& settings;
    const FrameSheet& sheet;

    double length(const std::string& name, bool sideIsNominal) const {
        if (!sideIsNominal || name.empty()) return 0.0;
        const TextExtent extent = measureText(name, settings.adjacentLabelFont,
                                              settings.adjacentLabelSize, TrimMode::Both);
        return extent.width + NAME_GAP_ALLOWANCE_MM;
    }
    // A gap across the west or east side, centred on the mid-latitude.
    Gap alongMeridian(double g) const {
        const DrawingRect& r = sheet.rect;
        const double mid = (r.south + r.north) / 2;
        const double from = latitudeOffsetBy(sheet, mid, -g / 2);
        const double to = latitudeOffsetBy(sheet, mid, g / 2);
        if (from <= r.south || to >= r.north) return {0.0, mid, mid};
        return {g, from, to};
    }
    // A gap across the north or south side at latitude lat, centred on the mid-longitude.
    Gap alongParallel(double g, double lat) const {
        const DrawingRect& r = sheet.rect;
        const double mid = (r.west + r.east) / 2;
        const double from = longitudeOffsetBy(sheet, mid, lat, -g / 2);
        const double to = longitudeOffsetBy(sheet, mid, lat, g / 2);
        if (from <= r.west || to >= r.east) return {0.0, mid, mid};
        return {g, from, to};
    }
};

struct SideGaps {
    Gap north;
    Gap south;
    Gap west;
    Gap east;
};

SideGaps findGaps(const FrameSettings& settings, const OuterLine& line,
                  const AdjacentNames& names) {
    const GapFinder finder{settings, line.sheet};
    const DrawingRect& r = line.sheet.requested;
    const DrawingRect& base = line.sheet.base;
    SideGaps gaps;
    gaps.west = finder.alongMeridian(
        finder.length(trimTrailing(names.west), equalOnGrid(r.west, base.west)));
    gaps.east = finder.alongMeridian(
        finder.length(trimTrailing(names.east), equalOnGrid(r.east, base.east)));
    gaps.south = finder.alongParallel(
        finder.length(trimTrailing(names.south), equalOnGrid(r.south, base.south)), line.south);
    gaps.north = finder.alongParallel(
        finder.length(trimTrailing(names.north), equalOnGrid(r.north, base.north)), line.north);
    return gaps;
}

// The four pieces of the outer line between the gaps, each turning one corner.
std::vector<FrameLine> brokenOuterLine(std::int32_t code, const OuterLine& line,
                                       const SideGaps& gaps) {
    const auto piece = [&](auto firstLeg, auto secondLeg) {
        FrameLine feature{{}, code};
        firstLeg(feature.line);
        // The second leg starts where the first one ends.
        feature.line.pop_back();
        secondLeg(feature.line);
        return feature;
    };
    std::vector<FrameLine> pieces;
    pieces.push_back(piece(
        [&](Line& l) { line.meridian(true, gaps.west.to, line.north, l); },
        [&](Line& l) { line.parallel(true, line.cornerLon(true, true), gaps.north.from, l); }));
    pieces.push_back(
        piece([&](Line& l) { line.parallel(true, gaps.north.to, line.cornerLon(false, true), l); },
              [&](Line& l) { line.meridian(false, line.north, gaps.east.to, l); }));
    pieces.push_back(piece(
        [&](Line& l) { line.meridian(false, gaps.east.from, line.south, l); },
        [&](Line& l) { line.parallel(false, line.cornerLon(false, false), gaps.south.to, l); }));
    pieces.push_back(piece(
        [&](Line& l) { line.parallel(false, gaps.south.from, line.cornerLon(true, false), l); },
        [&](Line& l) { line.meridian(true, line.south, gaps.west.from, l); }));
    return pieces;
}

// The names of the neighbours in the gaps, north, south, west, east; each label line is
// the gap itself, west to east or south to north.
std::vector<Label> adjacentNames(const FrameSettings& settings, const OuterLine& line,
                                 const SideGaps& gaps, const AdjacentNames& names) {
    std::vector<Label> labels;
    const auto label = [&](const Gap& gap, const std::string& name, bool alongParallel,
                           bool firstSide) {
        if (gap.length == 0.0) return;
        Label& feature = labels.emplace_back(
            Label{{},
                  {settings.adjacentLabelCode, trimTrailing(name),
                   std::string(fontName(settings.adjacentLabelFont)), settings.adjacentLabelSize}});
        if (alongParallel) {
            line.parallel(firstSide, gap.from, gap.to, feature.centreLine);
        } else {
            line.meridian(firstSide, gap.from, gap.to, feature.centreLine);
        }
    };
    label(gaps.north, names.north, true, true);
    label(gaps.south, names.south, true, false);
    label(gaps.west, names.west, false, true);
    label(gaps.east, names.east, false, false);
    return labels;
}

OuterFrame outerLine(const FrameSettings& f, const FrameSheet& sheet, const AdjacentNames& names) {
    const double d = f.outerLineOffset;
    if (f.outerLineMode == OUTER_LINE_FLANKED) {
        return {{frameContour(sheet, f.outerThinLineCode, d - f.outerLineGap),
                 frameContour(sheet, f.outerThinLineCode, d + f.outerLineGap),
                 frameContour(sheet, f.outerLineCode, d)},
                {}};
    }
    if (f.outerLineMode != OUTER_LINE_SINGLE) return {};
    if (!f.adjacentLabelsOn) return {{frameContour(sheet, f.outerLineCode, d)}, {}};
    const OuterLine line{sheet, d, latitudeOffsetBy(sheet, sheet.rect.north, d),
                         latitudeOffsetBy(sheet, sheet.rect.south, -d)};
    const SideGaps gaps = findGaps(f, line, names);
    return {brokenOuterLine(f.outerLineCode, line, gaps), adjacentNames(f, line, gaps, names)};
}

// Ticks across the strip between the sheet edge and the minute band: parallels on the
// west and east sides, then meridians on the north and south sides.
std::vector<FrameLine> graticuleTicks(const FrameSettings& f, const FrameSheet& sheet,
                                      const GraticuleValues& graticule) {
    const DrawingRect& r = sheet.rect;
    const double d1 = f.minuteFrameOffset;
    std::vector<FrameLine> ticks;
    for (const double phi : graticule.parallels) {
        ticks.push_back({{{longitudeOffsetBy(sheet, r.west, phi, -d1), phi}, {r.west, phi}},
                         f.outerFrameCodeB});
        ticks.push_back(
            {{{r.east, phi}, {longitudeOffsetBy(sheet, r.east, phi, d1), phi}}, f.outerFrameCodeB});
    }
    for (const double lam : graticule.meridians) {
        ticks.push_back(
            {{{lam, r.north}, {lam, latitudeOffsetBy(sheet, r.north, d1)}}, f.outerFrameCodeA});
        ticks.push_back(
            {{{lam, r.south}, {lam, latitudeOffsetBy(sheet, r.south, -d1)}}, f.outerFrameCodeA});
    }
    return ticks;
}

}  // namespace

OuterFrame outerFrame(const FrameSettings& settings, const FrameSheet& sheet,
                      const AdjacentNames& adjacent, const GraticuleValues& graticule) {
    OuterFrame frame = outerLine(settings, sheet, adjacent);
    if (settings.outerFrameOn)
        appendFeatures(frame.lines, graticuleTicks(settings, sheet, graticule));
    return frame;
}

}  // namespace sheetbasis
