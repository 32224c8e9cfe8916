#pragma once
// Coordinate labels: degrees above and minutes below every graticule parallel on the west
// and east margins, "degrees minutes" centred on every graticule meridian on the north and
// south margins, the labels of the layer FrameDig.

#include <string>
#include <vector>

#include "frame/FrameContour.h"
#include "frame/FrameSettings.h"
#include "geo/LayerFeatures.h"
#include "sheet/Grid.h"

namespace sheetbasis {

// Texts of an angle rounded to whole minutes (Windows-1251, at most 10 characters each):
// degrees with the degree sign ("52°"), minutes with the minute sign ("40'"), and the
// hemisphere ("В" east, "З" west for a longitude, one blank for a latitude).
struct CoordTexts {
    std::string degrees;
    std::string minutes;
    std::string hemisphere;
};

// A longitude above 180 is labelled as a western one (360 - v) without sign or letter.
CoordTexts labelTexts(double angle, bool isLongitude);

// The labels of every parallel (west degree, east degree, west minute, east minute), then
// of every meridian (north, south).
std::vector<Label> coordinateLabels(const FrameSettings& settings, const FrameSheet& sheet,
                                    const GraticuleValues& graticule);

}  // namespace sheetbasis
