#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "hyps/HypsAttributes.h"
#include "sheet/Cp1251.h"

namespace sheetbasis {
namespace {

constexpr double THIRD = 1.0 / 3.0;

// The five HypsL values in column order, Windows-1251 texts given in UTF-8.
using LineValues = std::vector<std::string>;

LineValues values(const HypsLineAttributes& a) {
    return {std::to_string(a.code), a.text, a.degrees, a.minutes, a.hemisphere};
}

LineValues expected(const std::string& code, const std::string& name, const std::string& degrees,
                    const std::string& minutes, const std::string& hemisphere) {
    return {code, cp1251(name), cp1251(degrees), minutes, cp1251(hemisphere)};
}

TEST(CreateHypsLAtt, LatitudeAndLongitudeKindsRoundToWholeMinutes) {
    const struct {
        HypsLineKind kind;
        double value;
        LineValues values;
    } cases[] = {
        {HypsLineKind::Parallel, 52.0 + 1.0 / 6.0,
         expected("400011", "Параллель", "52°", "10'", "с.ш.")},
        {HypsLineKind::Parallel, 52.999, expected("400011", "Параллель", "53°", "00'", "с.ш.")},
        {HypsLineKind::Meridian, 180.0, expected("400012", "Меридиан", "180°", "00'", "в.д.")},
        {HypsLineKind::Meridian, 180.01, expected("400012", "Меридиан", "179°", "59'", "з.д.")},
        {HypsLineKind::Meridian, 190.5, expected("400012", "Меридиан", "169°", "30'", "з.д.")},
        {HypsLineKind::Meridian, 7.5, expected("400012", "Меридиан", "7°", "30'", "в.д.")},
        // A double sheet of column 30 reaches 366; its meridian at 363.5 is 3°30' east,
        // not a negative western value.
        {HypsLineKind::Meridian, 363.5, expected("400012", "Меридиан", "3°", "30'", "в.д.")},
        {HypsLineKind::Meridian, 360.0, expected("400012", "Меридиан", "0°", "00'", "з.д.")},
        // The blank runs of the edge names belong to them.
        {HypsLineKind::LeftEdge, 30.0,
         expected("400010", "Левая   граница рамки", "30°", "00'", "в.д.")},
        {HypsLineKind::RightEdge, 354.0,
         expected("400010", "Правая  граница рамки", "6°", "00'", "з.д.")},
        {HypsLineKind::BottomEdge, 52.0,
         expected("400010", "Нижняя  граница рамки", "52°", "00'", "с.ш.")},
        {HypsLineKind::TopEdge, 52.0 + 2 * THIRD,
         expected("400010", "Верхняя граница рамки", "52°", "40'", "с.ш.")},
        // The value is ignored for the polar circle and the outline.
        {HypsLineKind::PolarCircle, 0.0,
         expected("400013", "Северный полярный круг", "66°", "33.64'", "с.ш.")},
        {HypsLineKind::Outline, 123.0, expected("400010", "Рамка", "", "", "")},
        // Huge or undefined values are clamped, not overflowed.
        {HypsLineKind::Parallel, 1e300,
         expected("400011", "Параллель", "2147483647°", "00'", "с.ш.")},
        {HypsLineKind::Parallel, std::nan(""),
         expected("400011", "Параллель", "0°", "00'", "с.ш.")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(values(graticuleAttributes(c.kind, c.value)), c.values) << c.value;
    }
}

TEST(CreateHypsPAtt, CodeThenLatitudeThenLongitudeWithoutAligningBlanks) {
    const HypsNodeAttributes node = nodeAttributes(52.0 + 1.0 / 12.0, 7.125);
    EXPECT_EQ(node.code, -1);
    EXPECT_EQ(node.latitude, cp1251("52°05'00\""));
    EXPECT_EQ(node.longitude, cp1251("7°07'30\""));
}

}  // namespace
}  // namespace sheetbasis
