#include "frame/OuterFrame.h"

#include "frame/CoordLabels.h"
#include "frame/FontMetrics.h"
#include "frame/LabelStyle.h"
#include "sheet/Grid.h"
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

    double M() const { return sheet.scale; }
    double R() const { return sheet.radius; }
    // Along the north (south) side of the outer line.
    void parallel(bool northSide, double from, double to, VertexBuffer& out) const {
        const DrawingRect& r = sheet.rect;
        appendOffsetParallel(northSide ? r.north : r.south, northSide ? d : -d, from, to, M(), R(),
                             r.west, sheet.lonStep, out);
    }
    // Along the west (east) side of the outer line.
    void meridian(bool westSide, double from, double to, VertexBuffer& out) const {
        const DrawingRect& r = sheet.rect;
        appendOffsetMeridian(westSide ? r.west : r.east, westSide ? -d : d, from, to, M(), R(),
                             r.south, sheet.latStep, out);
    }
    // The corner of the outer line on the given sides.
    double cornerLon(bool westSide, bool northSide) const {
        const DrawingRect& r = sheet.rect;
        return longitudeOffsetBy(westSide ? r.west : r.east, northSide ? north : south,
                                 westSide ? -d : d, M(), R());
    }
};

// The gap of a neighbour's name on one side: none on a side that was cut away from the
// nominal sheet, none for a name that would not fit strictly inside the side.
struct GapFinder {
    const FrameSettings& settings;
    const FrameSheet& sheet;

