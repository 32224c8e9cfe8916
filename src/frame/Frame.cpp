#include "frame/Frame.h"

#include "frame/CoordLabels.h"
#include "frame/FrameContour.h"
#include "frame/FrameSettings.h"
#include "frame/MinuteFrame.h"
#include "frame/OuterFrame.h"

namespace sheetbasis {

FrameFeatures frameFeatures(const SheetParameters& p, const DrawingRect& rect,
                            const AngleSteps& densify, const AdjacentNames& adjacent,
                            const GraticuleValues& graticule) {
    const FrameSettings settings = frameSettingsFor(p.setScale, p.mapScale);
    const FrameSheet sheet{rect,
                           densify.lon,
                           densify.lat,
                           settings.scaleDenominator,
                           SPHERE_RADIUS_KM,
                           p.base.edges,
                           p.result.xMinute,
                           p.result.yMinute,
                           p.result.edges};
    const FrameLayerSet layers = frameLayersOf(settings);
    FrameFeatures features;
    std::vector<FrameLine> lines;
    if (settings.minuteFrameOn) lines = minuteFrame(settings, sheet);
    OuterFrame outer = outerFrame(settings, sheet, adjacent, graticule);
    appendFeatures(lines, std::move(outer.lines));
    if (layers.frame) features.lines = std::move(lines);
    if (layers.adjacent) features.adjacentNames = std::move(outer.names);
    if (layers.digits) features.coordinateLabels = coordinateLabels(settings, sheet, graticule);
    return features;
}

}  // namespace sheetbasis
