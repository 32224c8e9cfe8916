#include "ui/SheetPicture.h"

#include <QPainter>
#include <QPainterPath>

namespace sheetbasis::ui {

namespace {

// Proportions of the drawing, as fractions of the picture: the outer frame lies inside a
// small margin, the minute frame inside the outer one, and the graticule divides the sheet
// into 4 by 6 cells, the graticule of a 1:200 000 sheet (15' by 10').
constexpr double OUTER_MARGIN = 0.06;
constexpr double FRAME_GAP = 0.035;
constexpr double MINUTE_BAND = 0.025;
constexpr int MERIDIAN_CELLS = 4;
constexpr int PARALLEL_CELLS = 6;
// Alternating black and white minutes along each side.
constexpr int MINUTES_ALONG_X = 12;
constexpr int MINUTES_ALONG_Y = 18;
// How far the northern edge narrows, as a fraction of the width: the sheet is a trapezoid.
constexpr double NORTH_NARROWING = 0.08;
// Colours: paper, a pale land tint and two darker hypsometric steps, and the frame ink.
constexpr QRgb PAPER = 0xfffdf6;
constexpr QRgb LAND = 0xe3efd0;
constexpr QRgb HILLS = 0xcfe0a8;
constexpr QRgb HEIGHTS = 0xe7d29a;
constexpr QRgb GRATICULE = 0x4a78b0;
constexpr QRgb INK = 0x202020;

// Corners of the sheet, south-west first, anticlockwise.
struct Trapezoid {
    QPointF sw, se, ne, nw;

    QPointF at(double u, double v) const {  // u east, v north, both 0..1
        const QPointF south = sw + (se - sw) * u;
        const QPointF north = nw + (ne - nw) * u;
        return south + (north - south) * v;
    }
};

Trapezoid sheetIn(const QRectF& r) {
    const double inset = r.width() * NORTH_NARROWING / 2;
    return {
        r.bottomLeft(), r.bottomRight(), {r.right() - inset, r.top()}, {r.left() + inset, r.top()}};
}

QPolygonF polygonOf(const Trapezoid& t) {
    return QPolygonF({t.sw, t.se, t.ne, t.nw});
}

void paintRelief(QPainter& painter, const Trapezoid& t) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(LAND));
    painter.drawPolygon(polygonOf(t));
    QPainterPath hills(t.at(0.0, 0.55));
    hills.cubicTo(t.at(0.3, 0.9), t.at(0.6, 0.2), t.at(1.0, 0.65));
    hills.lineTo(t.at(1.0, 1.0));
    hills.lineTo(t.at(0.0, 1.0));
    hills.closeSubpath();
    painter.setBrush(QColor(HILLS));
    painter.drawPath(hills);
    QPainterPath heights(t.at(0.35, 1.0));
    heights.cubicTo(t.at(0.45, 0.7), t.at(0.8, 0.75), t.at(0.9, 1.0));
    heights.closeSubpath();
    painter.setBrush(QColor(HEIGHTS));
    painter.drawPath(heights);
}

void paintGraticule(QPainter& painter, const Trapezoid& t) {
    painter.setPen(QPen(QColor(GRATICULE), 0.8));
    for (int i = 1; i < MERIDIAN_CELLS; ++i) {
        const double u = static_cast<double>(i) / MERIDIAN_CELLS;
        painter.drawLine(t.at(u, 0.0), t.at(u, 1.0));
    }
    for (int i = 1; i < PARALLEL_CELLS; ++i) {
        const double v = static_cast<double>(i) / PARALLEL_CELLS;
        painter.drawLine(t.at(0.0, v), t.at(1.0, v));
    }
}

// One side of the minute frame: a band of alternately filled minutes between two
// trapezoids, from corner a to corner b.
void paintMinuteSide(QPainter& painter, const Trapezoid& inner, const Trapezoid& outer,
                     QPointF (*corner)(const Trapezoid&, double), int minutes) {
    for (int m = 0; m < minutes; m += 2) {
        const double from = static_cast<double>(m) / minutes;
        const double to = static_cast<double>(m + 1) / minutes;
        painter.drawPolygon(QPolygonF(
            {corner(inner, from), corner(inner, to), corner(outer, to), corner(outer, from)}));
    }
}

void paintFrame(QPainter& painter, const Trapezoid& sheet, const Trapezoid& band,
                const QRectF& outer) {
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(INK), 0.8));
    painter.drawPolygon(polygonOf(sheet));
    painter.drawPolygon(polygonOf(band));
    painter.setBrush(QColor(INK));
    paintMinuteSide(
        painter, sheet, band, [](const Trapezoid& t, double s) { return t.at(s, 0); },
        MINUTES_ALONG_X);
    paintMinuteSide(
        painter, sheet, band, [](const Trapezoid& t, double s) { return t.at(s, 1); },
        MINUTES_ALONG_X);
    paintMinuteSide(
        painter, sheet, band, [](const Trapezoid& t, double s) { return t.at(0, s); },
        MINUTES_ALONG_Y);
    paintMinuteSide(
        painter, sheet, band, [](const Trapezoid& t, double s) { return t.at(1, s); },
        MINUTES_ALONG_Y);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(INK), 2.0));
    painter.drawRect(outer);
}

}  // namespace

QPixmap paintSheetPicture(const QSize& size) {
    QPixmap pixmap(size);
    pixmap.fill(QColor(PAPER));
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF all(0, 0, size.width(), size.height());
    const double w = all.width();
    const QRectF outer =
        all.adjusted(w * OUTER_MARGIN, w * OUTER_MARGIN, -w * OUTER_MARGIN, -w * OUTER_MARGIN);
    const double gap = w * FRAME_GAP;
    const QRectF bandRect = outer.adjusted(gap, gap, -gap, -gap);
    const double band = w * MINUTE_BAND;
    const QRectF sheetRect = bandRect.adjusted(band, band, -band, -band);
    const Trapezoid sheet = sheetIn(sheetRect);
    paintRelief(painter, sheet);
    paintGraticule(painter, sheet);
    paintFrame(painter, sheet, sheetIn(bandRect), outer);
    return pixmap;
}

}  // namespace sheetbasis::ui