    double length(const std::string& name, bool sideIsNominal) const {
        if (!sideIsNominal || name.empty()) return 0.0;
        const TextExtent extent =
            measureText(name, settings.adjacentLabelFont, settings.adjacentLabelSize, TRIM_BOTH);
        return extent.width + NAME_GAP_ALLOWANCE_MM;
    }
    // A gap across the west or east side, centred on the mid-latitude.
    Gap alongMeridian(double g) const {
        const DrawingRect& r = sheet.rect;
        const double mid = (r.south + r.north) / 2;
        const double from = latitudeOffsetBy(mid, -g / 2, sheet.scale, sheet.radius);
        const double to = latitudeOffsetBy(mid, g / 2, sheet.scale, sheet.radius);
        if (from <= r.south || to >= r.north) return {0.0, mid, mid};
        return {g, from, to};
    }
    // A gap across the north or south side at latitude lat, centred on the mid-longitude.
    Gap alongParallel(double g, double lat) const {
        const DrawingRect& r = sheet.rect;
        const double mid = (r.west + r.east) / 2;
        const double from = longitudeOffsetBy(mid, lat, -g / 2, sheet.scale, sheet.radius);
        const double to = longitudeOffsetBy(mid, lat, g / 2, sheet.scale, sheet.radius);
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
DrawStatus writeBrokenOuterLine(Layer& frame, std::int32_t code, const OuterLine& line,
                                const SideGaps& gaps, VertexBuffer& work) {
    const auto piece = [&](auto firstLeg, auto secondLeg) {
        work.clear();
        firstLeg();
        // The second leg starts where the first one ends.
        work.dropLast();
        secondLeg();
        return writeLine(frame, codeAttributes(code), work);
    };
    const auto nw =
        piece([&] { line.meridian(true, gaps.west.to, line.north, work); },
              [&] { line.parallel(true, line.cornerLon(true, true), gaps.north.from, work); });
    if (nw != DrawStatus::Drawn) return nw;
    const auto ne =
        piece([&] { line.parallel(true, gaps.north.to, line.cornerLon(false, true), work); },
              [&] { line.meridian(false, line.north, gaps.east.to, work); });
    if (ne != DrawStatus::Drawn) return ne;
    const auto se =
        piece([&] { line.meridian(false, gaps.east.from, line.south, work); },
              [&] { line.parallel(false, line.cornerLon(false, false), gaps.south.to, work); });
    if (se != DrawStatus::Drawn) return se;
    return piece([&] { line.parallel(false, gaps.south.from, line.cornerLon(true, false), work); },
                 [&] { line.meridian(true, line.south, gaps.west.from, work); });
}

// The names of the neighbours in the gaps, north, south, west, east; each label line is
// the gap itself, west to east or south to north.
DrawStatus writeAdjacentNames(Layer& adjacent, const FrameSettings& settings, const OuterLine& line,
                              const SideGaps& gaps, const AdjacentNames& names,
                              VertexBuffer& work) {
    const auto label = [&](const Gap& gap, const std::string& name, bool alongParallel,
                           bool firstSide) {
        if (gap.length == 0.0) return DrawStatus::Drawn;
        work.clear();
        if (alongParallel) {
            line.parallel(firstSide, gap.from, gap.to, work);
        } else {
            line.meridian(firstSide, gap.from, gap.to, work);
        }
        return writeLine(adjacent,
                         labelAttributes(settings.adjacentLabelCode, trimTrailing(name),
                                         settings.adjacentLabelFont, settings.adjacentLabelSize),
                         work);
    };
    if (label(gaps.north, names.north, true, true) != DrawStatus::Drawn ||
        label(gaps.south, names.south, true, false) != DrawStatus::Drawn ||
        label(gaps.west, names.west, false, true) != DrawStatus::Drawn ||
        label(gaps.east, names.east, false, false) != DrawStatus::Drawn) {
        return DrawStatus::NotWritten;
    }
    return DrawStatus::Drawn;
}

DrawStatus writeOuterLine(FrameLayers& layers, const FrameSettings& f, const FrameSheet& sheet,
                          const AdjacentNames& names, VertexBuffer& work) {
    const double d = f.outerLineOffset;
    if (f.outerLineMode == OUTER_LINE_FLANKED) {
        if (writeFrameContour(layers.frame, f.outerThinLineCode, d - f.outerLineGap, sheet, work) !=
                DrawStatus::Drawn ||
            writeFrameContour(layers.frame, f.outerThinLineCode, d + f.outerLineGap, sheet, work) !=
                DrawStatus::Drawn) {
            return DrawStatus::NotWritten;
        }
        return writeFrameContour(layers.frame, f.outerLineCode, d, sheet, work);
    }
    if (f.outerLineMode != OUTER_LINE_SINGLE) return DrawStatus::Drawn;
    if (!f.adjacentLabelsOn)
        return writeFrameContour(layers.frame, f.outerLineCode, d, sheet, work);
    const OuterLine line{sheet, d, latitudeOffsetBy(sheet.rect.north, d, sheet.scale, sheet.radius),
                         latitudeOffsetBy(sheet.rect.south, -d, sheet.scale, sheet.radius)};
    const SideGaps gaps = findGaps(f, line, names);
    if (writeBrokenOuterLine(layers.frame, f.outerLineCode, line, gaps, work) !=
        DrawStatus::Drawn) {
        return DrawStatus::NotWritten;
    }
    return writeAdjacentNames(layers.adjacent, f, line, gaps, names, work);
}

// Ticks across the strip between the sheet edge and the minute band: parallels on the
// west and east sides, then meridians on the north and south sides.
DrawStatus writeGraticuleTicks(Layer& frame, const FrameSettings& f, const FrameSheet& sheet,
                               const std::vector<double>& parallels,
                               const std::vector<double>& meridians, VertexBuffer& work) {
    const DrawingRect& r = sheet.rect;
    const double d1 = f.minuteFrameOffset;
    const double M = sheet.scale;
    const double R = sheet.radius;
    for (const double phi : parallels) {
        if (writeSegment(frame, f.outerFrameCodeB, {longitudeOffsetBy(r.west, phi, -d1, M, R), phi},
                         {r.west, phi}, work) != DrawStatus::Drawn ||
            writeSegment(frame, f.outerFrameCodeB, {r.east, phi},
                         {longitudeOffsetBy(r.east, phi, d1, M, R), phi},
                         work) != DrawStatus::Drawn) {
            return DrawStatus::NotWritten;
        }
    }
    for (const double lam : meridians) {
        if (writeSegment(frame, f.outerFrameCodeA, {lam, r.north},
                         {lam, latitudeOffsetBy(r.north, d1, M, R)}, work) != DrawStatus::Drawn ||
            writeSegment(frame, f.outerFrameCodeA, {lam, r.south},
                         {lam, latitudeOffsetBy(r.south, -d1, M, R)}, work) != DrawStatus::Drawn) {
            return DrawStatus::NotWritten;
        }
    }
    return DrawStatus::Drawn;
}

}  // namespace

DrawStatus writeOuterFrame(FrameLayers& layers, const FrameSettings& settings,
                           const FrameSheet& sheet, const AdjacentNames& adjacent,
                           const std::vector<double>& parallels,
                           const std::vector<double>& meridians, VertexBuffer& work) {
    if (writeOuterLine(layers, settings, sheet, adjacent, work) != DrawStatus::Drawn) {
        return DrawStatus::NotWritten;
    }
    if (settings.outerFrameOn && writeGraticuleTicks(layers.frame, settings, sheet, parallels,
                                                     meridians, work) != DrawStatus::Drawn) {
        return DrawStatus::NotWritten;
    }
    if (settings.coordLabelsOn && writeCoordinateLabels(layers.digits, settings, sheet, parallels,
                                                        meridians, work) != DrawStatus::Drawn) {
        return DrawStatus::NotWritten;
    }
    return DrawStatus::Drawn;
}

}  // namespace sheetbasis
