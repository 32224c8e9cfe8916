#pragma once
// How the FRAME layers look in the users' GIS: the styles written beside them.

#include <string>
#include <vector>

#include "frame/FrameSettings.h"
#include "geo/Geometry.h"
#include "qgis/QgisStyle.h"
#include "sheet/Trapezoid.h"

namespace sheetbasis {

// Frame: line widths by L_code as a printed frame has them. The minute band's lines and
// division lines are thin; its centre lines are as wide as the band, so that alternate
// divisions show black. rect (the drawing rectangle) tells on which side of the sheet a
// band feature lies, which is what tells a division line from a centre line.
LayerStyle frameLineStyle(const FrameSettings& settings, const DrawingRect& rect);

// The sheets of a set that share a minute band width and the latitudes of their drawing
// rectangles (a row of the set).
struct FrameStyleGroup {
    double barWidthMm = 0.0;
    DrawingRect rect;
    std::vector<std::string> sheets;
};
// Frame of many sheets in one table with a column "Sheet": each group's band rules limited
// to its sheets, the rules that depend on the code alone once.
LayerStyle setFrameLineStyle(const std::vector<FrameStyleGroup>& groups);

// FrameDig and FrameAdj: the line itself not drawn; its Text centred on it both ways, the
// line being the text's centre line (through the middle of its figures and capitals) and
// the text's middle at the line's middle, so that a neighbour's name sits in the middle of
// its gap in the outer line, the line running through it. Size in points from Size, in the
// installed family that stands for the font named in Font.
LayerStyle frameLabelStyle();

// The installed family that sets the texts measured in the font closest to their measured
// widths; empty for a value outside the enumeration.
std::string_view substituteFamily(LabelFont font);

}  // namespace sheetbasis
