#include "frame/MinuteFrame.h"

#include <cmath>
#include <optional>

#include "sheet/Grid.h"

namespace sheetbasis {

namespace {

constexpr double MINUTES_PER_DEGREE = 60.0;
// Far more divisions than the 1440 one-minute divisions of a quadruple sheet; a walk
// longer than this has been given values that no sheet has, and stops.
constexpr int MAX_DIVISIONS = 100000;

// One side of the minute band: the divisions run from `from` to `to` and are counted
// from anchor; parity tells whether the division beginning at the anchor gets its
// centre line.
struct DivisionWalk {
    double anchor;
    double from;
    double to;
    double step;
    bool parity;
};

// Where the walk begins: the start of the first division, whether a division line is
// drawn there, the end of that division and the parity of that division.
struct FirstDivision {
    double start;
    double end;
    bool line;
    bool parity;
};

// Steps from the anchor to the first division of the side; nothing when the side has no
// division at all.
std::optional<FirstDivision> firstDivision(const DivisionWalk& w) {
    double x = w.anchor;
    bool parity = w.parity;
    if (equalOnGrid(x, w.from)) return FirstDivision{x, x + w.step, true, parity};
    if (x < w.from) {
        // The anchor lies before the sheet: the scale begins at the first division point
        // inside it, the part before that point is left undrawn.
        for (int n = 0; !equalOnGrid(x, w.from) && x < w.from; ++n) {
            if (n == MAX_DIVISIONS) return std::nullopt;
            x = x + w.step;
            parity = !parity;
        }
        if (equalOnGrid(x, w.from)) {
            x = w.from;
        } else if (x >= w.to) {
            return std::nullopt;
        }
        return FirstDivision{x, x + w.step, true, parity};
    }
    // The anchor lies inside or beyond the sheet: walk back past its start; the first
    // division is then the partial one that contains the sheet corner.
    for (int n = 0; !equalOnGrid(x, w.from) && x > w.from; ++n) {
        if (n == MAX_DIVISIONS) return std::nullopt;
        x = x - w.step;
        parity = !parity;
    }
    if (equalOnGrid(x, w.from)) return FirstDivision{w.from, w.from + w.step, true, parity};
    return FirstDivision{w.from, x + w.step, false, parity};
}

// Walks the divisions of one side: tick(position) draws a division line, bar(from, to)
// the centre line of a division.
template <typename Tick, typename Bar>
DrawStatus walkDivisions(const DivisionWalk& w, Tick tick, Bar bar) {
    // A non-positive step has no divisions to walk.
    if (!(w.step > 0.0) || !std::isfinite(w.step)) return DrawStatus::Drawn;
    const std::optional<FirstDivision> first = firstDivision(w);
    if (!first) return DrawStatus::Drawn;
    double x = first->start;
    double next = first->end;
    bool parity = first->parity;
    if (first->line && tick(x) != DrawStatus::Drawn) return DrawStatus::NotWritten;
    for (int n = 0;; ++n) {
        bool line = true;
        // The last division ends at the sheet edge; a division line is drawn there only
        // when a division point falls on the edge.
        bool last = true;
        if (equalOnGrid(next, w.to)) {
            next = w.to;
        } else if (next < w.to) {
            last = false;
        } else {
            next = w.to;
            line = false;
        }
        if (line && tick(next) != DrawStatus::Drawn) return DrawStatus::NotWritten;
        if (parity && bar(x, next) != DrawStatus::Drawn) return DrawStatus::NotWritten;
        if (last || n == MAX_DIVISIONS) return DrawStatus::Drawn;
        parity = !parity;
        x = next;
        next = x + w.step;
    }
}

// Signed offsets in map millimetres of the band's two lines and of its centre line from a
// sheet edge: positive out to the north or east, negative out to the south or west. The
// first line is always the one with the smaller offset.
struct BandOffsets {
    double first;
    double second;
    double centre;
};

BandOffsets bandOffsets(const FrameSettings& settings, bool northOrEast) {
    const double d1 = settings.minuteFrameOffset;
    const double d2 = settings.minuteFrameWidth;
    if (northOrEast) return {d1, d1 + d2, d1 + d2 / 2};
    return {-(d1 + d2), -d1, -(d1 + d2 / 2)};
}

}  // namespace

DrawStatus writeMinuteFrame(Layer& frame, const FrameSettings& settings, const FrameSheet& sheet,
                            VertexBuffer& work) {
    const double inner = settings.minuteFrameOffset;
    const double outer = settings.minuteFrameOffset + settings.minuteFrameWidth;
    const int code = settings.minuteFrameCode;
    if (writeFrameContour(frame, code, inner, sheet, work) != DrawStatus::Drawn ||
        writeFrameContour(frame, code, outer, sheet, work) != DrawStatus::Drawn ||
        writeMinuteTicksNorthSouth(true, frame, settings, sheet, work) != DrawStatus::Drawn ||
        writeMinuteTicksNorthSouth(false, frame, settings, sheet, work) != DrawStatus::Drawn ||
        writeMinuteTicksWestEast(true, frame, settings, sheet, work) != DrawStatus::Drawn ||
        writeMinuteTicksWestEast(false, frame, settings, sheet, work) != DrawStatus::Drawn) {
        return DrawStatus::NotWritten;
    }
    return DrawStatus::Drawn;
}

DrawStatus writeMinuteTicksNorthSouth(bool north, Layer& frame, const FrameSettings& settings,
                                      const FrameSheet& sheet, VertexBuffer& work) {
    const double M = sheet.scale;
    const double R = sheet.radius;
    const DrawingRect& r = sheet.rect;
    const double edge = north ? r.north : r.south;
    const BandOffsets band = bandOffsets(settings, north);
    const double y1 = latitudeOffsetBy(edge, band.first, M, R);
    const double y2 = latitudeOffsetBy(edge, band.second, M, R);
    const double yc = latitudeOffsetBy(edge, band.centre, M, R);
    const DivisionWalk walk{sheet.base.west, r.west, r.east, sheet.xMinute / MINUTES_PER_DEGREE,
                            settings.minuteParityX};
    return walkDivisions(
        walk,
        [&](double x) {
            return writeSegment(frame, settings.minuteTickCode, {x, y1}, {x, y2}, work);
        },
        [&](double from, double to) {
            work.clear();
            appendOffsetParallel(yc, 0.0, from, to, M, R, r.west, sheet.lonStep, work);
            return writeLine(frame, codeAttributes(settings.minuteBarCode), work);
        });
}

DrawStatus writeMinuteTicksWestEast(bool west, Layer& frame, const FrameSettings& settings,
                                    const FrameSheet& sheet, VertexBuffer& work) {
    const double M = sheet.scale;
    const double R = sheet.radius;
    const DrawingRect& r = sheet.rect;
    const double ref = west ? r.west : r.east;
    const BandOffsets band = bandOffsets(settings, !west);
    const double o1 = band.first;
    const double o2 = band.second;
    const double oc = band.centre;
    const DivisionWalk walk{sheet.base.south, r.south, r.north, sheet.yMinute / MINUTES_PER_DEGREE,
                            settings.minuteParityY};
    return walkDivisions(
        walk,
        [&](double y) {
            return writeSegment(frame, settings.minuteTickCode,
                                {longitudeOffsetBy(ref, y, o1, M, R), y},
                                {longitudeOffsetBy(ref, y, o2, M, R), y}, work);
        },
        [&](double from, double to) {
            work.clear();
            appendOffsetMeridian(ref, oc, from, to, M, R, r.south, sheet.latStep, work);
            return writeLine(frame, codeAttributes(settings.minuteBarCode), work);
        });
}

}  // namespace sheetbasis
