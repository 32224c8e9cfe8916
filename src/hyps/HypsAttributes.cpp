#include "hyps/HypsAttributes.h"

#include <array>
#include <cmath>
#include <string_view>

#include "sheet/AngleText.h"
#include "sheet/CoordinateText.h"
#include "sheet/Cp1251.h"
#include "sheet/Text.h"

namespace sheetbasis {
namespace {

enum class Coordinate { Latitude, Longitude, PolarCircle, None };

struct KindEntry {
    std::int32_t code;
    std::string_view name;  // UTF-8 source text, converted on use
    Coordinate coordinate;
};

// The blank runs in the names of kinds 4..7 align the four names; they belong to them.
constexpr std::array<KindEntry, static_cast<std::size_t>(HypsLineKind::Outline)> KIND_TABLE{{
    {400011, "Параллель", Coordinate::Latitude},
    {400012, "Меридиан", Coordinate::Longitude},
    {400013, "Северный полярный круг", Coordinate::PolarCircle},
    {400010, "Левая   граница рамки", Coordinate::Longitude},
    {400010, "Правая  граница рамки", Coordinate::Longitude},
    {400010, "Нижняя  граница рамки", Coordinate::Latitude},
    {400010, "Верхняя граница рамки", Coordinate::Latitude},
    {400010, "Рамка", Coordinate::None},
}};

// Grad, Min and Indication of the polar circle (66°33'38.6"); the outline carries no
// coordinate and leaves the three empty.
constexpr std::string_view POLAR_CIRCLE_DEGREES = "66°";
constexpr std::string_view POLAR_CIRCLE_MINUTES = "33.64'";
constexpr std::string_view POLAR_CIRCLE_HEMISPHERE = "с.ш.";

// Grad, Min and Indication of a line of the given coordinate at value, rounded to whole
// minutes; fixed for the polar circle, empty for the outline.
HypsLineAttributes coordinateValues(Coordinate coordinate, double value) {
    if (coordinate == Coordinate::None) return {};
    if (coordinate == Coordinate::PolarCircle) {
        return {0,
                {},
                cp1251(POLAR_CIRCLE_DEGREES),
                std::string(POLAR_CIRCLE_MINUTES),
                cp1251(POLAR_CIRCLE_HEMISPHERE)};
    }
    double v = std::round(value * MINUTES_PER_DEGREE) / MINUTES_PER_DEGREE;
    std::string word = cp1251("с.ш.");
    if (coordinate == Coordinate::Longitude) {
        const ToldLongitude told = toldLongitude(v);
        v = told.degrees;
        word = cp1251(told.western ? "з.д." : "в.д.");
    }
    const WholeMinutes angle = splitIntoWholeMinutes(v);
    return {0,
            {},
            wholeDegreesText(angle.degrees),
            twoDigitMinutesText(angle.minutes),
            std::move(word)};
}

}  // namespace

HypsLineAttributes graticuleAttributes(HypsLineKind kind, double value) {
    const KindEntry& entry = KIND_TABLE.at(static_cast<std::size_t>(kind) - 1);
    HypsLineAttributes attributes = coordinateValues(entry.coordinate, value);
    attributes.code = entry.code;
    attributes.text = cp1251(entry.name);
    return attributes;
}

HypsNodeAttributes nodeAttributes(double latitude, double longitude) {
    return {HYPS_AREA_AND_NODE_CODE, leftAdjust(degMinSecText(latitude)),
            leftAdjust(degMinSecText(longitude))};
}

}  // namespace sheetbasis
