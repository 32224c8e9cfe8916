#include "frame/MinuteFrame.h"

#include <cmath>
#include <optional>

#include "sheet/AngleText.h"
#include "sheet/Grid.h"

namespace sheetbasis {

namespace {

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
void walkDivisions(const DivisionWalk& w, Tick tick, Bar bar) {
    // A non-positive step has no divisions to walk.
    if (!(w.step > 0.0) || !std::isfinite(w.step)) return;
    const std::optional<FirstDivision> first = firstDivision(w);
    if (!first) return;
    double x = first->start;
    double next = first->end;
    bool parity = first->parity;
    if (first->line) tick(x);
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
        if (line) tick(next);
        if (parity) bar(x, next);
        if (last || n == MAX_DIVISIONS) return;
        parity = !parity;
        x = next;
        next = x + w.step;
    }
}

// Room for the lines of one side: a division line and a centre line a division, and the
// line at the start. Only a reservation; a walk stops at MAX_DIVISIONS whatever it is.
std::size_t linesOfWalk(const DivisionWalk& w) {
    const double divisions = (w.to - w.from) / w.step + 2;
    if (!(divisions > 0.0) || divisions > MAX_DIVISIONS) return 0;
    return 2 * static_cast<std::size_t>(divisions) + 1;
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

std::vector<FrameLine> minuteFrame(const FrameSettings& settings, const FrameSheet& sheet) {
    const double inner = settings.minuteFrameOffset;
    const double outer = settings.minuteFrameOffset + settings.minuteFrameWidth;
    const int code = settings.minuteFrameCode;
    std::vector<FrameLine> sides[] = {
        minuteTicksNorthSouth(true, settings, sheet), minuteTicksNorthSouth(false, settings, sheet),
        minuteTicksWestEast(true, settings, sheet), minuteTicksWestEast(false, settings, sheet)};
    std::vector<FrameLine> lines;
    lines.reserve(2 + sides[0].size() + sides[1].size() + sides[2].size() + sides[3].size());
    lines.push_back(frameContour(sheet, code, inner));
    lines.push_back(frameContour(sheet, code, outer));
    for (std::vector<FrameLine>& side : sides) appendFeatures(lines, std::move(side));
    return lines;
}

std::vector<FrameLine> minuteTicksNorthSouth(bool north, const FrameSettings& settings,
                                             const FrameSheet& sheet) {
    const DrawingRect& r = sheet.rect;
    const double edge = north ? r.north : r.south;
    const BandOffsets band = bandOffsets(settings, north);
    const double y1 = latitudeOffsetBy(sheet, edge, band.first);
    const double y2 = latitudeOffsetBy(sheet, edge, band.second);
    const double yc = latitudeOffsetBy(sheet, edge, band.centre);
    const DivisionWalk walk{sheet.base.west, r.west, r.east, sheet.xMinute / MINUTES_PER_DEGREE,
                            settings.minuteParityX};
    std::vector<FrameLine> lines;
    lines.reserve(linesOfWalk(walk));
    walkDivisions(
        walk,
        [&](double x) {
            lines.push_back({{{x, y1}, {x, y2}}, settings.minuteTickCode});
        },
        [&](double from, double to) {
            FrameLine& bar = lines.emplace_back(FrameLine{{}, settings.minuteBarCode});
            appendOffsetParallel(sheet, yc, 0.0, {from, to, r.west, sheet.lonStep}, bar.line);
        });
    return lines;
}

std::vector<FrameLine> minuteTicksWestEast(bool west, const FrameSettings& settings,
                                           const FrameSheet& sheet) {
    const DrawingRect& r = sheet.rect;
    const double ref = west ? r.west : r.east;
    const BandOffsets band = bandOffsets(settings, !west);
    const DivisionWalk walk{sheet.base.south, r.south, r.north, sheet.yMinute / MINUTES_PER_DEGREE,
                            settings.minuteParityY};
    std::vector<FrameLine> lines;
    lines.reserve(linesOfWalk(walk));
    walkDivisions(
        walk,
        [&](double y) {
            lines.push_back({{{longitudeOffsetBy(sheet, ref, y, band.first), y},
                              {longitudeOffsetBy(sheet, ref, y, band.second), y}},
                             settings.minuteTickCode});
        },
        [&](double from, double to) {
            FrameLine& bar = lines.emplace_back(FrameLine{{}, settings.minuteBarCode});
            appendOffsetMeridian(sheet, ref, band.centre, {from, to, r.south, sheet.latStep},
                                 bar.line);
        });
    return lines;
}

}  // namespace sheetbasis
