#pragma once
// What a printed sheet needs beyond its map: paper of a standard size, the scale in words
// as a Russian map gives it under its scale, and a linear scale bar.

#include <string>
#include <string_view>

#include "qgis/ProjectDocument.h"
#include "sheet/Paper.h"

namespace sheetbasis {

// Blank paper kept at least round what a page holds when it is of a standard size (mm).
inline constexpr double ISO_PAGE_MARGIN_MM = 10.0;
// Blank paper round what a page fitted to it holds (mm).
inline constexpr double FIT_PAGE_MARGIN_MM = 5.0;

// The page for content (the box the layout's items take, mm) on the paper chosen. A
// standard size is turned so that the content fits within its margins, or else so that the
// longer sides meet; SmallestIso takes the smallest standard size that holds the content
// in either position, and a page fitted to the content when none does.
LayoutPage pageFor(Paper paper, const LayoutPage& content);

// A standard paper (A0..A4) turned so that its longer side runs as the longer side of a
// box of shape's proportions.
LayoutPage paperTurnedAs(Paper paper, const LayoutPage& shape);

// The scale as a map gives it: "Масштаб 1:200 000".
std::string scaleText(double denominator);

// How far one centimetre of the map reaches on the ground at 1:denominator, as a Russian
// map says it under its scale: "в 1 сантиметре 2 километра".
std::string scaleInWords(double denominator);

// A scale bar in kilometres of the map item mapId, whose map is at 1:denominator: one
// segment left of zero and four right of it, each a centimetre long, labelled in kilometres
// in family. Its top middle lies at (centreXMm, topMm) on the page.
struct ScaleBarPlace {
    std::string id;
    std::string mapId;
    double centreXMm = 0.0;
    double topMm = 0.0;
};
std::string layoutScaleBar(const ScaleBarPlace& place, double denominator, std::string_view family);

}  // namespace sheetbasis
