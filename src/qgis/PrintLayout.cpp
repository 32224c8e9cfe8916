#include "qgis/PrintLayout.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "sheet/Text.h"

namespace sheetbasis {
namespace {

// ISO 216 A sizes, portrait (mm), smallest first.
struct IsoSize {
    Paper paper;
    LayoutPage portrait;
};
constexpr std::array<IsoSize, 5> ISO_SIZES = {{{Paper::A4, {210.0, 297.0}},
                                               {Paper::A3, {297.0, 420.0}},
                                               {Paper::A2, {420.0, 594.0}},
                                               {Paper::A1, {594.0, 841.0}},
                                               {Paper::A0, {841.0, 1189.0}}}};

// Layout item type code of a scale bar.
constexpr int LAYOUT_SCALE_BAR_ITEM = 65646;
// A scale bar's top middle is the point its position gives.
constexpr int REFERENCE_UPPER_MIDDLE = 1;
constexpr double CENTIMETRES_PER_METRE = 100.0;
constexpr double METRES_PER_KILOMETRE = 1000.0;
constexpr double MILLIMETRES_PER_METRE = 1000.0;
constexpr double SEGMENT_MM = 10.0;
constexpr int SEGMENTS_RIGHT = 4;
constexpr int SEGMENTS_LEFT = 1;
constexpr double BAR_HEIGHT_MM = 1.5;
constexpr double BAR_LINE_MM = 0.2;
constexpr double BAR_LABEL_SPACE_MM = 1.0;
constexpr int BAR_LABEL_SIZE_PT = 8;
// Room the bar takes with its labels, as the layout's first guess before it measures them.
constexpr double BAR_ITEM_HEIGHT_MM = 6.0;

LayoutPage turned(const LayoutPage& page) {
    return {page.heightMm, page.widthMm};
}

bool holds(const LayoutPage& page, const LayoutPage& content) {
    return content.widthMm + 2.0 * ISO_PAGE_MARGIN_MM <= page.widthMm &&
           content.heightMm + 2.0 * ISO_PAGE_MARGIN_MM <= page.heightMm;
}

// The paper in both positions, the one whose longer side runs as the content's first.
std::array<LayoutPage, 2> positionsOf(const LayoutPage& portrait, const LayoutPage& content) {
    if (content.widthMm > content.heightMm) return {turned(portrait), portrait};
    return {portrait, turned(portrait)};
}

// Russian number agreement of the noun after a count: 1, 21 километр; 2..4, 22 километра;
// 5..20, 25 километров; a fraction takes the form of 2.
std::string_view nounAfter(double count, std::array<std::string_view, 3> forms) {
    const double whole = std::round(count);
    if (std::abs(count - whole) > 1e-9) return forms[1];
    const auto n = static_cast<long long>(whole);
    if (n % 100 >= 11 && n % 100 <= 14) return forms[2];
    if (n % 10 == 1) return forms[0];
    if (n % 10 >= 2 && n % 10 <= 4) return forms[1];
    return forms[2];
}

// A count as a Russian text writes it: a decimal comma, no trailing zeros.
std::string countText(double count) {
    std::string text = decimalText(std::round(count * 1000.0) / 1000.0);
    if (const auto dot = text.find('.'); dot != std::string::npos) text[dot] = ',';
    return text;
}

// A whole number with its digits in groups of three, parted by a blank: 1 000 000.
}  // namespace

std::string scaleText(double denominator) {
    return "Масштаб 1:" + groupedDigits(std::llround(denominator));
}

LayoutPage paperTurnedAs(Paper paper, const LayoutPage& shape) {
    const auto* size = std::find_if(ISO_SIZES.begin(), ISO_SIZES.end(),
                                    [&](const IsoSize& s) { return s.paper == paper; });
    return size == ISO_SIZES.end() ? shape : positionsOf(size->portrait, shape)[0];
}

LayoutPage pageFor(Paper paper, const LayoutPage& content) {
    for (const IsoSize& size : ISO_SIZES) {
        if (paper != Paper::SmallestIso && paper != size.paper) continue;
        const std::array<LayoutPage, 2> positions = positionsOf(size.portrait, content);
        for (const LayoutPage& page : positions) {
            if (holds(page, content)) return page;
        }
        if (paper == size.paper) return positions[0];
    }
    return {content.widthMm + 2.0 * FIT_PAGE_MARGIN_MM,
            content.heightMm + 2.0 * FIT_PAGE_MARGIN_MM};
}

std::string scaleInWords(double denominator) {
    const double metres = denominator / CENTIMETRES_PER_METRE;
    if (metres >= METRES_PER_KILOMETRE) {
        const double kilometres = metres / METRES_PER_KILOMETRE;
        return "в 1 сантиметре " + countText(kilometres) + " " +
               std::string(nounAfter(kilometres, {"километр", "километра", "километров"}));
    }
    return "в 1 сантиметре " + countText(metres) + " " +
           std::string(nounAfter(metres, {"метр", "метра", "метров"}));
}

std::string layoutScaleBar(const ScaleBarPlace& place, double denominator,
                           std::string_view family) {
    const double kilometresPerSegment =
        SEGMENT_MM * denominator / MILLIMETRES_PER_METRE / METRES_PER_KILOMETRE;
    const std::string position =
        decimalText(place.centreXMm) + "," + decimalText(place.topMm) + ",mm";
    const double width = SEGMENT_MM * (SEGMENTS_LEFT + SEGMENTS_RIGHT);
    return "<LayoutItem type=\"" + std::to_string(LAYOUT_SCALE_BAR_ITEM) + "\" uuid=\"" +
           layoutUuidOf(place.id) + "\" id=\"" + place.id + "\" mapUuid=\"" +
           layoutUuidOf(place.mapId) +
           "\" style=\"Single Box\" unitType=\"km\" unitLabel=\"км\" numUnitsPerSegment=\"" +
           decimalText(kilometresPerSegment) + "\" numSegments=\"" +
           std::to_string(SEGMENTS_RIGHT) + "\" numSegmentsLeft=\"" +
           std::to_string(SEGMENTS_LEFT) + R"(" numSubdivisions="1" segmentSizeMode="0" height=")" +
           decimalText(BAR_HEIGHT_MM) + "\" outlineWidth=\"" + decimalText(BAR_LINE_MM) +
           "\" labelBarSpace=\"" + decimalText(BAR_LABEL_SPACE_MM) +
           R"(" boxContentSpace="0" alignment="1" referencePoint=")" +
           std::to_string(REFERENCE_UPPER_MIDDLE) + "\" size=\"" + decimalText(width) + "," +
           decimalText(BAR_ITEM_HEIGHT_MM) + ",mm\" position=\"" + position +
           "\" positionOnPage=\"" + position +
           "\" zValue=\"4\" frame=\"false\" background=\"false\" visibility=\"1\">"
           "<text-style fontFamily=\"" +
           xmlEscaped(family) + "\" fontSize=\"" + std::to_string(BAR_LABEL_SIZE_PT) +
           "\" fontSizeUnit=\"Point\" fontWeight=\"50\" fontItalic=\"0\" textColor=\"0,0,0,255\" "
           "textOpacity=\"1\"/><fillColor red=\"0\" green=\"0\" blue=\"0\" alpha=\"255\"/>"
           "<fillColor2 red=\"255\" green=\"255\" blue=\"255\" alpha=\"255\"/>"
           "<strokeColor red=\"0\" green=\"0\" blue=\"0\" alpha=\"255\"/></LayoutItem>";
}

}  // namespace sheetbasis
